#include "support/realworkspace.h"
#include "support/testenvironment.h"
#include "target/pelvaroapplication.h"

#include <QtTest>

namespace {

QString standInLink(const QString& name)
{
    return QFileInfo(QStringLiteral(STAND_IN_PELVARO)).path() + u'/' + name;
}

bool listed(Workspace& workspace, qint64 processId)
{
    for (const RunningApplication& application : workspace.runningApplications()) {
        if (application.processId == processId)
            return true;
    }
    return false;
}

qint64 parentProcessId(qint64 processId)
{
    QFile stat(u"/proc/" + QString::number(processId) + u"/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // "pid (comm) state ppid ...": the name may hold spaces and parentheses.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() : 0;
}

} // namespace

class WorkspaceTest : public QObject
{
    Q_OBJECT

private slots:
    void launchAndExitAreReported_data();
    void launchAndExitAreReported();
    void otherExitsAreReportedAtTheNextScan();
    void namesAreReadAsTheKernelHasThem_data();
    void namesAreReadAsTheKernelHasThem();
    void desktopEntryIsFoundAndOpened();
    void missingEntryAndFailedLaunch();
    void openedApplicationIsFoundBeforeTheNextScan();
    void processThatBecomesPelvaroIsRecognised_data();
    void processThatBecomesPelvaroIsRecognised();
};

void WorkspaceTest::launchAndExitAreReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Pelvaro") << QStringLiteral("Pelvaro");
    QTest::newRow("Pelvaro MD") << QStringLiteral("Pelvaro MD");
}

void WorkspaceTest::launchAndExitAreReported()
{
    QFETCH(QString, name);
    // No timed scans here: launches are found by rescans this test asks
    // for, so an exit can only be heard of through the pidfd.
    RealWorkspace real(24 * 3600 * 1000);
    DesktopWorkspace& workspace = real.workspace;
    LinuxProcessMonitor& monitor = real.monitor;
    QSignalSpy launched(&workspace, &Workspace::applicationLaunched);
    QProcess process;
    process.start(standInLink(name), {QStringLiteral("--headless")});
    QVERIFY(process.waitForStarted());
    const qint64 processId = process.processId();
    QTRY_VERIFY_WITH_TIMEOUT((monitor.rescan(), listed(workspace, processId)), 5000);
    bool announced = false;
    for (const QList<QVariant>& arguments : std::as_const(launched)) {
        const auto application = arguments.at(0).value<RunningApplication>();
        if (application.processId == processId) {
            QCOMPARE(application.localizedName, std::optional<QString>(name));
            announced = true;
        }
    }
    QVERIFY(announced);

    // The exit arrives through the pidfd, and the list is already without it.
    bool stillListedAtExit = true;
    bool reported = false;
    connect(&workspace, &Workspace::applicationTerminated, this,
            [&](const RunningApplication& application) {
                if (application.processId != processId)
                    return;
                stillListedAtExit = listed(workspace, processId);
                reported = true;
            });
    const RunningApplication target = [&] {
        for (const RunningApplication& application : workspace.runningApplications()) {
            if (application.processId == processId)
                return application;
        }
        return RunningApplication{};
    }();
    workspace.terminate(target);
    QTRY_VERIFY_WITH_TIMEOUT(reported, 10000);
    QVERIFY(!stillListedAtExit);
    QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(5000));
}

