#include "app/runtimefolder.h"
#include "app/singleinstance.h"
#include "platform/filesystem_linux.h"
#include "platform/processmonitor_linux.h"
#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "profiles/profileversions.h"
#include "support/launcherprocess.h"
#include "support/testenvironment.h"
#include "target/pelvaroapplication.h"

#include <QtTest>

#include <csignal>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace launcher_process;

namespace {

const QString alreadyRunning =
    QStringLiteral("Pelvaro is already running; quit it before starting a profile.");

QString runtimeFolder()
{
    return qEnvironmentVariable("XDG_RUNTIME_DIR");
}

QString socketPath()
{
    return runtimeFolder() + u"/pelvaro-launcher.socket";
}

// Sends from another thread while this one's event loop serves the primary.
std::optional<QJsonObject> sendWhileServing(SingleInstance& sender, const QJsonObject& request,
                                            int patienceMs = 10000)
{
    std::optional<QJsonObject> answer;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        const SingleInstance::Outcome outcome = sender.claimOrHandOver(request, patienceMs);
        if (outcome.kind == SingleInstance::Outcome::Kind::answered)
            answer = outcome.answer;
    }));
    thread->start();
    // The hand-over gives up after its patience, so this ends.
    while (!thread->isFinished())
        QTest::qWait(10);
    return answer;
}

// The launcher started with `arguments`, left running.
std::unique_ptr<QProcess> startLauncher(const QStringList& arguments,
                                        const QString& workingFolder = {})
{
    auto process = std::make_unique<QProcess>();
    if (!workingFolder.isEmpty())
        process->setWorkingDirectory(workingFolder);
    process->start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE), arguments);
    process->waitForStarted();
    return process;
}

void stopLauncher(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(process.processId()), SIGTERM);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
}

QMap<QString, QByteArray> profileBytes()
{
    QMap<QString, QByteArray> bytes;
    for (const QString& name : QDir(profileFolder()).entryList(QDir::Files))
        bytes.insert(name, test_files::readBytes(profileFolder() + u'/' + name));
    return bytes;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Open descriptors of this process, and three: ".", ".." and the listing's own.
int openDescriptors()
{
    int count = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (::readdir(fds))
            ++count;
        ::closedir(fds);
    }
    return count;
}

// A Python process that opens `count` connections to the socket and keeps
// them open without a word until it is killed.
std::unique_ptr<QProcess> silentClients(const QString& socket, int count)
{
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral(PYTHON3_EXECUTABLE),
                   {QStringLiteral("-c"),
                    QStringLiteral("import socket, sys, time\n"
                                   "held = []\n"
                                   "for _ in range(int(sys.argv[2])):\n"
                                   "    s = socket.socket(socket.AF_UNIX)\n"
                                   "    s.setblocking(False)\n"
                                   "    try: s.connect(sys.argv[1])\n"
                                   "    except OSError: pass\n"
                                   "    held.append(s)\n"
                                   "print('open', flush=True)\n"
                                   "time.sleep(60)\n"),
                    socket, QString::number(count)});
    process->waitForStarted();
    process->waitForReadyRead(10000);
    return process;
}

} // namespace

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void secondInstanceHandsOverToTheFirst();
    void restoreGoesThroughTheRunningLauncher_data();
    void restoreGoesThroughTheRunningLauncher();
    void launchersStartedTogetherRunOneStart_data();
    void launchersStartedTogetherRunOneStart();
    void clientWaitsForAStalledPrimary();
    void requestOfAClientThatGaveUpIsNotCarriedOut();
    void runtimeFolderIsChecked_data();
    void runtimeFolderIsChecked();
    void longRuntimePathsFallBackToAReachableFolder_data();
    void longRuntimePathsFallBackToAReachableFolder();
    void serverOfAnotherUserIsNotTold();
    void silentClientsNeitherStarveNorSpin();
    void relativeFolderIsTheCallers();
    void staleLockIsTakenOver();
    void primaryKeepsAnsweringAfterBrokenClients_data();
    void primaryKeepsAnsweringAfterBrokenClients();
};

