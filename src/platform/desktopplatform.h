#pragma once

#include "platform/platformservices.h"
#include "platform/targetidentity.h"

#include <memory>

// The real services of this desktop. The only place that builds them: the
// backends are the ones the build chose for this system.
class DesktopPlatform final
{
public:
    enum class Scope
    {
        // Files, settings and preferences, for commands that never look at
        // processes.
        files,
        everything,
    };

    // The services for managing `target`.
    explicit DesktopPlatform(const TargetIdentity& target, Scope scope = Scope::everything);
    ~DesktopPlatform();
    Q_DISABLE_COPY_MOVE(DesktopPlatform)

    PlatformServices services() const;

private:
    std::unique_ptr<SystemLog> m_log;
    std::unique_ptr<FileSystem> m_fileSystem;
    std::unique_ptr<UserDefaults> m_userDefaults;
    std::unique_ptr<PreferencesService> m_preferences;
    std::unique_ptr<Workspace> m_workspace;
};