void WorkspaceTest::otherExitsAreReportedAtTheNextScan()
{
    RealWorkspace real;
    DesktopWorkspace& workspace = real.workspace;
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(sleeper.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(listed(workspace, sleeper.processId()), 5000);
    const qint64 processId = sleeper.processId();
    QSignalSpy terminated(&workspace, &Workspace::applicationTerminated);
    sleeper.kill();
    QVERIFY(sleeper.waitForFinished());
    QTRY_VERIFY_WITH_TIMEOUT(!listed(workspace, processId), 5000);
    QTRY_VERIFY(!terminated.isEmpty());
}

void WorkspaceTest::namesAreReadAsTheKernelHasThem_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("listedName");
    QTest::newRow("parentheses and spaces") << QStringLiteral("a) (b)") << QStringLiteral("a) (b)");
    QTest::newRow("newline") << QStringLiteral("two\nlines") << QStringLiteral("two\nlines");
    QTest::newRow("backslash") << QStringLiteral("back\\slash") << QStringLiteral("back\\slash");
    QTest::newRow("cut to 15 bytes")
        << QStringLiteral("Pelvaro Launcher Helper") << QStringLiteral("Pelvaro Launche");
    QTest::newRow("non-ASCII") << QStringLiteral("Pelvaro \u00dcber")
                               << QStringLiteral("Pelvaro \u00dcber");
}

void WorkspaceTest::namesAreReadAsTheKernelHasThem()
{
    QFETCH(QString, fileName);
    QFETCH(QString, listedName);
    const QString link = qEnvironmentVariable("HOME") + u'/' + fileName;
    QVERIFY(QFile::link(QStringLiteral(STAND_IN_PELVARO), link));
    // Seen by a later scan of a monitor that was there before, and by a new
    // monitor's first scan.
    RealWorkspace before(24 * 3600 * 1000);
    QProcess process;
    process.start(link, {QStringLiteral("--headless")});
    QVERIFY(process.waitForStarted());
    const auto stop = qScopeGuard([&process] {
        process.kill();
        process.waitForFinished();
    });
    RealWorkspace after(24 * 3600 * 1000);
    for (RealWorkspace* real : {&before, &after}) {
        real->monitor.rescan();
        std::optional<QString> name;
        for (const RunningApplication& application : real->workspace.runningApplications()) {
            if (application.processId == process.processId())
                name = application.localizedName;
        }
        QCOMPARE(name, std::optional<QString>(listedName));
    }
}

void WorkspaceTest::desktopEntryIsFoundAndOpened()
{
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications";
    QDir().mkpath(applications);
    const QString marker = qEnvironmentVariable("HOME") + u"/opened";
    QVERIFY(test_files::writeBytes(applications + u"/com.corvandel.pelvaro.desktop",
                                   "[Desktop Entry]\nType=Application\nName=Pelvaro\nExec=touch " +
                                       QFile::encodeName(marker) + "\n"));
    RealWorkspace real;
    DesktopWorkspace& workspace = real.workspace;
    const std::optional<QString> location =
        workspace.locationForApplication(pelvaro::bundleIdentifier);
    QVERIFY(location);
    QVERIFY(location->endsWith(u"/applications/com.corvandel.pelvaro.desktop"));
    bool completed = false;
    std::optional<PlatformError> error;
    workspace.openApplication(*location, [&](const Result<void>& result) {
        completed = true;
        if (!result)
            error = result.error();
    });
    QVERIFY2(!completed, "the completion must come later, not from inside the call");
    QTRY_VERIFY(completed);
    QVERIFY(!error);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
}

