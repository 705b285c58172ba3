#pragma once

#include "platform/workspace.h"

#include <memory>

class ApplicationLauncher;
class ProcessMonitor;

// The workspace of a desktop whose launcher and process list are separate
// services: what the launcher starts, the monitor watches for.
class DesktopWorkspace final : public Workspace
{
    Q_OBJECT

public:
    DesktopWorkspace(std::unique_ptr<ApplicationLauncher> launcher,
                     std::unique_ptr<ProcessMonitor> monitor, QObject* parent = nullptr);
    ~DesktopWorkspace() override;
    Q_DISABLE_COPY_MOVE(DesktopWorkspace)

    std::optional<QString> locationForApplication(const QString& bundleIdentifier) override;
    void prepareToOpen(const QString& bundleIdentifier) override;
    void openApplication(const QString& location, OpenCompletion completion) override;
    QList<RunningApplication> runningApplications() override;
    void terminate(const RunningApplication& application) override;

    ProcessMonitor& monitor() const { return *m_monitor; }

private:
    std::unique_ptr<ApplicationLauncher> m_launcher;
    std::unique_ptr<ProcessMonitor> m_monitor;
};
