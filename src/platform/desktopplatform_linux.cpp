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

#include <fcntl.h>
#include <unistd.h>

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

void DesktopPlatform::prepareToOpen(const TargetIdentity& target)
{
    GioApplicationLauncher().prepare(target.bundleIdentifier);
}

void DesktopPlatform::keepInheritedDescriptorsFromChildren()
{
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
    // Kernels before 5.11: one by one.
    QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& name : descriptors.entryList(QDir::Files | QDir::System)) {
        bool number = false;
        const int fd = name.toInt(&number);
        if (number && fd > 2)
            ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
    }
}
