#pragma once

#include "platform/applicationlauncher_gio.h"
#include "platform/desktopworkspace.h"
#include "platform/processmonitor_linux.h"
#include "target/pelvaroapplication.h"

// The desktop's own workspace, with its process monitor at hand so that a
// test can rescan and follow processes when it chooses.
struct RealWorkspace
{
    explicit RealWorkspace(int scanIntervalMs = LinuxProcessMonitor::defaultScanIntervalMs)
        : workspace(
              std::make_unique<GioApplicationLauncher>(),
              std::make_unique<LinuxProcessMonitor>(pelvaro::applicationNames(), scanIntervalMs)),
          monitor(static_cast<LinuxProcessMonitor&>(workspace.monitor()))
    {
    }

    DesktopWorkspace workspace;
    LinuxProcessMonitor& monitor;
};
