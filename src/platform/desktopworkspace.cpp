#include "platform/desktopworkspace.h"

#include "platform/applicationlauncher.h"
#include "platform/processmonitor.h"

#include <QTimer>

DesktopWorkspace::DesktopWorkspace(std::unique_ptr<ApplicationLauncher> launcher,
                                   std::unique_ptr<ProcessMonitor> monitor, QObject* parent)
    : Workspace(parent), m_launcher(std::move(launcher)), m_monitor(std::move(monitor))
{
    connect(m_monitor.get(), &ProcessMonitor::applicationLaunched, this,
            &Workspace::applicationLaunched);
    connect(m_monitor.get(), &ProcessMonitor::applicationTerminated, this,
            &Workspace::applicationTerminated);
}

DesktopWorkspace::~DesktopWorkspace() = default;

std::optional<QString> DesktopWorkspace::locationForApplication(const QString& bundleIdentifier)
{
    return m_launcher->locationForApplication(bundleIdentifier);
}

void DesktopWorkspace::prepareToOpen(const QString& bundleIdentifier)
{
    m_launcher->prepare(bundleIdentifier);
}

void DesktopWorkspace::openApplication(const QString& location, OpenCompletion completion)
{
    Result<void> outcome;
    if (const Result<qint64> started = m_launcher->open(location))
        m_monitor->watchLaunch(*started);
    else
        outcome = started.error();
    QTimer::singleShot(0, this, [completion = std::move(completion), outcome] {
        if (completion)
            completion(outcome);
    });
}

QList<RunningApplication> DesktopWorkspace::runningApplications()
{
    return m_monitor->runningApplications();
}

void DesktopWorkspace::terminate(const RunningApplication& application)
{
    m_monitor->terminate(application);
}
