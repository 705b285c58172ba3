#pragma once

#include "platform/workspace.h"

// A workspace the test drives by hand: which applications run, whether
// Pelvaro is installed, and what opening it does.
class FakeWorkspace final : public Workspace
{
    Q_OBJECT

public:
    std::optional<QString> installedLocation =
        QStringLiteral("/fake/com.corvandel.pelvaro.desktop");
    // What opening fails with; GLib phrases such errors itself.
    std::optional<PlatformError> openError;
    QStringList openedLocations;
    QList<RunningApplication> terminated;

    std::optional<QString> locationForApplication(const QString& bundleIdentifier) override;
    void openApplication(const QString& location, OpenCompletion completion) override;
    QList<RunningApplication> runningApplications() override { return m_running; }
    void terminate(const RunningApplication& application) override;

    // Adds a running application and announces it, as a real launch would.
    RunningApplication launch(const std::optional<QString>& name);
    // Adds one without announcing it: it was running before anyone listened.
    RunningApplication addSilently(const std::optional<QString>& name);
    void quit(const RunningApplication& application);

private:
    QList<RunningApplication> m_running;
    qint64 m_nextProcessId = 1000;
};