void SingleInstanceTest::initTestCase()
{
    QVERIFY(test_files::installStandInPelvaro());
}

void SingleInstanceTest::init()
{
    QDir(profileFolder()).removeRecursively();
    QDir().mkpath(profileFolder());
    for (const char* name : {"Work.plist", "Home.plist", "Travel.plist"})
        QVERIFY(test_files::writeBinaryPlist(
            profileFolder() + u'/' + QLatin1String(name),
            PlistValue(test_files::dictionary(
                {{QStringLiteral("From"), PlistValue(QString::fromLatin1(name))}}))));
}

void SingleInstanceTest::launchersStartedTogetherRunOneStart_data()
{
    QTest::addColumn<bool>("windowOpen");
    QTest::addColumn<QStringList>("commands");
    const QStringList twoStarts{QStringLiteral("Work"), QStringLiteral("Home")};
    const QStringList threeStarts{QStringLiteral("Work"), QStringLiteral("Home"),
                                  QStringLiteral("Travel")};
    // An empty name is a plain start of the launcher.
    const QStringList startAndPlain{QStringLiteral("Work"), QString()};
    QTest::newRow("no window, two starts") << false << twoStarts;
    QTest::newRow("no window, three starts") << false << threeStarts;
    QTest::newRow("no window, start and plain") << false << startAndPlain;
    QTest::newRow("window, two starts") << true << twoStarts;
    QTest::newRow("window, three starts") << true << threeStarts;
}

// Whatever the order they come in, exactly one start runs; every other
// command is told why not, and no profile that was not started changes.
void SingleInstanceTest::launchersStartedTogetherRunOneStart()
{
    QFETCH(bool, windowOpen);
    QFETCH(QStringList, commands);
    LinuxProcessMonitor processes(pelvaro::applicationNames());
    std::vector<std::unique_ptr<QProcess>> launchers;
    const auto stopAll = qScopeGuard([&] {
        for (const auto& launcher : launchers)
            stopLauncher(*launcher);
    });
    if (windowOpen) {
        launchers.push_back(startLauncher({}));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 10000);
    }
    const QMap<QString, QByteArray> before = profileBytes();
    const size_t first = launchers.size();
    for (const QString& name : commands)
        launchers.push_back(startLauncher(
            name.isEmpty() ? QStringList{} : QStringList{QStringLiteral("--start"), name}));

    QVERIFY(QTest::qWaitFor([&] { return runningPelvaroCount(processes) > 0; }, 15000));
    // Late starts have had their chance to make a second one.
    QTest::qWait(1500);
    QCOMPARE(runningPelvaroCount(processes), 1);
    QVERIFY(terminatePelvaroWhenRunning(processes));

    int succeeded = 0;
    for (size_t i = first; i < launchers.size(); ++i) {
        QProcess& launcher = *launchers[i];
        const bool plain = commands.at(int(i - first)).isEmpty();
        if (plain && launcher.state() == QProcess::Running)
            continue; // it became the window and ran the start
        QVERIFY(launcher.state() == QProcess::NotRunning || launcher.waitForFinished(15000));
        const QString err = QString::fromLocal8Bit(launcher.readAllStandardError()).trimmed();
        if (launcher.exitCode() == 0) {
            succeeded += plain ? 0 : 1;
            continue;
        }
        QVERIFY2(plain ? err.startsWith(u"A profile started from the command line is running")
                       : err == alreadyRunning,
                 qPrintable(err));
    }
    QCOMPARE(succeeded, 1);

    int changed = 0;
    const auto changedProfile = [&] {
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (profile(it.key()).contains(QStringLiteral("LaunchCount")))
                return true;
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(changedProfile(), 10000);
    const QMap<QString, QByteArray> after = profileBytes();
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (after.value(it.key()) != it.value())
            ++changed;
    }
    QCOMPARE(changed, 1);
}

