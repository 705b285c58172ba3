#include "app/commandline.h"
#include "app/singleinstance.h"
#include "platform/plistreader.h"
#include "platform/workspace_linux.h"
#include "support/testenvironment.h"
#include "target/pelvaroapplication.h"

#include <QtTest>

#include <csignal>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

QString profileFolder()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + u"/Pelvaro Launcher";
}

QString settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/pelvaro-launcher/pelvaro-launcher.conf";
}

Run launcher(const QStringList& arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE), arguments);
    Run run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// Terminates every stand-in Pelvaro once it is running.
bool terminatePelvaroWhenRunning(LinuxWorkspace& workspace, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        for (const RunningApplication& application : workspace.runningApplications()) {
            if (application.localizedName &&
                pelvaro::isApplicationName(*application.localizedName)) {
                if (!test_files::waitUntilStandInIsReady(application.processId))
                    return false;
                workspace.terminate(application);
                return true;
            }
        }
        QTest::qWait(50);
    }
    return false;
}

// Sends from another thread while this one's event loop serves the primary.
std::optional<QJsonObject> sendWhileServing(const SingleInstance& sender,
                                            const QJsonObject& request)
{
    std::optional<QJsonObject> answer;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        const std::optional<SingleInstance::Outcome> outcome = sender.send(request);
        if (outcome && outcome->kind == SingleInstance::Outcome::Kind::Answered)
            answer = outcome->answer;
    }));
    thread->start();
    // send() gives up after its own timeout, so this ends.
    while (!thread->isFinished())
        QTest::qWait(10);
    return answer;
}

PlistDictionary profile(const QString& fileName)
{
    return PlistReader::read(test_files::readBytes(profileFolder() + u'/' + fileName))
        .value_or(PlistValue())
        .toDictionary();
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void parsing_data();
    void parsing();
    void listPrintsFileNamesInDisplayOrder();
    void listOfEmptyFolderPrintsNothing();
    void listWithFolderChangesNoSetting();
    void startRefusals_data();
    void startRefusals();
    void startWithoutWindowRunsTheWholeRoad();
    void secondInstanceHandsOverToTheFirst();
    void staleLockIsTakenOver();
    void primaryKeepsAnsweringAfterBrokenClients_data();
    void primaryKeepsAnsweringAfterBrokenClients();
};

void CommandLineTest::initTestCase()
{
    QVERIFY(test_files::installStandInPelvaro());
}

void CommandLineTest::init()
{
    QDir(profileFolder()).removeRecursively();
    QDir().mkpath(profileFolder());
    for (const char* name :
         {"Work.plist", "profile 2.plist", "Profile 10.plist", "Twin.plist", "Twin.PLIST"})
        test_files::writeBinaryPlist(
            profileFolder() + u'/' + QLatin1String(name),
            PlistValue(test_files::dictionary(
                {{QStringLiteral("From"), PlistValue(QString::fromLatin1(name))}})));
    test_files::writeBytes(profileFolder() + u"/Broken.plist", "not a property list");
}

void CommandLineTest::parsing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("exitCode");
    const int usage = -1;
    QTest::newRow("window") << QStringList{} << int(LaunchRequest::Kind::window) << 0;
    QTest::newRow("list") << QStringList{QStringLiteral("--list")} << int(LaunchRequest::Kind::list)
                          << 0;
    QTest::newRow("start with folder")
        << QStringList{QStringLiteral("--start"), QStringLiteral("Work"),
                       QStringLiteral("--folder"), QStringLiteral("/x")}
        << int(LaunchRequest::Kind::start) << 0;
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << int(LaunchRequest::Kind::help)
                          << 0;
    QTest::newRow("version") << QStringList{QStringLiteral("--version")}
                             << int(LaunchRequest::Kind::version) << 0;
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << usage << 2;
    QTest::newRow("start without name") << QStringList{QStringLiteral("--start")} << usage << 2;
    QTest::newRow("list and start")
        << QStringList{QStringLiteral("--list"), QStringLiteral("--start"), QStringLiteral("a")}
        << usage << 2;
    QTest::newRow("folder alone") << QStringList{QStringLiteral("--folder"), QStringLiteral("/x")}
                                  << usage << 2;
    QTest::newRow("stray argument") << QStringList{QStringLiteral("Work")} << usage << 2;
}

