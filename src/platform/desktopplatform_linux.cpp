#include "platform/desktopplatform.h"

#include "platform/applicationlauncher_gio.h"
#include "platform/desktopworkspace.h"
#include "platform/filesystem_linux.h"
#include "platform/preferencesstore.h"
#include "platform/processmonitor_linux.h"
#include "platform/systemlog.h"
#include "platform/userdefaults.h"

#include <QDir>
#include <QStandardPaths>

DesktopPlatform::DesktopPlatform(const TargetIdentity& target, Scope scope)
    : m_log(std::make_unique<SystemLog>()),
      m_fileSystem(std::make_unique<LinuxFileSystem>(m_log.get())),
      m_userDefaults(std::make_unique<UserDefaults>())
{
    m_preferences = std::make_unique<PreferencesStore>(*m_fileSystem, QDir::homePath(),
                                                       target.bundleIdentifier);
    if (scope == Scope::files)
        return;
    m_workspace = std::make_unique<DesktopWorkspace>(
        std::make_unique<GioApplicationLauncher>(),
        std::make_unique<LinuxProcessMonitor>(target.applicationNames));
}

DesktopPlatform::~DesktopPlatform() = default;

PlatformServices DesktopPlatform::services() const
{
    PlatformServices services;
    services.fileSystem = m_fileSystem.get();
    services.userDefaults = m_userDefaults.get();
    services.log = m_log.get();
    services.preferences = m_preferences.get();
    services.workspace = m_workspace.get();
    services.homePath = QDir::homePath();
    services.applicationSupportPath =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return services;
}
