#pragma once

#include "platform/workspace.h"

#include <QHash>
#include <QSet>
#include <QTimer>

#include <sys/types.h>

class QSocketNotifier;

// Running applications are the current user's processes, named by their
// kernel process name. Launches are found by rescanning /proc on a timer,
// and often for up to five seconds after openApplication(), until a process
// with one of the `promptNames` appears, so that an application that quits
// soon after its launch is still seen. The exits of processes with one of
// the `promptNames` are reported at once through a pidfd, other exits at
// the next scan.
class LinuxWorkspace : public Workspace
{
    Q_OBJECT

public:
    explicit LinuxWorkspace(QStringList promptNames, int scanIntervalMs = defaultScanIntervalMs,
                            QObject* parent = nullptr);
    ~LinuxWorkspace() override;

    std::optional<QString> urlForApplication(const QString& bundleIdentifier) override;
    void openApplication(const QString& location, OpenCompletion completion) override;
    QList<RunningApplication> runningApplications() override;
    void terminate(const RunningApplication& application) override;

    // Rescans /proc now, announcing what changed since the last scan.
    void rescan();

    static constexpr int defaultScanIntervalMs = 500;
    // Every 25 ms for the first second after a launch, then every 100 ms.
    static constexpr int launchScanIntervalMs = 25;
    static constexpr int launchScans = 80;

private:
    struct Process
    {
        RunningApplication application;
        quint64 sequence = 0;
        ino_t inode = 0;
        int pidfd = -1;
        QSocketNotifier* exitNotifier = nullptr;
    };

    void scan(bool announce);
    // Starts the quick rescans that follow a launch.
    void scanOftenForLaunch();
    void stopScanningForLaunch();
    void watchExit(Process& process);
    void handleExit(qint64 processId);
    void forget(Process& process);

    QStringList m_promptNames;
    uid_t m_userId;
    QTimer m_scanTimer;
    QTimer m_launchScanTimer;
    int m_launchScansLeft = 0;
    quint64 m_nextSequence = 0;
    QHash<qint64, Process> m_processes;
    // Processes whose exit came through their pidfd but that may still be
    // listed in /proc until reaped, keyed by ID, valued by start time.
    QHash<qint64, quint64> m_exited;
};
