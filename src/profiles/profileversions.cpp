#include "profiles/profileversions.h"

#include "platform/logging.h"
#include "state/profile.h"

#include <algorithm>

namespace {

const QString timeFormat = QStringLiteral("yyyyMMdd-HHmmss-zzz");
const QString extension = QStringLiteral(".plist");

std::optional<QDateTime> timeOfName(QStringView fileName)
{
    if (!fileName.endsWith(extension))
        return std::nullopt;
    // A second version within the same millisecond carries a suffix.
    if (fileName.size() < 19 + extension.size() || fileName.at(8) != u'-' ||
        fileName.at(15) != u'-')
        return std::nullopt;
    const QDate date = QDate::fromString(fileName.left(8).toString(), QStringLiteral("yyyyMMdd"));
    const QTime time =
        QTime::fromString(fileName.mid(9, 10).toString(), QStringLiteral("HHmmss-zzz"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

} // namespace

QString ProfileVersion::name() const
{
    return file_path::removingExtension(file_path::lastComponent(path));
}

QString ProfileVersions::folderFor(const QString& profilePath)
{
    return file_path::appending(
        file_path::appending(file_path::parent(profilePath), folderName.toString()),
        file_path::lastComponent(profilePath));
}

Result<std::optional<QString>> ProfileVersions::keep(const QString& profilePath,
                                                     const QByteArray& content)
{
    const QList<ProfileVersion> versions = list(profilePath);
    if (!versions.isEmpty()) {
        const Result<QByteArray> newest = m_fileSystem.readFile(versions.first().path);
        if (newest && *newest == content)
            return std::optional<QString>();
    }
    const QString folder = folderFor(profilePath);
    if (!m_fileSystem.isDirectory(folder)) {
        if (Result<void> created = m_fileSystem.createDirectory(folder); !created)
            return created.error();
    }
    const QString stem = QDateTime::currentDateTimeUtc().toString(timeFormat);
    QString path = file_path::appending(folder, stem + extension);
    Result<void> written = m_fileSystem.createFileAtomically(path, content);
    for (int suffix = 2;
         !written && written.error().code == ErrorCode::alreadyExists && suffix < 100; ++suffix) {
        path = file_path::appending(folder, stem + u'-' + QString::number(suffix) + extension);
        written = m_fileSystem.createFileAtomically(path, content);
    }
    if (!written)
        return written.error();
    qCDebug(lcFiles) << "kept a version of" << profilePath << "as" << path;
    const QList<ProfileVersion> now = list(profilePath);
    for (qsizetype i = kept; i < now.size(); ++i) {
        if (Result<void> removed = m_fileSystem.removeItem(now.at(i).path); !removed)
            return removed.error();
    }
    return std::optional(path);
}

QList<ProfileVersion> ProfileVersions::list(const QString& profilePath) const
{
    const QString folder = folderFor(profilePath);
    const std::optional<QList<DirectoryEntry>> entries = m_fileSystem.listDirectory(
        folder, [](QStringView name) { return timeOfName(name).has_value(); });
    QList<ProfileVersion> versions;
    if (!entries)
        return versions;
    for (const DirectoryEntry& entry : *entries) {
        if (entry.isRegularFile)
            versions.append({file_path::appending(folder, entry.name), *timeOfName(entry.name)});
    }
    // Names sort as their times do; a suffix sorts after its plain name.
    std::sort(versions.begin(), versions.end(),
              [](const ProfileVersion& a, const ProfileVersion& b) {
                  const QString nameA = file_path::lastComponent(a.path);
                  const QString nameB = file_path::lastComponent(b.path);
                  if (nameA.size() != nameB.size() &&
                      nameA.left(timeFormat.size()) == nameB.left(timeFormat.size()))
                      return nameA.size() > nameB.size();
                  return nameA > nameB;
              });
    return versions;
}

std::optional<ProfileVersion> ProfileVersions::find(const QString& profilePath,
                                                    const QString& name) const
{
    for (const ProfileVersion& version : list(profilePath)) {
        if (version.name() == name || file_path::lastComponent(version.path) == name)
            return version;
    }
    return std::nullopt;
}

Result<void> ProfileVersions::moveAlong(const QString& fromProfilePath,
                                        const QString& toProfilePath)
{
    const QString from = folderFor(fromProfilePath);
    if (!m_fileSystem.isDirectory(from))
        return {};
    return m_fileSystem.moveItem(from, folderFor(toProfilePath));
}

Result<void> ProfileVersions::removeAll(const QString& profilePath)
{
    const QString folder = folderFor(profilePath);
    if (!m_fileSystem.isDirectory(folder))
        return {};
    for (const ProfileVersion& version : list(profilePath)) {
        if (Result<void> removed = m_fileSystem.removeItem(version.path); !removed)
            return removed;
    }
    return m_fileSystem.removeEmptyFolder(folder);
}
