#include "app/commandline.h"
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

using namespace launcher_process;

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
    void startThroughSlowWrappersSavesBack();
    void startFailsAtOnceWhenPelvaroCannotOpen_data();
    void startFailsAtOnceWhenPelvaroCannotOpen();
    void listOnAFreshHomeMakesTheDefaultFolder();
    void listEscapesControlCharacters();
    void profileCommands_data();
    void profileCommands();
    void historyAndRestoreRoundTrip();
    void lostOutputIsAnError_data();
    void lostOutputIsAnError();
    void windowWithoutDisplaySaysSo();
    void createShortcutPrintsTheEntry();
    void bashCompletesOptionsAndProfiles_data();
    void bashCompletesOptionsAndProfiles();
    void otherShellsReadTheirCompletions_data();
    void otherShellsReadTheirCompletions();
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
        QVERIFY(test_files::writeBinaryPlist(
            profileFolder() + u'/' + QLatin1String(name),
            PlistValue(test_files::dictionary(
                {{QStringLiteral("From"), PlistValue(QString::fromLatin1(name))}}))));
    QVERIFY(test_files::writeBytes(profileFolder() + u"/Broken.plist", "not a property list"));
}

void CommandLineTest::parsing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const int usage = -1;
    QTest::newRow("window") << QStringList{} << int(LaunchRequest::Kind::window) << 0 << QString();
    QTest::newRow("list") << QStringList{QStringLiteral("--list")} << int(LaunchRequest::Kind::list)
                          << 0 << QString();
    QTest::newRow("start with folder")
        << QStringList{QStringLiteral("--start"), QStringLiteral("Work"),
                       QStringLiteral("--folder"), QStringLiteral("/x")}
        << int(LaunchRequest::Kind::start) << 0 << QString();
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << int(LaunchRequest::Kind::help)
                          << 0 << QString();
    QTest::newRow("version") << QStringList{QStringLiteral("--version")}
                             << int(LaunchRequest::Kind::version) << 0 << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << usage << 2
                                    << QStringLiteral("Unknown option '--frobnicate'.");
    QTest::newRow("unknown short option") << QStringList{QStringLiteral("-x")} << usage << 2
                                          << QStringLiteral("Unknown option '-x'.");
    QTest::newRow("start without name")
        << QStringList{QStringLiteral("--start")} << usage << 2 << QString();
    QTest::newRow("list and start")
        << QStringList{QStringLiteral("--list"), QStringLiteral("--start"), QStringLiteral("a")}
        << usage << 2 << QString();
    QTest::newRow("folder alone") << QStringList{QStringLiteral("--folder"), QStringLiteral("/x")}
                                  << usage << 2 << QString();
    QTest::newRow("stray argument") << QStringList{QStringLiteral("Work")} << usage << 2
                                    << QStringLiteral("Unexpected argument \"Work\".");
    QTest::newRow("diff with another")
        << QStringList{QStringLiteral("--diff"), QStringLiteral("a"), QStringLiteral("b")}
        << int(LaunchRequest::Kind::diff) << 0 << QString();
    QTest::newRow("diff with two others")
        << QStringList{QStringLiteral("--diff"), QStringLiteral("a"), QStringLiteral("b"),
                       QStringLiteral("c")}
        << usage << 2 << QStringLiteral("Unexpected argument \"c\".");
    QTest::newRow("restore without version")
        << QStringList{QStringLiteral("--restore"), QStringLiteral("a")} << usage << 2 << QString();
    QTest::newRow("show and history")
        << QStringList{QStringLiteral("--show"), QStringLiteral("a"), QStringLiteral("--history"),
                       QStringLiteral("a")}
        << usage << 2 << QStringLiteral("--show and --history cannot be used together.");
    QTest::newRow("show with folder")
        << QStringList{QStringLiteral("--show"), QStringLiteral("a"), QStringLiteral("--folder"),
                       QStringLiteral("/x")}
        << int(LaunchRequest::Kind::show) << 0 << QString();
}

