#include "platform/platformservices.h"

#include "platform/filesystem_linux.h"
#include "platform/preferencesstore.h"
#include "platform/systemlog.h"
#include "platform/userdefaults.h"
#include "platform/workspace_linux.h"
#include "target/pelvaroapplication.h"

#include <QDir>
#include <QStandardPaths>

DesktopPlatform::DesktopPlatform()
    : m_log(std::make_unique<SystemLog>()),
      m_fileSystem(std::make_unique<LinuxFileSystem>(m_log.get())),
      m_userDefaults(std::make_unique<UserDefaults>()),
      m_preferences(std::make_unique<PreferencesStore>(*m_fileSystem, QDir::homePath(),
                                                       pelvaro::bundleIdentifier)),
      m_workspace(std::make_unique<LinuxWorkspace>(pelvaro::applicationNames()))
{
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
