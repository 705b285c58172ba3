#include "profiles/foldermode.h"

#include <QHash>

QString folder_mode::rawValue(FolderMode mode)
{
    return mode == FolderMode::custom ? QStringLiteral("custom") : QStringLiteral("defaultFolder");
}

std::optional<FolderMode> folder_mode::fromRawValue(const QString& rawValue)
{
    for (const FolderMode mode : allCases()) {
        if (folder_mode::rawValue(mode) == rawValue)
            return mode;
    }
    return std::nullopt;
}

QList<FolderMode> folder_mode::allCases()
{
    return {FolderMode::defaultFolder, FolderMode::custom};
}

size_t qHash(FolderMode mode, size_t seed)
{
    return qHash(folder_mode::rawValue(mode), seed);
}