void CommandLineTest::parsing()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const ParsedCommandLine parsed =
        command_line::parse(QStringList{QStringLiteral("pelvaro-launcher")} + arguments);
    QCOMPARE(parsed.exitCode, exitCode);
    QCOMPARE(parsed.request.has_value(), kind >= 0);
    if (parsed.request)
        QCOMPARE(int(parsed.request->kind), kind);
    else
        QVERIFY(!parsed.output.isEmpty());
    if (!message.isEmpty())
        QCOMPARE(parsed.output.section(u'\n', 0, 0), message);
    // A usage error is the reason and the way to the help, not the help.
    if (exitCode == 2)
        QCOMPARE(parsed.output.section(u'\n', 1), QStringLiteral("Try 'pelvaro-launcher --help'."));
}

void CommandLineTest::listPrintsFileNamesInDisplayOrder()
{
    const Run run = launcher_process::run({QStringLiteral("--list")});
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
    const Run run =
        launcher_process::run({QStringLiteral("--list"), QStringLiteral("--folder"), empty.path()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QString());
}

void CommandLineTest::listWithFolderChangesNoSetting()
{
    QFile::remove(settingsFile());
    QTemporaryDir other;
    QVERIFY(test_files::writeBytes(other.filePath(QStringLiteral("Elsewhere.plist")), "x"));
    const Run run =
        launcher_process::run({QStringLiteral("--list"), QStringLiteral("--folder"), other.path()});
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
    const Run run = launcher_process::run({QStringLiteral("--start"), name});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.trimmed(), message);
}

void CommandLineTest::startWithoutWindowRunsTheWholeRoad()
{
    LinuxProcessMonitor processes(pelvaro::applicationNames());
    QProcess process;
    process.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE),
                  {QStringLiteral("--start"), QStringLiteral("Twin.PLIST")});
    QVERIFY(process.waitForStarted());
    QVERIFY(terminatePelvaroWhenRunning(processes));
    QVERIFY(process.waitForFinished(15000));
    QCOMPARE(process.exitCode(), 0);
    const PlistDictionary saved = profile(QStringLiteral("Twin.PLIST"));
    QCOMPARE(saved.value(QStringLiteral("From")), PlistValue(QStringLiteral("Twin.PLIST")));
    QCOMPARE(saved.value(QStringLiteral("LaunchCount")).type(), PlistValue::Type::integer);
    QVERIFY(!QFile::exists(settingsFile()));
}

// gio-launch-desktop and `env` both exec Pelvaro under the ID they started
// with: the launcher must still see Pelvaro run and save back.
void CommandLineTest::startThroughSlowWrappersSavesBack()
{
    QVERIFY(test_files::installStandInPelvaro("env PELVARO_WRAPPED=1 "));
    const QString wrapper = test_files::writeSlowLaunchWrapper(1500);
    QVERIFY(!wrapper.isEmpty());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("GIO_LAUNCH_DESKTOP"), wrapper);
    LinuxProcessMonitor processes(pelvaro::applicationNames());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE),
                  {QStringLiteral("--start"), QStringLiteral("Work")});
    QVERIFY(process.waitForStarted());
    QVERIFY(terminatePelvaroWhenRunning(processes, 15000));
    QVERIFY(process.waitForFinished(15000));
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()), QString());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(profile(QStringLiteral("Work.plist")).value(QStringLiteral("LaunchCount")).type(),
             PlistValue::Type::integer);
}

void CommandLineTest::startFailsAtOnceWhenPelvaroCannotOpen_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("message");
    QTest::newRow("not installed") << QByteArray() << QStringLiteral("Pelvaro could not be found.");
    QTest::newRow("fails to launch")
        // A working folder that is not there fails the spawn itself.
        << QByteArray("[Desktop Entry]\nType=Application\nName=Pelvaro\nExec=" +
                      QFile::encodeName(QStringLiteral(STAND_IN_PELVARO)) +
                      " --headless\nPath=/nonexistent/folder\n")
        << QStringLiteral("Pelvaro could not be opened: ");
}

