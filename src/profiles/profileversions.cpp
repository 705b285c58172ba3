#include "profiles/profileversions.h"

#include "platform/logging.h"
#include "platform/safefolder.h"
#include "profiles/profile.h"

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

namespace {

const QString timeFormat = QStringLiteral("yyyyMMdd-HHmmss-zzz");
const QString extension = QStringLiteral(".plist");

// What a version's file name says of it.
struct VersionName
{
    qint64 sequence = 0;
    QString time;
    // Earlier releases told apart versions of one millisecond by a suffix.
    int suffix = 0;
    QDateTime savedAt;
};

std::optional<VersionName> parsedName(const QString& fileName)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^(?:(\d{1,18})-)?(\d{8}-\d{6}-\d{3})(?:-(\d{1,2}))?\.plist$)"));
    const QRegularExpressionMatch match = form.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    // The suffix belongs to the old form alone.
    if (match.hasCaptured(1) && match.hasCaptured(3))
        return std::nullopt;
    VersionName name;
    name.sequence = match.captured(1).toLongLong();
    name.time = match.captured(2);
    name.suffix = match.captured(3).toInt();
    name.savedAt = QDateTime::fromString(name.time, timeFormat);
    if (!name.savedAt.isValid())
        return std::nullopt;
    name.savedAt.setTimeSpec(Qt::UTC);
    return name;
}

bool isVersionName(QStringView fileName)
{
    return parsedName(fileName.toString()).has_value();
}

// Newest first: by sequence, and among the versions of earlier releases by
// their time and suffix.
bool newerFirst(const VersionName& a, const VersionName& b)
{
    if (a.sequence != b.sequence)
        return a.sequence > b.sequence;
    if (a.time != b.time)
        return a.time > b.time;
    return a.suffix > b.suffix;
}

QList<ProfileVersion> versionsIn(const SafeFolder& folder)
{
    const std::optional<QList<DirectoryEntry>> entries = folder.list(isVersionName);
    QList<std::pair<VersionName, ProfileVersion>> found;
    for (const DirectoryEntry& entry : entries.value_or(QList<DirectoryEntry>())) {
        if (!entry.isRegularFile)
            continue;
        const VersionName name = *parsedName(entry.name);
        found.append({name, {folder.path() + u'/' + entry.name, name.savedAt, name.sequence}});
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return newerFirst(a.first, b.first); });
    QList<ProfileVersion> versions;
    versions.reserve(found.size());
    for (auto& [name, version] : found)
        versions.append(std::move(version));
    return versions;
}

QString versionFileName(qint64 sequence)
{
    return QString::number(sequence).rightJustified(6, u'0') + u'-' +
           QDateTime::currentDateTimeUtc().toString(timeFormat) + extension;
}