// A primary held up answers late; the client says it waits, and never runs
// the request itself.
void SingleInstanceTest::clientWaitsForAStalledPrimary()
{
    SingleInstance primary(runtimeFolder());
    QVERIFY(primary.claim());
    int served = 0;
    primary.setHandler([&](const QJsonObject&) {
        ++served;
        return QJsonObject{{QStringLiteral("exitCode"), 1},
                           {QStringLiteral("message"), QStringLiteral("busy\u001b[2J")}};
    });
    QProcess client;
    client.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE),
                 {QStringLiteral("--start"), QStringLiteral("Work")});
    QVERIFY(client.waitForStarted());
    // No event loop runs here meanwhile: the primary is stalled.
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (!err.contains("Waiting for the running launcher") && clock.elapsed() < 10000) {
        client.waitForReadyRead(200);
        err += client.readAllStandardError();
    }
    QVERIFY2(err.contains("Waiting for the running launcher\u2026"), err.constData());
    QCOMPARE(client.state(), QProcess::Running);
    QTRY_VERIFY_WITH_TIMEOUT(client.state() == QProcess::NotRunning, 10000);
    err += client.readAllStandardError();
    QCOMPARE(served, 1);
    QCOMPARE(client.exitCode(), 1);
    // The answer reaches the terminal with its control characters escaped.
    QVERIFY2(err.trimmed().endsWith("busy\\e[2J"), err.constData());
    QCOMPARE(QDir(profileFolder()).entryList(QDir::Files).size(), 3);
    QVERIFY(!profile(QStringLiteral("Work.plist")).contains(QStringLiteral("LaunchCount")));
}

void SingleInstanceTest::requestOfAClientThatGaveUpIsNotCarriedOut()
{
    SingleInstance primary(runtimeFolder());
    QVERIFY(primary.claim());
    int served = 0;
    primary.setHandler([&](const QJsonObject&) {
        ++served;
        return QJsonObject{};
    });
    SingleInstance client(runtimeFolder());
    SingleInstance::Outcome outcome;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        outcome =
            client.claimOrHandOver({{QStringLiteral("command"), QStringLiteral("start")}}, 500);
    }));
    thread->start();
    // Joined without an event loop: the primary does not serve meanwhile.
    QVERIFY(thread->wait(10000));
    QCOMPARE(outcome.kind, SingleInstance::Outcome::Kind::noAnswer);
    QTest::qWait(500);
    QCOMPARE(served, 0);
    QCOMPARE(primary.openConnections(), 0);
}

void SingleInstanceTest::runtimeFolderIsChecked_data()
{
    QTest::addColumn<QString>("xdgState");
    QTest::addColumn<QString>("fallbackState");
    QTest::addColumn<bool>("usable");
    QTest::newRow("valid XDG folder") << "private"
                                      << "absent" << true;
    QTest::newRow("XDG unset, fallback made") << "unset"
                                              << "absent" << true;
    QTest::newRow("XDG open to all, fallback made") << "open"
                                                    << "absent" << true;
    QTest::newRow("fallback of another user") << "unset"
                                              << "other user" << false;
    QTest::newRow("fallback is a link") << "unset"
                                        << "link" << false;
    QTest::newRow("fallback open to all") << "unset"
                                          << "open" << false;
}

