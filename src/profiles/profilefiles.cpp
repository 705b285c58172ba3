#include "profiles/profilefiles.h"

#include "profiles/profilenames.h"

#include <QDir>
#include <QFile>

#include <cerrno>

namespace {

// The longest file name most file systems take, in bytes.
constexpr qsizetype maximumNameBytes = 255;

} // namespace

Result<QString, NameProblem> ProfileFiles::validatedFileName(const QString& typedName)
{
    const QString name = profile_names::trimmed(typedName);
    if (name.isEmpty() || name == u"." || name == u"..")
        return NameProblem::invalid;
    if (profile_names::containsForbiddenCharacter(name))
        return NameProblem::forbiddenCharacter;
    const QString fileName = profile_names::profileFileName(name);
    if (fileName.isEmpty() || fileName == u".plist")
        return NameProblem::invalid;
    return fileName;
}

Result<QString> ProfileFiles::rename(const Profile& profile, const QString& folder,
                                     const QString& fileName)
{
    const QString target = file_path::appending(folder, fileName);
    if (target == profile.url)
        return target;
    if (m_fileSystem.exists(target))
        return PlatformError::fromErrno(Operation::move, target, EEXIST);
    if (Result<void> moved = m_fileSystem.moveItem(profile.url, target); !moved)
        return moved.error();
    return target;
}

Result<QString> ProfileFiles::duplicate(const Profile& profile, const QString& folder)
{
    const QString fileName = profile.fileName();
    const QString extension = file_path::extension(fileName);
    const QString stem = file_path::removingExtension(fileName);
    // A name as long as the system allows still gets a copy: its stem is
    // shortened, by whole characters, until " Copy N" fits.
    const auto candidateNamed = [&](const QString& suffix) {
        const QString tail = suffix + (extension.isEmpty() ? QString() : u'.' + extension);
        QString shortened = stem;
        while (!shortened.isEmpty() &&
               QFile::encodeName(shortened + tail).size() > maximumNameBytes)
            shortened.chop(shortened.size() >= 2 && shortened.back().isLowSurrogate() ? 2 : 1);
        return file_path::appending(folder, shortened + tail);
    };
    QString candidate = candidateNamed(QStringLiteral(" Copy"));
    for (quint64 counter = 2; m_fileSystem.exists(candidate); ++counter)
        candidate = candidateNamed(u" Copy " + QString::number(counter));
    if (Result<void> copied = m_fileSystem.copyItem(profile.url, candidate); !copied)
        return copied.error();
    return candidate;
}

Result<void> ProfileFiles::remove(const Profile& profile)
{
    return m_fileSystem.removeItem(profile.url);
}

bool ProfileFiles::isSameFolder(const QString& folder, const QString& expected,
                                const std::optional<FileIdentity>& expectedIdentity) const
{
    if (expectedIdentity) {
        if (const std::optional<FileIdentity> identity = m_fileSystem.identity(folder))
            return *identity == *expectedIdentity;
    }
    return QDir::cleanPath(expected) == QDir::cleanPath(folder);
}
