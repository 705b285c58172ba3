#include "support/testenvironment.h"

#include "plist/plistwriter.h"
#include "state/launcherstate.h"
#include "target/pelvaroapplication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

TestEnvironment::TestEnvironment()
{
    QDir().mkpath(home());
    QDir().mkpath(applicationSupport());
    userDefaults = std::make_unique<UserDefaults>(m_root.path() + u"/config/launcher.conf");
    preferences = std::make_unique<PreferencesStore>(fileSystem, home(), pelvaro::bundleIdentifier);
}

TestEnvironment::~TestEnvironment() = default;

QString TestEnvironment::domainFile() const
{
    return PreferencesStore::domainFilePath(home(), pelvaro::bundleIdentifier);
}

QString TestEnvironment::makeFolder(const QString& name) const
{
    const QString path = m_root.path() + u'/' + name;
    QDir().mkpath(path);
    return path;
}

PlatformServices TestEnvironment::services()
{
    PlatformServices services;
    services.fileSystem = &fileSystem;
    services.userDefaults = userDefaults.get();
    services.log = &log;
    services.preferences = preferences.get();
    services.workspace = &workspace;
    services.homePath = home();
    services.applicationSupportPath = applicationSupport();
    return services;
}

LauncherState& TestEnvironment::makeState(LauncherState::FirstListing firstListing)
{
    m_state = std::make_unique<LauncherState>(services(), nullptr, firstListing);
    return *m_state;
}

bool test_files::writeBinaryPlist(const QString& path, const PlistValue& value)
{
    return writeBytes(path, PlistWriter::writeBinary(value));
}

bool test_files::writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qWarning("cannot write %s", qPrintable(path));
        return false;
    }
    return file.write(bytes) == bytes.size() && file.flush();
}

bool test_files::replaceByRename(const QString& path, const QByteArray& bytes)
{
    const QString temporary =
        QFileInfo(path).dir().filePath(u".syncthing." + QFileInfo(path).fileName() + u".tmp");
    return writeBytes(temporary, bytes) && ::rename(QFile::encodeName(temporary).constData(),
                                                    QFile::encodeName(path).constData()) == 0;
}

QByteArray test_files::readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void test_files::setModificationTime(const QString& path, qint64 secondsSinceEpoch)
{
    struct utimbuf times
    {
    };
    times.actime = time_t(secondsSinceEpoch);
    times.modtime = time_t(secondsSinceEpoch);
    ::utime(QFile::encodeName(path).constData(), &times);
}

PlistDictionary
test_files::dictionary(std::initializer_list<std::pair<QString, PlistValue>> entries)
{
    PlistDictionary result;
    for (const auto& entry : entries)
        result.insert(entry.first, entry.second);
    return result;
}

bool test_files::installStandInPelvaro(const QByteArray& execPrefix, const QByteArray& arguments)
{
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications";
    if (!QDir().mkpath(applications))
        return false;
    const QString standIn = QFileInfo(QStringLiteral(STAND_IN_PELVARO)).path() + u"/Pelvaro";
    QFile entry(applications + u"/com.corvandel.pelvaro.desktop");
    if (!entry.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    entry.write("[Desktop Entry]\nType=Application\nName=Pelvaro\nExec=" + execPrefix + "\"" +
                QFile::encodeName(standIn) + "\" " + arguments + '\n');
    return true;
}

QString test_files::writeSlowLaunchWrapper(int delayMs)
{
    const QString path = qEnvironmentVariable("HOME") + u"/slow-launch-wrapper";
    if (!writeBytes(path, "#!/bin/sh\nsleep " + QByteArray::number(delayMs / 1000.0) +
                              "\nexec \"$@\"\n") ||
        !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return {};
    return path;
}

bool test_files::waitUntilStandInIsReady(qint64 processId, int timeoutMs)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString ready = (runtime.isEmpty() ? QDir::tempPath() : runtime) + u"/stand-in-pelvaro." +
                          QString::number(processId) + u".ready";
    return QTest::qWaitFor([&] { return QFile::exists(ready); }, timeoutMs);
}

bool test_files::isFromThisTest(qint64 processId)
{
    const QByteArray sandbox = qgetenv("PELVARO_TEST_SANDBOX");
    if (sandbox.isEmpty())
        return true;
    QFile environment(u"/proc/" + QString::number(processId) + u"/environ");
    if (!environment.open(QIODevice::ReadOnly))
        return false;
    const QByteArray marker = "PELVARO_TEST_SANDBOX=" + sandbox;
    const QList<QByteArray> entries = environment.readAll().split('\0');
    return entries.contains(marker);
}

bool test_files::isPelvaroFromThisTest(const RunningApplication& application)
{
    return application.localizedName && pelvaro::isApplicationName(*application.localizedName) &&
           isFromThisTest(application.processId);
}

std::optional<RunningApplication>
test_files::pelvaroFromThisTest(const QList<RunningApplication>& applications)
{
    for (const RunningApplication& application : applications) {
        if (isPelvaroFromThisTest(application))
            return application;
    }
    return std::nullopt;
}

QStringList test_files::fileNames(const QList<Profile>& profiles)
{
    QStringList names;
    for (const Profile& profile : profiles)
        names.append(profile.fileName());
    return names;
}

Profile test_files::profileNamed(const QList<Profile>& profiles, const QString& fileName)
{
    for (const Profile& profile : profiles) {
        if (profile.fileName() == fileName)
            return profile;
    }
    return {};
}

bool test_files::writeBytesAtRawPath(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

bool test_files::giveToAnotherUser(const QString& path)
{
    // nobody, the user that owns nothing else.
    constexpr uid_t anotherUser = 65534;
    return ::lchown(QFile::encodeName(path).constData(), anotherUser, anotherUser) == 0;
}
