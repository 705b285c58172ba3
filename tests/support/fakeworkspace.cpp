#include "support/fakeworkspace.h"

#include <QTimer>

std::optional<QString> FakeWorkspace::locationForApplication(const QString& bundleIdentifier)
{
    Q_UNUSED(bundleIdentifier);
    return installedLocation;
}

void FakeWorkspace::openApplication(const QString& location, OpenCompletion completion)
{
    openedLocations.append(location);
    QTimer::singleShot(0, this, [this, completion] {
        completion(openError ? Result<void>(*openError) : Result<void>());
    });
}

void FakeWorkspace::terminate(const RunningApplication& application)
{
    terminated.append(application);
}

RunningApplication FakeWorkspace::addSilently(const std::optional<QString>& name)
{
    RunningApplication application{m_nextProcessId++, 1, name};
    m_running.append(application);
    return application;
}

RunningApplication FakeWorkspace::launch(const std::optional<QString>& name)
{
    const RunningApplication application = addSilently(name);
    emit applicationLaunched(application);
    return application;
}

void FakeWorkspace::quit(const RunningApplication& application)
{
    m_running.removeAll(application);
    emit applicationTerminated(application);
}