void CommandLineTest::startFailsAtOnceWhenPelvaroCannotOpen()
{
    QFETCH(QByteArray, entry);
    QFETCH(QString, message);
    const QString desktopEntry =
        qEnvironmentVariable("XDG_DATA_HOME") + u"/applications/com.corvandel.pelvaro.desktop";
    const auto reinstall = qScopeGuard([] { test_files::installStandInPelvaro(); });
    QFile::remove(desktopEntry);
    if (!entry.isEmpty())
        QVERIFY(test_files::writeBytes(desktopEntry, entry));
    // Well before the thirty seconds the launch is given.
    const Run run =
        launcher_process::run({QStringLiteral("--start"), QStringLiteral("Work")}, 15000);
    QCOMPARE(run.exitCode, 1);
    // After the log line, which goes to standard error as well.
    QVERIFY2(run.err.trimmed().section(u'\n', -1).startsWith(message), qPrintable(run.err));
}

void CommandLineTest::listOnAFreshHomeMakesTheDefaultFolder()
{
    QDir(profileFolder()).removeRecursively();
    const Run run = launcher_process::run({QStringLiteral("--list")});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, QString());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(QFileInfo(profileFolder()).isDir());
}

void CommandLineTest::listEscapesControlCharacters()
{
    QTemporaryDir folder;
    for (const char* name :
         {"line\nbreak.plist", "escape\x1b[31m.plist", "back\\slash.plist", "tab\there.plist"})
        QVERIFY(test_files::writeBytes(folder.filePath(QString::fromUtf8(name)), "x"));
    const Run run = launcher_process::run(
        {QStringLiteral("--list"), QStringLiteral("--folder"), folder.path()});
    QCOMPARE(run.exitCode, 0);
    QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(
        lines,
        (QStringList{QStringLiteral("back\\\\slash.plist"), QStringLiteral("escape\\e[31m.plist"),
                     QStringLiteral("line\\nbreak.plist"), QStringLiteral("tab\\there.plist")}));
}

void CommandLineTest::profileCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::newRow("show") << QStringList{QStringLiteral("--show"), QStringLiteral("Work")} << 0
                          << QStringLiteral(
                                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                 "<plist version=\"1.0\">\n<dict>\n\t<key>From</key>\n"
                                 "\t<string>Work.plist</string>\n</dict>\n</plist>\n");
    QTest::newRow("show unreadable")
        << QStringList{QStringLiteral("--show"), QStringLiteral("Broken")} << 1 << QString();
    QTest::newRow("diff of two") << QStringList{QStringLiteral("--diff"), QStringLiteral("Work"),
                                                QStringLiteral("profile 2")}
                                 << 1
                                 << QStringLiteral(
                                        "~ From: \"Work.plist\" \u2192 \"profile 2.plist\"\n");
    QTest::newRow("diff with itself")
        << QStringList{QStringLiteral("--diff"), QStringLiteral("Work"), QStringLiteral("Work")}
        << 0 << QString();
    QTest::newRow("diff with empty preferences")
        << QStringList{QStringLiteral("--diff"), QStringLiteral("Work")} << 1
        << QStringLiteral("- From: \"Work.plist\"\n");
    QTest::newRow("diff with a missing profile")
        << QStringList{QStringLiteral("--diff"), QStringLiteral("Work"), QStringLiteral("Nope")}
        << 2 << QString();
    QTest::newRow("history of a new profile")
        << QStringList{QStringLiteral("--history"), QStringLiteral("Work")} << 0 << QString();
    QTest::newRow("restore of no version")
        << QStringList{QStringLiteral("--restore"), QStringLiteral("Work"), QStringLiteral("x")}
        << 1 << QString();
}

