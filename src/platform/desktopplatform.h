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
    // Starts loading what opening `target` needs, on a thread of its own,
    // before anything else is built: a start from the command line then
    // finds it ready when the profile is applied.
    static void prepareToOpen(const TargetIdentity& target);
    // Applications are opened without closing this process's descriptors
    // one by one (a spawn, not a fork: bench_e2estart, 1.30x to 1.17x of the
    // shell's way). The launcher's own close on exec; those it inherited
    // are made to as well, before anything else runs, so that an opened
    // application inherits none of them.
    static void keepInheritedDescriptorsFromChildren();

private:
    std::unique_ptr<SystemLog> m_log;
    std::unique_ptr<FileSystem> m_fileSystem;
    std::unique_ptr<UserDefaults> m_userDefaults;
    std::unique_ptr<PreferencesService> m_preferences;
    std::unique_ptr<Workspace> m_workspace;
};
