#pragma once

#include <QList>
#include <QString>

#include <optional>

enum class FolderMode
{
    defaultFolder,
    custom
};

namespace folder_mode {
QString rawValue(FolderMode mode);
// Succeeds only on an exact, case-sensitive raw value.
std::optional<FolderMode> fromRawValue(const QString& rawValue);
QList<FolderMode> allCases();
} // namespace folder_mode

size_t qHash(FolderMode mode, size_t seed = 0);
