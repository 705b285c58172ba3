#pragma once

#include "platform/preferencesstore.h"
#include "state/launcherstate.h"
#include "support/realworkspace.h"
#include "support/testenvironment.h"

#include <memory>
#include <optional>

// The launcher on the real workspace and the real home's preferences
// domain, with one profile, Work.plist {Color = blue}, in the default
// folder: the road the stand-in Pelvaro is started on.
class PelvaroRoad
{
public:
    explicit PelvaroRoad(int scanIntervalMs = LinuxProcessMonitor::defaultScanIntervalMs);

    LauncherState& state() { return *m_state; }
    DesktopWorkspace& workspace() { return m_workspace.workspace; }
    LinuxProcessMonitor& processes() { return m_workspace.monitor; }
    TestEnvironment& environment() { return m_env; }

    PlistDictionary profileContent(const QString& fileName) const;
    std::optional<RunningApplication> runningPelvaro();
    void terminatePelvaro();

private:
    TestEnvironment m_env;
    RealWorkspace m_workspace;
    PreferencesStore m_preferences;
    std::unique_ptr<LauncherState> m_state;
};
