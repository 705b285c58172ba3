#pragma once

#include "platform/platformservices.h"
#include "platform/result.h"

#include <optional>

// Where the profiles are: the default folder, or the folder the launcher's
// settings chose. The window's state and the command line both ask here.
namespace folder_location {

// The settings' keys.
inline const QString folderModeKey = QStringLiteral("folderMode");
inline const QString customFolderPathKey = QStringLiteral("customFolderPath");

// <Application Support>/Pelvaro Launcher.
QString defaultFolder(const PlatformServices& services);
// The folder the settings choose; none when a custom folder is chosen
// but not named.
std::optional<QString> fromSettings(const PlatformServices& services);
// Makes the default folder at first use.
[[nodiscard]] Result<void> ensureDefaultFolder(const PlatformServices& services);

} // namespace folder_location