// Another local user who made the fallback folder first, or a link in its
// place, must neither receive requests nor answer them.
void SingleInstanceTest::runtimeFolderIsChecked()
{
    QFETCH(QString, xdgState);
    QFETCH(QString, fallbackState);
    QFETCH(bool, usable);
    if (fallbackState == u"other user" && ::getuid() != 0)
        QSKIP("Making a folder of another user needs root.");
    QTemporaryDir temporary;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    const QString xdg = temporary.filePath(QStringLiteral("xdg"));
    QDir().mkpath(xdg);
    if (xdgState == u"unset")
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    else
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), xdg);
    ::chmod(QFile::encodeName(xdg).constData(), xdgState == u"open" ? 0777 : 0700);
    const QString fallback =
        temporary.filePath(QStringLiteral("pelvaro-launcher-") + QString::number(::getuid()));
    const QByteArray encoded = QFile::encodeName(fallback);
    if (fallbackState == u"other user") {
        QVERIFY(::mkdir(encoded.constData(), 0700) == 0);
        QVERIFY(::chown(encoded.constData(), 65534, 65534) == 0);
    } else if (fallbackState == u"link") {
        QVERIFY(QFile::link(xdg, fallback));
    } else if (fallbackState == u"open") {
        QVERIFY(::mkdir(encoded.constData(), 0700) == 0);
        QVERIFY(::chmod(encoded.constData(), 0777) == 0);
    }

    const Run result = run({QStringLiteral("--start"), QStringLiteral("Nope")}, 15000, environment);
    QCOMPARE(result.exitCode, 1);
    if (usable) {
        // The request got as far as the profile folder.
        QVERIFY2(result.err.startsWith(u"No profile named \"Nope\""), qPrintable(result.err));
        const QString used = xdgState == u"private" ? xdg : fallback;
        QVERIFY(QFileInfo::exists(used + u"/pelvaro-launcher.lock"));
        struct stat info
        {
        };
        QVERIFY(::lstat(QFile::encodeName(used).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
    } else {
        QVERIFY2(result.err.contains(u"cannot be used to reach the running launcher"),
                 qPrintable(result.err));
        QVERIFY(!QFileInfo::exists(fallback + u"/pelvaro-launcher.socket"));
        QVERIFY(!QFileInfo::exists(xdg + u"/pelvaro-launcher.socket"));
    }
}

void SingleInstanceTest::longRuntimePathsFallBackToAReachableFolder_data()
{
    QTest::addColumn<int>("socketPathBytes");
    QTest::addColumn<bool>("runtimeUsed");
    QTest::newRow("107 bytes, the most that fits") << 107 << true;
    QTest::newRow("108 bytes") << 108 << false;
    QTest::newRow("200 bytes") << 200 << false;
}

// A runtime folder whose socket path does not fit the system's address
// gives way to the private temporary folder, where the launcher is reached.
void SingleInstanceTest::longRuntimePathsFallBackToAReachableFolder()
{
    QFETCH(int, socketPathBytes);
    QFETCH(bool, runtimeUsed);
    QTemporaryDir temporary(QStringLiteral("/tmp/psi-XXXXXX"));
    const QString socketName = QStringLiteral("/pelvaro-launcher.socket");
    QString runtime = temporary.path() + u"/r";
    const qsizetype padding = socketPathBytes - socketName.size() - runtime.size();
    QVERIFY(padding > 0);
    // Whole folders of at most 100 characters, each after a slash.
    for (qsizetype left = padding; left > 0;) {
        const qsizetype part = std::min<qsizetype>(left, 101);
        runtime += u'/' + QString(part - 1, u'x');
        left -= part;
    }
    QCOMPARE(runtime.size() + socketName.size(), socketPathBytes);
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTemporary = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] {
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        qputenv("TMPDIR", savedTemporary);
    });
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    qputenv("TMPDIR", QFile::encodeName(temporary.path()));

    const Result<QString, RuntimeFolder::Refusal> folder = RuntimeFolder::locate();
    QVERIFY(folder);
    QCOMPARE(*folder == runtime, runtimeUsed);
    SingleInstance primary(*folder);
    QVERIFY(primary.claim());
    QCOMPARE(primary.listenFailure(), std::nullopt);
    primary.setHandler([](const QJsonObject&) {
        return QJsonObject{{QStringLiteral("exitCode"), 7}};
    });
    SingleInstance client(*folder);
    const std::optional<QJsonObject> answer =
        sendWhileServing(client, {{QStringLiteral("command"), QStringLiteral("activate")}});
    QVERIFY(answer);
    QCOMPARE(answer->value(QStringLiteral("exitCode")).toInt(), 7);
}