// A folder of versions may be entered by whoever may read them.
uint folderPermissionsFor(uint filePermissions)
{
    return (filePermissions & 0777) | ((filePermissions & 0444) >> 2);
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

Result<std::unique_ptr<SafeFolder>> ProfileVersions::versionsFolder(const QString& profilePath,
                                                                    bool create) const
{
    Result<std::unique_ptr<SafeFolder>> profiles =
        m_fileSystem.openFolder(file_path::parent(profilePath));
    if (!profiles)
        return profiles;
    // Shared like the profile folder itself, whoever made it first.
    return (*profiles)->subfolder(
        folderName.toString(), create ? std::optional((*profiles)->permissions()) : std::nullopt);
}

Result<std::unique_ptr<SafeFolder>>
ProfileVersions::historyFolder(const QString& profilePath, std::optional<uint> permissions) const
{
    Result<std::unique_ptr<SafeFolder>> versions =
        versionsFolder(profilePath, permissions.has_value());
    if (!versions)
        return versions;
    Result<std::unique_ptr<SafeFolder>> history = (*versions)->subfolder(
        file_path::lastComponent(profilePath),
        permissions ? std::optional(folderPermissionsFor(*permissions)) : std::nullopt);
    if (history && !(*history)->isOwnedByUser())
        return PlatformError{Operation::read, ErrorCode::foreignOwner, (*history)->path(), 0, {}};
    return history;
}

Result<std::optional<QString>> ProfileVersions::keep(const QString& profilePath,
                                                     const FileContent& current)
{
    Result<std::unique_ptr<SafeFolder>> opened = historyFolder(profilePath, current.permissions);
    if (!opened)
        return opened.error();
    SafeFolder& history = **opened;
    const QList<ProfileVersion> versions = versionsIn(history);
    if (!versions.isEmpty()) {
        const QString newest = file_path::lastComponent(versions.first().path);
        const Result<FileContent> content = history.read(newest);
        if (content &&
            (content->stamp.identity == current.stamp.identity || content->bytes == current.bytes))
            return std::optional<QString>();
    }
    qint64 sequence = versions.isEmpty() ? 1 : versions.first().sequence + 1;
    // Linked only when the file is the user's own and has no other name:
    // otherwise its owner, or whoever writes it under that other name,
    // could change the version afterwards.
    if (current.ownedByUser && current.linkCount == 1 && !current.realPath.isEmpty()) {
        if (const Result<std::unique_ptr<SafeFolder>> source =
                m_fileSystem.openFolder(file_path::parent(current.realPath))) {
            const QString name = versionFileName(sequence);
            if (history.link(**source, file_path::lastComponent(current.realPath), current.stamp,
                             name)) {
                qCDebug(lcFiles) << "kept a version of" << profilePath << "as a link" << name;
                return std::optional<QString>(history.path() + u'/' + name);
            }
        }
    }
    // Another launcher may keep a version of the same profile at once.
    for (int attempt = 0;; ++attempt, ++sequence) {
        const QString name = versionFileName(sequence);
        const Result<void> created = history.create(name, current.bytes, current.permissions);
        if (created) {
            qCDebug(lcFiles) << "kept a version of" << profilePath << "as" << name;
            return std::optional<QString>(history.path() + u'/' + name);
        }
        if (created.error().code != ErrorCode::alreadyExists || attempt == 100)
            return created.error();
    }
}

Result<void> ProfileVersions::prune(const QString& profilePath)
{
    Result<std::unique_ptr<SafeFolder>> history = historyFolder(profilePath, std::nullopt);
    if (!history)
        return history.error().code == ErrorCode::notFound ? Result<void>() : history.error();
    const QList<ProfileVersion> versions = versionsIn(**history);
    for (qsizetype i = kept; i < versions.size(); ++i) {
        if (Result<void> removed =
                (*history)->remove(file_path::lastComponent(versions.at(i).path));
            !removed)
            return removed;
    }
    return {};
}

void ProfileVersions::discard(const QString& profilePath, const QString& versionPath)
{
    if (Result<std::unique_ptr<SafeFolder>> history = historyFolder(profilePath, std::nullopt);
        history && file_path::parent(versionPath) == (*history)->path())
        (void)(*history)->remove(file_path::lastComponent(versionPath));
}

QList<ProfileVersion> ProfileVersions::list(const QString& profilePath) const
{
    const Result<std::unique_ptr<SafeFolder>> history = historyFolder(profilePath, std::nullopt);
    return history ? versionsIn(**history) : QList<ProfileVersion>();
}

std::optional<ProfileVersion> ProfileVersions::find(const QString& profilePath,
                                                    const QString& name) const
{
    for (const ProfileVersion& version : list(profilePath)) {
        if (version.name() == name || file_path::lastComponent(version.path) == name ||
            (version.sequence > 0 && QString::number(version.sequence) == name))
            return version;
    }
    return std::nullopt;
}

Result<FileContent> ProfileVersions::read(const QString& profilePath,
                                          const ProfileVersion& version) const
{
    const Result<std::unique_ptr<SafeFolder>> history = historyFolder(profilePath, std::nullopt);
    if (!history)
        return history.error();
    return (*history)->read(file_path::lastComponent(version.path));
}

QList<ProfileVersions::Read> ProfileVersions::readAll(const QString& profilePath) const
{
    const Result<std::unique_ptr<SafeFolder>> history = historyFolder(profilePath, std::nullopt);
    if (!history)
        return {};
    QList<Read> all;
    for (const ProfileVersion& version : versionsIn(**history))
        all.append({version, (*history)->read(file_path::lastComponent(version.path))});
    return all;
}

Result<void> ProfileVersions::moveAlong(const QString& fromProfilePath,
                                        const QString& toProfilePath)
{
    if (file_path::parent(fromProfilePath) != file_path::parent(toProfilePath))
        return PlatformError::fromErrno(Operation::move, folderFor(fromProfilePath), EXDEV);
    if (Result<void> setAside = setAsideLeftover(toProfilePath); !setAside)
        return setAside;
    Result<std::unique_ptr<SafeFolder>> versions = versionsFolder(fromProfilePath, false);
    if (!versions)
        return versions.error().code == ErrorCode::notFound ? Result<void>() : versions.error();
    const QString from = file_path::lastComponent(fromProfilePath);
    // Only a real folder moves along; a link in its place is left alone.
    if (const Result<std::unique_ptr<SafeFolder>> history = (*versions)->subfolder(from, {});
        !history)
        return history.error().code == ErrorCode::notFound ? Result<void>() : history.error();
    return (*versions)->rename(from, file_path::lastComponent(toProfilePath));
}

Result<void> ProfileVersions::removeAll(const QString& profilePath)
{
    Result<std::unique_ptr<SafeFolder>> versions = versionsFolder(profilePath, false);
    if (!versions)
        return versions.error().code == ErrorCode::notFound ? Result<void>() : versions.error();
    const QString name = file_path::lastComponent(profilePath);
    Result<std::unique_ptr<SafeFolder>> history = (*versions)->subfolder(name, {});
    if (!history)
        return history.error().code == ErrorCode::notFound ? Result<void>() : history.error();
    for (const ProfileVersion& version : versionsIn(**history)) {
        if (Result<void> removed = (*history)->remove(file_path::lastComponent(version.path));
            !removed)
            return removed;
    }
    // Whatever else is in there is not ours to remove, and keeps the folder.
    if (Result<void> removed = (*versions)->removeEmptySubfolder(name);
        !removed && removed.error().code != ErrorCode::alreadyExists)
        return removed;
    return {};
}

Result<void> ProfileVersions::setAsideLeftover(const QString& profilePath)
{
    Result<std::unique_ptr<SafeFolder>> versions = versionsFolder(profilePath, false);
    if (!versions)
        return versions.error().code == ErrorCode::notFound ? Result<void>() : versions.error();
    const QString name = file_path::lastComponent(profilePath);
    // The new name ends otherwise than ".plist": no profile can claim it.
    for (int number = 1; number < 1000; ++number) {
        const Result<void> moved =
            (*versions)->rename(name, name + u".earlier-" + QString::number(number));
        if (moved) {
            qCDebug(lcFiles) << "set aside a history left under" << profilePath;
            return {};
        }
        if (moved.error().code == ErrorCode::notFound)
            return {};
        if (moved.error().code != ErrorCode::alreadyExists)
            return moved;
    }
    return PlatformError::fromErrno(Operation::move, folderFor(profilePath), EEXIST);
}