void WorkspaceTest::missingEntryAndFailedLaunch()
{
    RealWorkspace real;
    DesktopWorkspace& workspace = real.workspace;
    QVERIFY(!workspace.locationForApplication(QStringLiteral("com.corvandel.nothing-here")));
    const QString broken = qEnvironmentVariable("HOME") + u"/broken.desktop";
    QVERIFY(test_files::writeBytes(broken, "[Desktop Entry]\nType=Application\nName=Broken\n"
                                           "Exec=/nonexistent/program-that-is-not-there\n"));
    std::optional<PlatformError> error;
    bool completed = false;
    workspace.openApplication(broken, [&](const Result<void>& result) {
        completed = true;
        if (!result)
            error = result.error();
    });
    QTRY_VERIFY(completed);
    QVERIFY(error);
    QCOMPARE(error->operation, Operation::launch);

    error.reset();
    completed = false;
    workspace.openApplication(qEnvironmentVariable("HOME") + u"/missing.desktop",
                              [&](const Result<void>& result) {
                                  completed = true;
                                  if (!result)
                                      error = result.error();
                              });
    QTRY_VERIFY(completed);
    QVERIFY(error);
    QCOMPARE(error->code, ErrorCode::notFound);

    // A spawn that fails (its working folder is gone) gives GLib's reason,
    // phrased in the user's language by GLib itself.
    const QString failing = qEnvironmentVariable("HOME") + u"/failing.desktop";
    QVERIFY(test_files::writeBytes(failing, "[Desktop Entry]\nType=Application\nName=Failing\n"
                                            "Exec=true\nPath=/nonexistent/folder\n"));
    error.reset();
    completed = false;
    workspace.openApplication(failing, [&](const Result<void>& result) {
        completed = true;
        if (!result)
            error = result.error();
    });
    QTRY_VERIFY(completed);
    QVERIFY(error);
    QCOMPARE(error->code, ErrorCode::systemError);
    QVERIFY(!error->systemMessage.isEmpty());
}