// What listens on the socket runs as another user: the client sends it
// nothing, neither profile name nor folder.
void SingleInstanceTest::serverOfAnotherUserIsNotTold()
{
    if (::getuid() != 0)
        QSKIP("Serving as another user needs root.");
    QProcess impostor;
    impostor.start(QStringLiteral(PYTHON3_EXECUTABLE),
                   {QStringLiteral("-c"),
                    QStringLiteral("import fcntl, os, socket, sys\n"
                                   "folder = sys.argv[1]\n"
                                   "lock = open(folder + '/pelvaro-launcher.lock', 'w')\n"
                                   "fcntl.flock(lock, fcntl.LOCK_EX)\n"
                                   "s = socket.socket(socket.AF_UNIX)\n"
                                   "s.bind(folder + '/pelvaro-launcher.socket')\n"
                                   "os.setgid(65534); os.setuid(65534)\n"
                                   "s.listen(8)\n"
                                   "print('listening', flush=True)\n"
                                   "c, _ = s.accept()\n"
                                   "c.settimeout(5)\n"
                                   "got = b''\n"
                                   "try:\n"
                                   "    while True:\n"
                                   "        chunk = c.recv(4096)\n"
                                   "        if not chunk: break\n"
                                   "        got += chunk\n"
                                   "except OSError: pass\n"
                                   "print('received', len(got), flush=True)\n"
                                   "try: c.sendall(b'{\"exitCode\":0,\"message\":\"pwned\"}\\n')\n"
                                   "except OSError: pass\n"),
                    runtimeFolder()});
    QVERIFY(impostor.waitForStarted());
    QVERIFY(impostor.waitForReadyRead(10000));
    QCOMPARE(impostor.readLine().trimmed(), QByteArray("listening"));
    const Run result = run({QStringLiteral("--start"), QStringLiteral("Work")}, 15000);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(u"belongs to another user"), qPrintable(result.err));
    QVERIFY(!result.err.contains(u"pwned"));
    QVERIFY(impostor.waitForFinished(10000));
    QCOMPARE(impostor.readAll().trimmed(), QByteArray("received 0"));
}

// Connections that never send must not take every descriptor of the
// process, nor make it spin when it has none left.
void SingleInstanceTest::silentClientsNeitherStarveNorSpin()
{
    SingleInstance primary(runtimeFolder());
    QVERIFY(primary.claim());
    primary.setHandler([](const QJsonObject& request) {
        return QJsonObject{{QStringLiteral("echo"), request}};
    });
    rlimit original{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &original) == 0);
    {
        const std::unique_ptr<QProcess> silent = silentClients(socketPath(), 200);
        // A few descriptors to spare, so that accepting runs out: set
        // before the event loop accepts any of the waiting connections.
        rlimit tight = original;
        tight.rlim_cur = rlim_t(openDescriptors() + 1);
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
        const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &original); });
        const double cpuBefore = cpuSeconds();
        QTest::qWait(1500);
        const double cpu = cpuSeconds() - cpuBefore;
        QVERIFY(primary.openConnections() <= SingleInstance::maximumConnections);
        // A spinning loop would take the whole time of one core.
        QVERIFY2(cpu < 0.5, qPrintable(QString::number(cpu)));
    }
    {
        // Many silent clients, with descriptors enough: the primary keeps
        // a bounded number open and still answers a real request.
        const std::unique_ptr<QProcess> silent = silentClients(socketPath(), 200);
        QTest::qWait(300);
        QVERIFY(primary.openConnections() <= SingleInstance::maximumConnections);
        SingleInstance second(runtimeFolder());
        const std::optional<QJsonObject> answer =
            sendWhileServing(second, {{QStringLiteral("name"), QStringLiteral("x")}}, 20000);
        QVERIFY(answer);
        QCOMPARE(answer->value(QStringLiteral("echo")).toObject().value(QStringLiteral("name")),
                 QStringLiteral("x"));
        silent->kill();
        silent->waitForFinished();
    }
}

