#pragma once

#include "platform/workspace.h"

#include <QObject>

// The current user's running applications as the system sees them: listed,
// asked to quit, and heard of when they appear or exit. Signals are
// delivered on the main thread.
class ProcessMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QList<RunningApplication> runningApplications() = 0;
    virtual void terminate(const RunningApplication& application) = 0;
    // An application was just started as this process (0 when its ID is not
    // known): look for it more often for a while, and follow the process
    // until it takes a watched name or exits. The process is this process's
    // child, and is reaped here once it exits.
    virtual void watchLaunch(qint64 processId) = 0;

signals:
    void applicationLaunched(const RunningApplication& application);
    void applicationTerminated(const RunningApplication& application);
};
