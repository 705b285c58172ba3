#pragma once

#include "platform/platformservices.h"
#include "platform/preferencesstore.h"
#include "platform/userdefaults.h"
#include "plist/plistvalue.h"
#include "profiles/profile.h"
#include "state/launcherstate.h"
#include "support/fakeworkspace.h"
#include "support/faultyfilesystem.h"
#include "support/recordinglog.h"

#include <QTemporaryDir>

#include <memory>

// A temporary home with its own settings, preferences domain and folders,
// and the fake services a test can steer.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();

    QString root() const { return m_root.path(); }
    QString home() const { return m_root.path() + u"/home"; }
    QString applicationSupport() const { return m_root.path() + u"/data"; }
    QString defaultFolder() const { return applicationSupport() + u"/Pelvaro Launcher"; }
    QString domainFile() const;
    // A folder under the temporary root, created.
    QString makeFolder(const QString& name) const;

    PlatformServices services();
    // A launcher state on these services; the environment keeps it.
    LauncherState&
    makeState(LauncherState::FirstListing firstListing = LauncherState::FirstListing::inOrder);

    FaultyFileSystem fileSystem;
    RecordingLog log;
    FakeWorkspace workspace;
    std::unique_ptr<UserDefaults> userDefaults;
    std::unique_ptr<PreferencesStore> preferences;

private:
    QTemporaryDir m_root;
    std::unique_ptr<LauncherState> m_state;
};

namespace test_files {
// False when the file cannot be written: the test must check, or it would
// go on without its fixture.
[[nodiscard]] bool writeBinaryPlist(const QString& path, const PlistValue& value);
[[nodiscard]] bool writeBytes(const QString& path, const QByteArray& bytes);
// For names that are not valid in the system's encoding, which a QString
// cannot hold.
bool writeBytesAtRawPath(const QByteArray& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);
// Replaces the file the way sync clients do: a temporary file beside it,
// then a rename over it, so that the file is a new one (another inode).
[[nodiscard]] bool replaceByRename(const QString& path, const QByteArray& bytes);
void setModificationTime(const QString& path, qint64 secondsSinceEpoch);
PlistDictionary dictionary(std::initializer_list<std::pair<QString, PlistValue>> entries);
// Installs the stand-in Pelvaro, without a window, as the desktop entry
// com.corvandel.pelvaro.desktop in $XDG_DATA_HOME/applications; its command
// line may start with a wrapper (`env`, `sh -c`, ...).
bool installStandInPelvaro(const QByteArray& execPrefix = {},
                           const QByteArray& arguments = "--headless");
// A launch wrapper, as GIO's gio-launch-desktop is, that waits before it
// execs what it was given. GIO runs it when GIO_LAUNCH_DESKTOP names it.
// Empty when it cannot be written.
[[nodiscard]] QString writeSlowLaunchWrapper(int delayMs);
// Makes the file, folder or link at `path` (the link itself, not what it
// leads to) another user's, as a second user of a shared folder would own
// it. False when this process may not give files away (it is not root):
// the test then skips.
[[nodiscard]] bool giveToAnotherUser(const QString& path);
// The file names of profiles, in their order.
QStringList fileNames(const QList<Profile>& profiles);
// The listed profile with this file name, or an empty one.
Profile profileNamed(const QList<Profile>& profiles, const QString& fileName);
// Waits until the stand-in with this process ID answers a quit request by
// writing its domain back.
bool waitUntilStandInIsReady(qint64 processId, int timeoutMs = 20000);
// Whether a running process was started from this test's sandbox. Another
// test's Pelvaro, or the developer's own, has the same user and name, and a
// test must never count or terminate it.
bool isFromThisTest(qint64 processId);
// Whether this is a stand-in Pelvaro started from this test's sandbox.
bool isPelvaroFromThisTest(const RunningApplication& application);
// The first stand-in Pelvaro from this test among these applications.
std::optional<RunningApplication>
pelvaroFromThisTest(const QList<RunningApplication>& applications);
} // namespace test_files