void CommandLineTest::profileCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    // Pelvaro's preferences as a new home has them: none, whatever earlier
    // tests started.
    QFile::remove(QDir::homePath() + u"/Library/Preferences/com.corvandel.pelvaro.plist");
    const Run run = launcher_process::run(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    // Trouble is said on standard error; a difference is not trouble.
    QCOMPARE(run.err.isEmpty(), exitCode == 0 || !out.isEmpty());
}

void CommandLineTest::historyAndRestoreRoundTrip()
{
    // Two earlier contents kept, as save-backs keep them.
    LinuxFileSystem fileSystem;
    ProfileVersions versions(fileSystem);
    const QString work = profileFolder() + u"/Work.plist";
    for (const char* theme : {"first", "second"}) {
        FileContent kept;
        kept.bytes = PlistWriter::writeBinary(PlistValue(test_files::dictionary(
            {{QStringLiteral("Theme"), PlistValue(QString::fromLatin1(theme))}})));
        QVERIFY(versions.keep(work, kept));
    }
    Run run = launcher_process::run({QStringLiteral("--history"), QStringLiteral("Work")});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.trimmed().split(u'\n');
    QCOMPARE(lines.size(), 2);
    const QString oldest = lines.last().section(u'\t', 0, 0);
    QCOMPARE(oldest, versions.list(work).last().name());
    run = launcher_process::run({QStringLiteral("--restore"), QStringLiteral("Work"), oldest});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(launcher_process::profile(QStringLiteral("Work.plist"))
                 .value(QStringLiteral("Theme"))
                 .toString(),
             QStringLiteral("first"));
    // What it replaced is a version now.
    QCOMPARE(versions.list(work).size(), 3);
}

void CommandLineTest::lostOutputIsAnError_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("exitCode");
    const QStringList list{QStringLiteral("--list")};
    const QStringList show{QStringLiteral("--show"), QStringLiteral("Work")};
    const QStringList help{QStringLiteral("--help")};
    // Two profiles that differ in one value.
    const QStringList diff{QStringLiteral("--diff"), QStringLiteral("Work"),
                           QStringLiteral("profile 2")};
    for (const QString& output : {QStringLiteral("full disk"), QStringLiteral("closed")}) {
        const QByteArray suffix = ", " + output.toLatin1();
        QTest::newRow(QByteArray("--list" + suffix).constData()) << list << output << 1;
        QTest::newRow(QByteArray("--show" + suffix).constData()) << show << output << 1;
        QTest::newRow(QByteArray("--help" + suffix).constData()) << help << output << 1;
    }
    // --diff says 1 for "they differ", so trouble is 2.
    QTest::newRow("--diff, full disk") << diff << QStringLiteral("full disk") << 2;
}

// A command whose output was lost must not say it succeeded: a backup made
// with --show onto a full disk would be trusted.
void CommandLineTest::lostOutputIsAnError()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    QProcess process;
    if (output == u"full disk") {
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE), arguments);
    } else {
        process.start(QStringLiteral("/bin/sh"),
                      QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" >&-"),
                                  QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE)} +
                          arguments);
    }
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), exitCode);
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(error.startsWith(u"write error: "), qPrintable(error));
}

void CommandLineTest::createShortcutPrintsTheEntry()
{
    const Run run =
        launcher_process::run({QStringLiteral("--create-shortcut"), QStringLiteral("Work")});
    QCOMPARE(run.exitCode, 0);
    const QString entry = run.out.trimmed();
    QVERIFY2(entry.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + u"/applications/"),
             qPrintable(entry));
    QVERIFY(test_files::readBytes(entry).contains("\nName=Pelvaro (Work)\n"));
    QCOMPARE(launcher_process::run({QStringLiteral("--create-shortcut"), QStringLiteral("Nope")})
                 .exitCode,
             1);
}

