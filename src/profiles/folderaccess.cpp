#include "state/launcherstate.h"

#include "platform/filesystem.h"

#include <QUuid>

void LauncherState::checkFolderAccess()
{
    const std::optional<QString> folder = currentFolderURL();
    if (!folder) {
        setFolderAccessStatus(AccessStatus::untested());
        return;
    }
    if (!fm().exists(*folder) || !fm().isDirectory(*folder)) {
        setFolderAccessStatus(AccessStatus::failure(tr("Folder does not exist.")));
        return;
    }
    if (!fm().isReadable(*folder)) {
        setFolderAccessStatus(AccessStatus::failure(tr("No read access to folder.")));
        return;
    }
    const QString probe = file_path::appending(
        *folder, u".pelvaro-launcher-access-" +
                     QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    if (!fm().writeFile(probe, {}) || !fm().removeItem(probe)) {
        setFolderAccessStatus(AccessStatus::failure(tr("No write access to folder.")));
        return;
    }
    setFolderAccessStatus(AccessStatus::ok());
}
