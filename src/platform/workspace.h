#pragma once

#include "platform/result.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

struct RunningApplication
{
    qint64 processId = 0;
    // Distinguishes a process from a later one that reuses its ID.
    quint64 startTime = 0;
    std::optional<QString> localizedName;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};
Q_DECLARE_METATYPE(RunningApplication)

// The desktop's view of applications: locating and opening one, listing the
// running ones, asking one to quit, and hearing of launches and terminations.
// Signals are delivered on the main thread.
class Workspace : public QObject
{
    Q_OBJECT

public:
    using OpenCompletion = std::function<void(const Result<void>& opened)>;

    using QObject::QObject;

    // The location (a desktop entry) of the application with this bundle ID.
    virtual std::optional<QString> locationForApplication(const QString& bundleIdentifier) = 0;
    // The application is about to be looked up and opened: what that needs
    // may be made ready meanwhile, without blocking this thread.
    virtual void prepareToOpen(const QString& bundleIdentifier) { Q_UNUSED(bundleIdentifier); }
    // Opens the application; `completion` hears whether it started. It is
    // always called later, never from inside this call.
    virtual void openApplication(const QString& location, OpenCompletion completion) = 0;
    virtual QList<RunningApplication> runningApplications() = 0;
    virtual void terminate(const RunningApplication& application) = 0;

signals:
    void applicationLaunched(const RunningApplication& application);
    void applicationTerminated(const RunningApplication& application);
};
