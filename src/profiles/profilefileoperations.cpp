#include "state/launcherstate.h"

#include "platform/filesystem.h"
#include "platform/folderchooser.h"
#include "profiles/profilenames.h"

#include <QDir>
#include <QFile>

namespace {

// The longest file name most file systems take, in bytes.
constexpr qsizetype maximumNameBytes = 255;

} // namespace

std::optional<QString> LauncherState::validatedProfileFileName(const QString& typedName)
{
    const QString name = profile_names::trimmed(typedName);
    if (name.isEmpty() || name == u"." || name == u"..") {
        setErrorMessage(tr("Please enter a valid name."));
        return std::nullopt;
    }
    if (profile_names::containsForbiddenCharacter(name)) {
        setErrorMessage(tr("The name contains characters that cannot be used in a file name "
                           "(for example \"/\" or \":\")."));
        return std::nullopt;
    }
    const QString fileName = profile_names::profileFileName(name);
    if (fileName.isEmpty() || fileName == u".plist") {
        setErrorMessage(tr("Please enter a valid name."));
        return std::nullopt;
    }
    return fileName;
}

bool LauncherState::isActiveProfileFile(const Profile& profile) const
{
    if (!m_activeProfileName || *m_activeProfileName != profile.fileName())
        return false;
    // Only the file the active profile was started from; a same-named file
    // of another folder is not it. The same folder reached by another path
    // (a link, "..", a bind mount) is the same folder.
    if (!m_activeProfileFolder)
        return true;
    if (m_activeProfileFolderIdentity) {
        if (const std::optional<FileIdentity> folder = fm().identity(profile.folder()))
            return *folder == *m_activeProfileFolderIdentity;
    }
    return QDir::cleanPath(*m_activeProfileFolder) == QDir::cleanPath(profile.folder());
}

void LauncherState::renameProfile(const Profile& profile, const QString& typedName)
{
    const std::optional<QString> folder = currentFolderURL();
    if (!folder)
        return;
    const std::optional<QString> fileName = validatedProfileFileName(typedName);
    if (!fileName)
        return;
    const QString target = file_path::appending(*folder, *fileName);
    if (target == profile.url)
        return;
    if (fm().exists(target)) {
        setErrorMessage(tr("A file named \"%1\" already exists.").arg(*fileName));
        return;
    }
    if (const FileResult moved = fm().moveItem(profile.url, target); !moved) {
        setErrorMessage(
            tr("Could not rename \"%1\": %2").arg(profile.fileName(), moved.description));
        return;
    }
    if (isActiveProfileFile(profile)) {
        m_activeProfileFolder = file_path::parent(target);
        setActiveProfileName(*fileName);
    }
    reloadProfiles();
}

void LauncherState::duplicateProfile(const Profile& profile)
{
    const std::optional<QString> folder = currentFolderURL();
    if (!folder)
        return;
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
        return file_path::appending(*folder, shortened + tail);
    };
    QString candidate = candidateNamed(QStringLiteral(" Copy"));
    for (quint64 counter = 2; fm().exists(candidate); ++counter)
        candidate = candidateNamed(u" Copy " + QString::number(counter));
    if (const FileResult copied = fm().copyItem(profile.url, candidate); !copied) {
        setErrorMessage(tr("Could not duplicate \"%1\": %2").arg(fileName, copied.description));
        return;
    }
    reloadProfiles();
}

void LauncherState::deleteProfile(const Profile& profile)
{
    if (const FileResult removed = fm().removeItem(profile.url); !removed) {
        setErrorMessage(
            tr("Could not delete \"%1\": %2").arg(profile.fileName(), removed.description));
        return;
    }
    if (isActiveProfileFile(profile))
        setActiveProfileName(std::nullopt);
    reloadProfiles();
}

void LauncherState::chooseCustomFolder()
{
    if (!m_services.folderChooser)
        return;
    const std::optional<QString> chosen = m_services.folderChooser->chooseFolder(
        tr("Choose"), tr("Select the folder containing Pelvaro profile plist files."),
        currentFolderURL());
    if (!chosen)
        return;
    setCustomFolderPath(*chosen);
    switchFolder();
}