void CommandLineTest::windowWithoutDisplaySaysSo()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                QStringLiteral("QT_QPA_PLATFORM")})
        environment.remove(name);
    const Run run = launcher_process::run({}, 30000, environment);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.count(u'\n'), 1);
    QVERIFY2(run.err.contains(u"no display"), qPrintable(run.err));
}

namespace {

QString completion(const QString& file)
{
    return QStringLiteral(TESTS_SOURCE_DIR "/../data/completions/") + file;
}

} // namespace

void CommandLineTest::bashCompletesOptionsAndProfiles_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("expected");
    const QString launcher = QStringLiteral("pelvaro-launcher");
    QTest::newRow("options") << QStringList{launcher, QStringLiteral("--hi")}
                             << QStringList{QStringLiteral("--history")};
    QTest::newRow("profile to start")
        << QStringList{launcher, QStringLiteral("--start"), QStringLiteral("W")}
        << QStringList{QStringLiteral("Work")};
    QTest::newRow("a name with a space, quoted")
        << QStringList{launcher, QStringLiteral("--history"), QStringLiteral("pro")}
        << QStringList{QStringLiteral("profile\\ 2")};
    QTest::newRow("the other profile of --diff")
        << QStringList{launcher, QStringLiteral("--diff"), QStringLiteral("Work"),
                       QStringLiteral("pro")}
        << QStringList{QStringLiteral("profile\\ 2")};
    QTest::newRow("another folder")
        << QStringList{launcher, QStringLiteral("--folder"), QStringLiteral("<other>"),
                       QStringLiteral("--show"), QString()}
        << QStringList{QStringLiteral("Elsewhere"), QStringLiteral("It\\'s\\ mine")};
}

// The completion a user's bash runs, with the launcher of this build found
// on the PATH.
void CommandLineTest::bashCompletesOptionsAndProfiles()
{
    QFETCH(QStringList, words);
    QFETCH(QStringList, expected);
    QTemporaryDir other;
    QVERIFY(test_files::writeBytes(other.filePath(QStringLiteral("Elsewhere.plist")), "x"));
    QVERIFY(test_files::writeBytes(other.filePath(QStringLiteral("It's mine.plist")), "x"));
    words.replaceInStrings(QStringLiteral("<other>"), other.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       QFileInfo(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE)).path() + u':' +
                           environment.value(QStringLiteral("PATH")));
    QProcess bash;
    bash.setProcessEnvironment(environment);
    bash.start(QStringLiteral("bash"),
               QStringList{QStringLiteral("-c"),
                           QStringLiteral("source \"$1\"; shift; COMP_WORDS=(\"$@\"); "
                                          "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                                          "_pelvaro_launcher; printf '%s\\n' \"${COMPREPLY[@]}\""),
                           QStringLiteral("bash"),
                           completion(QStringLiteral("pelvaro-launcher.bash"))} +
                   words);
    QVERIFY(bash.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(bash.readAllStandardError()), QString());
    QStringList offered =
        QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    offered.sort();
    QCOMPARE(offered, expected);
}

void CommandLineTest::otherShellsReadTheirCompletions_data()
{
    QTest::addColumn<QString>("shell");
    QTest::addColumn<QString>("file");
    QTest::newRow("zsh") << QStringLiteral("zsh") << QStringLiteral("_pelvaro-launcher");
    QTest::newRow("fish") << QStringLiteral("fish") << QStringLiteral("pelvaro-launcher.fish");
}

// Their syntax at least: a completion that does not parse breaks the
// shell's completion of the whole command.
void CommandLineTest::otherShellsReadTheirCompletions()
{
    QFETCH(QString, shell);
    QFETCH(QString, file);
    if (QStandardPaths::findExecutable(shell).isEmpty())
        QSKIP("the shell is not installed");
    QProcess process;
    process.start(shell, {QStringLiteral("-n"), completion(file)});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
    QCOMPARE(process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