// The window runs in another working folder than the command that asks it.
void SingleInstanceTest::relativeFolderIsTheCallers()
{
    QTemporaryDir windowFolder;
    QTemporaryDir callerFolder;
    QDir(callerFolder.path()).mkpath(QStringLiteral("profiles"));
    const QString target = callerFolder.filePath(QStringLiteral("profiles/Elsewhere.plist"));
    QVERIFY(test_files::writeBinaryPlist(
        target, PlistValue(test_files::dictionary({{QStringLiteral("From"), PlistValue(true)}}))));
    LinuxProcessMonitor processes(pelvaro::applicationNames());
    const std::unique_ptr<QProcess> window = startLauncher({}, windowFolder.path());
    const auto stop = qScopeGuard([&] { stopLauncher(*window); });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 10000);
    const std::unique_ptr<QProcess> client =
        startLauncher({QStringLiteral("--start"), QStringLiteral("Elsewhere"),
                       QStringLiteral("--folder"), QStringLiteral("profiles")},
                      callerFolder.path());
    // A loaded machine builds the window slowly; the client itself waits a minute.
    QVERIFY(client->waitForFinished(45000));
    QCOMPARE(QString::fromLocal8Bit(client->readAllStandardError()), QString());
    QCOMPARE(client->exitCode(), 0);
    QVERIFY(terminatePelvaroWhenRunning(processes));
    QTRY_VERIFY_WITH_TIMEOUT(PlistReader::read(test_files::readBytes(target))
                                 ->toDictionary()
                                 .contains(QStringLiteral("LaunchCount")),
                             10000);
}
void SingleInstanceTest::restoreGoesThroughTheRunningLauncher_data()
{
    QTest::addColumn<QStringList>("launcher");
    QTest::addColumn<bool>("launchPending");
    QTest::newRow("window, Pelvaro not running") << QStringList() << false;
    QTest::newRow("window, launch pending") << QStringList() << true;
    QTest::newRow("command-line start, launch pending")
        << QStringList({QStringLiteral("--start"), QStringLiteral("Work")}) << true;
}

// A restore behind the back of a launcher that is starting Pelvaro with the
// profile would be overwritten by its save-back: the running launcher
// carries the restore out, or refuses it while the profile is in use.
void SingleInstanceTest::restoreGoesThroughTheRunningLauncher()
{
    QFETCH(QStringList, launcher);
    QFETCH(bool, launchPending);
    const QString work = profileFolder() + u"/Work.plist";
    LinuxFileSystem fileSystem;
    FileContent earlier;
    earlier.bytes = PlistWriter::writeBinary(PlistValue(
        test_files::dictionary({{QStringLiteral("From"), PlistValue(QStringLiteral("earlier"))}})));
    QVERIFY(ProfileVersions(fileSystem).keep(work, earlier));
    const QString version = ProfileVersions(fileSystem).list(work).first().name();

    const QString wrapper = test_files::writeSlowLaunchWrapper(2500);
    QVERIFY(!wrapper.isEmpty());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GIO_LAUNCH_DESKTOP"), wrapper);
    LinuxProcessMonitor processes(pelvaro::applicationNames());
    // The socket of the row before is not this launcher's.
    QFile::remove(socketPath());
    QProcess running;
    running.setProcessEnvironment(environment);
    running.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE), launcher);
    QVERIFY(running.waitForStarted());
    const auto stop = qScopeGuard([&] { stopLauncher(running); });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath()), 10000);
    if (launchPending && launcher.isEmpty())
        QCOMPARE(run({QStringLiteral("--start"), QStringLiteral("Work")}, 45000).exitCode, 0);

    const Run restore = run({QStringLiteral("--restore"), QStringLiteral("Work"), version}, 45000);
    if (!launchPending) {
        QCOMPARE(restore.err, QString());
        QCOMPARE(restore.exitCode, 0);
        QCOMPARE(launcher_process::profile(QStringLiteral("Work.plist"))
                     .value(QStringLiteral("From"))
                     .toString(),
                 QStringLiteral("earlier"));
        return;
    }
    QCOMPARE(restore.exitCode, 1);
    QVERIFY2(restore.err.contains(u"cannot be restored while Pelvaro runs with it"),
             qPrintable(restore.err));
    QVERIFY(terminatePelvaroWhenRunning(processes, 15000));
    QTRY_VERIFY_WITH_TIMEOUT(launcher_process::profile(QStringLiteral("Work.plist"))
                                 .contains(QStringLiteral("LaunchCount")),
                             10000);
}

