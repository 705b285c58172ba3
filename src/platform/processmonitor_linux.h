#pragma once

#include "platform/processmonitor.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QTimer>

#include <sys/types.h>

class QSocketNotifier;

// Running applications are the current user's processes, named by their
// kernel process name. Launches are found by rescanning /proc on a timer,
// and often for up to five seconds after watchLaunch(), until a process
// with one of the `promptNames` appears, so that an application that quits
// soon after its launch is still seen. The exits of processes with one of
// the `promptNames` are reported at once through a pidfd, other exits at
// the next scan.
//
// A process may take its name only after it was first seen: a launch goes
// through a wrapper (gio-launch-desktop, env, sh -c) that execs the
// application under the same ID, and a program may rename itself. So the
// names of young processes are read again at every scan, and the process
// that watchLaunch() names is followed on its own until it takes one
// of the `promptNames` or exits. A renamed process is announced as launched
// under its new name.
//
// The process that watchLaunch() names is this process's child, and stays
// a zombie until it is reaped here: so its last name is read after its
// exit, and an application that lived too briefly for any scan is still
// announced, as launched and then exited.
class LinuxProcessMonitor final : public ProcessMonitor
{
    Q_OBJECT

public:
    explicit LinuxProcessMonitor(QStringList promptNames,
                                 int scanIntervalMs = defaultScanIntervalMs,
                                 QObject* parent = nullptr);
    ~LinuxProcessMonitor() override;
    Q_DISABLE_COPY_MOVE(LinuxProcessMonitor)

    QList<RunningApplication> runningApplications() override;
    void terminate(const RunningApplication& application) override;
    void watchLaunch(qint64 processId) override;

    // Rescans /proc now, announcing what changed since the last scan.
    void rescan();

    static constexpr int defaultScanIntervalMs = 500;
    // Every 25 ms for the first second after a launch, then every 100 ms.
    static constexpr int launchScanIntervalMs = 25;
    static constexpr int launchScans = 80;
    // How long after a process is first seen its name is read again.
    static constexpr int nameSettleMs = 10000;
    // How often the started process is checked while it has another name.
    static constexpr int launchTargetIntervalMs = 50;

    // Follows this process until it takes one of the `promptNames` or exits.
    // A child of this process that nobody else waits for is `adopted`: its
    // exit is heard at once, and it is reaped once its name is read.
    enum class Reaping
    {
        leave,
        adopt
    };
    void followLaunchedProcess(qint64 processId, Reaping reaping = Reaping::leave);

private:
    // A process's exit, heard through its pidfd.
    struct ExitWatch
    {
        int pidfd = -1;
        QSocketNotifier* notifier = nullptr;
    };
    // Opens the pidfd and calls `handler` once the process has exited.
    bool watch(ExitWatch& exit, qint64 processId, void (LinuxProcessMonitor::*handler)(qint64));
    static void forget(ExitWatch& exit);

    struct Process
    {
        RunningApplication application;
        quint64 sequence = 0;
        qint64 firstSeenMs = 0;
        ino_t inode = 0;
        ExitWatch exit;
    };

    void scan(bool announce);
    // Starts the quick rescans that follow a launch.
    void scanOftenForLaunch();
    void stopScanningForLaunch();
    // A process with a prompt name has appeared: the launch is complete.
    void recognised();
    bool isPromptName(const std::optional<QString>& name) const;
    // Reads a known process's name again; true when it took a prompt name.
    bool refreshName(int procFd, const char* pid, Process& process);
    void checkLaunchTargets();
    void watchExit(Process& process);
    void handleExit(qint64 processId);
    void handleChildExit(qint64 processId);
    void adopt(qint64 processId);

    QStringList m_promptNames;
    uid_t m_userId;
    QTimer m_scanTimer;
    QTimer m_launchScanTimer;
    int m_launchScansLeft = 0;
    QTimer m_launchTargetTimer;
    QSet<qint64> m_launchTargets;
    QElapsedTimer m_clock;
    quint64 m_nextSequence = 0;
    QHash<qint64, Process> m_processes;
    // Processes whose exit came through their pidfd but that may still be
    // listed in /proc until reaped, keyed by ID, valued by start time.
    QHash<qint64, quint64> m_exited;
    // Adopted children, until they exit and are reaped.
    QHash<qint64, ExitWatch> m_children;
};