void CommandLineTest::parsing()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(int, exitCode);
    const ParsedCommandLine parsed =
        command_line::parse(QStringList{QStringLiteral("pelvaro-launcher")} + arguments);
    QCOMPARE(parsed.exitCode, exitCode);
    QCOMPARE(parsed.request.has_value(), kind >= 0);
    if (parsed.request)
        QCOMPARE(int(parsed.request->kind), kind);
    else
        QVERIFY(!parsed.output.isEmpty());
}

void CommandLineTest::listPrintsFileNamesInDisplayOrder()
{
    const Run run = launcher({QStringLiteral("--list")});
    QCOMPARE(run.exitCode, 0);
    QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    // The two Twins collate alike and keep the directory's order, which the
    // file system decides.
    QCOMPARE(lines.size(), 6);
    QCOMPARE(QSet<QString>(lines.begin() + 3, lines.begin() + 5),
             (QSet<QString>{QStringLiteral("Twin.plist"), QStringLiteral("Twin.PLIST")}));
    lines.remove(3, 2);
    QCOMPARE(lines,
             (QStringList{QStringLiteral("Broken.plist"), QStringLiteral("profile 2.plist"),
                          QStringLiteral("Profile 10.plist"), QStringLiteral("Work.plist")}));
}

void CommandLineTest::listOfEmptyFolderPrintsNothing()
{
    QTemporaryDir empty;
    const Run run = launcher({QStringLiteral("--list"), QStringLiteral("--folder"), empty.path()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QString());
}

void CommandLineTest::listWithFolderChangesNoSetting()
{
    QFile::remove(settingsFile());
    QTemporaryDir other;
    test_files::writeBytes(other.filePath(QStringLiteral("Elsewhere.plist")), "x");
    const Run run = launcher({QStringLiteral("--list"), QStringLiteral("--folder"), other.path()});
    QCOMPARE(run.out, QStringLiteral("Elsewhere.plist\n"));
    QVERIFY(!QFile::exists(settingsFile()));
}

void CommandLineTest::startRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing")
        << QStringLiteral("Nope")
        << QStringLiteral("No profile named \"Nope\" in \"%1\".").arg(profileFolder());
    QTest::newRow("unreadable") << QStringLiteral("Broken")
                                << QStringLiteral("Could not read profile \"Broken.plist\".");
    QTest::newRow("ambiguous")
        << QStringLiteral("Twin")
        << QStringLiteral("The name \"Twin\" matches more than one profile: \"Twin.plist\", "
                          "\"Twin.PLIST\". Give the file name instead.");
}

void CommandLineTest::startRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    const Run run = launcher({QStringLiteral("--start"), name});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.trimmed(), message);
}

void CommandLineTest::startWithoutWindowRunsTheWholeRoad()
{
    LinuxWorkspace workspace(pelvaro::applicationNames());
    QProcess process;
    process.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE),
                  {QStringLiteral("--start"), QStringLiteral("Twin.PLIST")});
    QVERIFY(process.waitForStarted());
    QVERIFY(terminatePelvaroWhenRunning(workspace));
    QVERIFY(process.waitForFinished(15000));
    QCOMPARE(process.exitCode(), 0);
    const PlistDictionary saved = profile(QStringLiteral("Twin.PLIST"));
    QCOMPARE(saved.value(QStringLiteral("From")), PlistValue(QStringLiteral("Twin.PLIST")));
    QCOMPARE(saved.value(QStringLiteral("LaunchCount")).type(), PlistValue::Type::Integer);
    QVERIFY(!QFile::exists(settingsFile()));
}