void SingleInstanceTest::secondInstanceHandsOverToTheFirst()
{
    LinuxProcessMonitor processes(pelvaro::applicationNames());
    QProcess window;
    QProcessEnvironment logging = QProcessEnvironment::systemEnvironment();
    logging.insert(QStringLiteral("QT_LOGGING_RULES"),
                   QStringLiteral("pelvaro.session.debug=true"));
    window.setProcessEnvironment(logging);
    window.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE), QStringList{});
    QVERIFY(window.waitForStarted());
    const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/pelvaro-launcher.socket";
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 10000);

    // A plain second start only brings the window forward: from a terminal,
    // from one without a display, and from the menu, whose startup feedback
    // goes to the open window.
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                QStringLiteral("QT_QPA_PLATFORM")})
        noDisplay.remove(name);
    QProcessEnvironment fromMenu = QProcessEnvironment::systemEnvironment();
    fromMenu.insert(QStringLiteral("DESKTOP_STARTUP_ID"), QStringLiteral("menu-start_TIME7"));
    fromMenu.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), QStringLiteral("token-8"));
    for (const QProcessEnvironment& environment :
         {QProcessEnvironment::systemEnvironment(), noDisplay, fromMenu})
        QCOMPARE(launcher_process::run({}, 10000, environment).exitCode, 0);
    // --start runs in the window; the command returns at once.
    QElapsedTimer timer;
    timer.start();
    const Run run =
        launcher_process::run({QStringLiteral("--start"), QStringLiteral("Work")}, 10000);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(terminatePelvaroWhenRunning(processes));
    QTRY_VERIFY_WITH_TIMEOUT(
        profile(QStringLiteral("Work.plist")).contains(QStringLiteral("LaunchCount")), 10000);
    // The window made the only state: it saved back and still runs.
    QCOMPARE(window.state(), QProcess::Running);
    ::kill(pid_t(window.processId()), SIGTERM);
    QVERIFY(window.waitForFinished(10000));
    const QString log = QString::fromLocal8Bit(window.readAllStandardError());
    QVERIFY2(log.contains(u"completing the start \"menu-start_TIME7\""), qPrintable(log));
    QVERIFY2(log.contains(u"activating with the token \"token-8\""), qPrintable(log));
}

void SingleInstanceTest::staleLockIsTakenOver()
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

void SingleInstanceTest::primaryKeepsAnsweringAfterBrokenClients_data()
{
    QTest::addColumn<QByteArray>("broken");
    QTest::newRow("closes without a line") << QByteArray("{\"command\":");
    QTest::newRow("sends no JSON") << QByteArray("not json\n");
    QTest::newRow("sends a line too long") << QByteArray(2 << 20, 'x');
}

void SingleInstanceTest::primaryKeepsAnsweringAfterBrokenClients()
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

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