void WorkspaceTest::openedApplicationIsFoundBeforeTheNextScan()
{
    // An application that quits soon after its launch must still be seen
    // running, or a profile started with it would never be saved back.
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications";
    QDir().mkpath(applications);
    QVERIFY(test_files::writeBytes(applications + u"/com.corvandel.pelvaro.desktop",
                                   "[Desktop Entry]\nType=Application\nName=Pelvaro\nExec=\"" +
                                       QFile::encodeName(standInLink(QStringLiteral("Pelvaro"))) +
                                       "\" --headless\n"));
    RealWorkspace real(24 * 3600 * 1000);
    DesktopWorkspace& workspace = real.workspace;
    LinuxProcessMonitor& monitor = real.monitor;
    std::optional<RunningApplication> announced;
    connect(&workspace, &Workspace::applicationLaunched, this,
            [&](const RunningApplication& application) {
                if (!announced && test_files::isPelvaroFromThisTest(application))
                    announced = application;
            });
    QSignalSpy terminated(&workspace, &Workspace::applicationTerminated);
    // GIO's spawned child may still be on its way to exec when a check
    // fails; it is waited for, so that no Pelvaro outlives the test.
    const auto leaveNothingRunning = qScopeGuard([&workspace, &monitor] {
        std::optional<RunningApplication> pelvaro;
        const bool seen = QTest::qWaitFor(
            [&] {
                monitor.rescan();
                pelvaro = test_files::pelvaroFromThisTest(workspace.runningApplications());
                return pelvaro.has_value();
            },
            5000);
        if (seen)
            workspace.terminate(*pelvaro);
    });
    const std::optional<QString> location =
        workspace.locationForApplication(pelvaro::bundleIdentifier);
    QVERIFY(location);
    workspace.openApplication(*location, {});
    // Other processes of the user, and the spawned child before its exec,
    // may be announced first; only the Pelvaro counts.
    QTRY_VERIFY_WITH_TIMEOUT(announced.has_value(), 5000);
    QCOMPARE(announced->localizedName, std::optional<QString>(QStringLiteral("Pelvaro")));
    QVERIFY(test_files::waitUntilStandInIsReady(announced->processId));
    workspace.terminate(*announced);
    const auto exitReported = [&] {
        for (const QList<QVariant>& arguments : std::as_const(terminated)) {
            if (arguments.at(0).value<RunningApplication>().processId == announced->processId)
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(exitReported(), 5000);
}

void WorkspaceTest::processThatBecomesPelvaroIsRecognised_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("howFound");
    const QString pelvaro = u'"' + standInLink(QStringLiteral("Pelvaro")) + u'"';
    const QString sh = QStringLiteral("sh");
    const QStringList slowWrapper{QStringLiteral("-c"),
                                  u"sleep 1; exec " + pelvaro + u" --headless"};
    const QStringList shellChild{QStringLiteral("-c"),
                                 u"sleep 1; " + pelvaro + u" --headless; true"};
    const QStringList renames{QStringLiteral("--headless"), QStringLiteral("--name"),
                              QStringLiteral("Pelvaro"), QStringLiteral("--name-after"),
                              QStringLiteral("1000")};
    const QString standIn = QStringLiteral(STAND_IN_PELVARO);
    const QStringList direct{QStringLiteral("--headless")};
    for (const char* howFound : {"timed scans", "rescans", "followed"}) {
        const QByteArray suffix = QByteArray(", ") + howFound;
        QTest::newRow(QByteArray(QByteArray("direct") + suffix).constData())
            << standInLink(QStringLiteral("Pelvaro")) << direct << QString::fromLatin1(howFound);
        QTest::newRow(QByteArray(QByteArray("slow wrapper execs") + suffix).constData())
            << sh << slowWrapper << QString::fromLatin1(howFound);
        QTest::newRow(QByteArray(QByteArray("prctl") + suffix).constData())
            << standIn << renames << QString::fromLatin1(howFound);
        // A child of the wrapper is a new process; only scans find it.
        if (qstrcmp(howFound, "followed") != 0)
            QTest::newRow(QByteArray(QByteArray("sh -c child") + suffix).constData())
                << sh << shellChild << QString::fromLatin1(howFound);
    }
}

// A launch through a wrapper, or a program that names itself late, shows
// another name at first; the process must still be recognised once it has
// become Pelvaro, or nothing would ever be saved back.
void WorkspaceTest::processThatBecomesPelvaroIsRecognised()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, howFound);
    const bool timedScans = howFound == u"timed scans";
    RealWorkspace real(timedScans ? 100 : 24 * 3600 * 1000);
    DesktopWorkspace& workspace = real.workspace;
    LinuxProcessMonitor& monitor = real.monitor;
    QSignalSpy launched(&workspace, &Workspace::applicationLaunched);
    QProcess process;
    process.start(program, arguments);
    QVERIFY(process.waitForStarted());
    // Only the started process, or the child of the wrapper, counts: a
    // Pelvaro of the same user started elsewhere is announced as well.
    const auto startedHere = [&](const RunningApplication& application) {
        return application.processId == process.processId() ||
               parentProcessId(application.processId) == process.processId();
    };
    const auto stop = qScopeGuard([&] {
        monitor.rescan();
        for (const RunningApplication& running : workspace.runningApplications()) {
            if (running.localizedName == u"Pelvaro" && startedHere(running))
                workspace.terminate(running);
        }
        process.kill();
        process.waitForFinished();
    });
    const auto announcedAsPelvaro = [&] {
        for (const QList<QVariant>& arguments : std::as_const(launched)) {
            const auto application = arguments.at(0).value<RunningApplication>();
            if (application.localizedName == u"Pelvaro" && startedHere(application))
                return true;
        }
        return false;
    };
    // Seen first under the name it starts with.
    monitor.rescan();
    QVERIFY(listed(workspace, process.processId()));
    if (program != standInLink(QStringLiteral("Pelvaro")))
        QVERIFY(!announcedAsPelvaro());
    if (howFound == u"followed")
        monitor.followLaunchedProcess(process.processId());
    QVERIFY(QTest::qWaitFor(
        [&] {
            if (howFound == u"rescans")
                monitor.rescan();
            return announcedAsPelvaro();
        },
        10000));
    bool listedAsPelvaro = false;
    for (const RunningApplication& application : workspace.runningApplications()) {
        listedAsPelvaro = listedAsPelvaro ||
                          (application.localizedName == u"Pelvaro" && startedHere(application));
    }
    QVERIFY(listedAsPelvaro);
}

QTEST_GUILESS_MAIN(WorkspaceTest)
#include "tst_workspace.moc"