void CommandLineTest::secondInstanceHandsOverToTheFirst()
{
    LinuxWorkspace workspace(pelvaro::applicationNames());
    QProcess window;
    window.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE), QStringList{});
    QVERIFY(window.waitForStarted());
    const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/pelvaro-launcher.socket";
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 10000);

    // A plain second start only brings the window forward.
    QCOMPARE(launcher({}, 10000).exitCode, 0);
    // --start runs in the window; the command returns at once.
    QElapsedTimer timer;
    timer.start();
    const Run run = launcher({QStringLiteral("--start"), QStringLiteral("Work")}, 10000);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(terminatePelvaroWhenRunning(workspace));
    QTRY_VERIFY_WITH_TIMEOUT(
        profile(QStringLiteral("Work.plist")).contains(QStringLiteral("LaunchCount")), 10000);
    // The window made the only state: it saved back and still runs.
    QCOMPARE(window.state(), QProcess::Running);
    ::kill(pid_t(window.processId()), SIGTERM);
    QVERIFY(window.waitForFinished(10000));
}

void CommandLineTest::staleLockIsTakenOver()
{
    QTemporaryDir runtime;
    // A launcher that crashes leaves its lock and its socket behind.
    QProcess crashed;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    crashed.setProcessEnvironment(environment);
    crashed.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE), QStringList{});
    QVERIFY(crashed.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(
        QFile::exists(runtime.filePath(QStringLiteral("pelvaro-launcher.socket"))), 10000);
    ::kill(pid_t(crashed.processId()), SIGKILL);
    QVERIFY(crashed.waitForFinished());
    QVERIFY(QFile::exists(runtime.filePath(QStringLiteral("pelvaro-launcher.lock"))));
    SingleInstance first(runtime.path());
    QVERIFY(first.claim());
    first.setHandler([](const QJsonObject& request) {
        return QJsonObject{{QStringLiteral("echo"), request}};
    });
    SingleInstance second(runtime.path());
    QVERIFY(!second.claim());
    const std::optional<QJsonObject> answer =
        sendWhileServing(second, {{QStringLiteral("command"), QStringLiteral("activate")}});
    QVERIFY(answer);
    QCOMPARE(answer->value(QStringLiteral("echo"))
                 .toObject()
                 .value(QStringLiteral("command"))
                 .toString(),
             QStringLiteral("activate"));
}

void CommandLineTest::primaryKeepsAnsweringAfterBrokenClients_data()
{
    QTest::addColumn<QByteArray>("broken");
    QTest::newRow("closes without a line") << QByteArray("{\"command\":");
    QTest::newRow("sends no JSON") << QByteArray("not json\n");
    QTest::newRow("sends a line too long") << QByteArray(2 << 20, 'x');
}

void CommandLineTest::primaryKeepsAnsweringAfterBrokenClients()
{
    QFETCH(QByteArray, broken);
    QTemporaryDir runtime;
    SingleInstance primary(runtime.path());
    QVERIFY(primary.claim());
    int served = 0;
    primary.setHandler([&](const QJsonObject& request) {
        ++served;
        return QJsonObject{{QStringLiteral("echo"), request}};
    });
    {
        // A client that sends something broken and goes away.
        QProcess client;
        client.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import socket,sys\n"
                                     "s=socket.socket(socket.AF_UNIX)\n"
                                     "s.connect(sys.argv[1])\n"
                                     "try: s.sendall(sys.stdin.buffer.read())\n"
                                     "except OSError: pass\n"),
                      runtime.filePath(QStringLiteral("pelvaro-launcher.socket"))});
        QVERIFY(client.waitForStarted());
        client.write(broken);
        client.closeWriteChannel();
        QTRY_VERIFY(client.state() == QProcess::NotRunning);
    }
    // A large request in a well-formed line is still answered.
    const QString longName(100000, u'n');
    SingleInstance second(runtime.path());
    const std::optional<QJsonObject> answer =
        sendWhileServing(second, {{QStringLiteral("name"), longName}});
    QVERIFY(answer);
    QCOMPARE(answer->value(QStringLiteral("echo")).toObject().value(QStringLiteral("name")),
             longName);
    // Only the well-formed request reached the handler.
    QCOMPARE(served, 1);
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
