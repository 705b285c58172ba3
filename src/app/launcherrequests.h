#pragma once

#include "app/commandline.h"
#include "app/profilelookup.h"
#include "platform/result.h"

#include <QJsonObject>
#include <QTranslator>

#include <memory>
#include <optional>
#include <variant>

class FileSystem;
class LauncherState;
class SingleInstance;

// What the command-line launcher and the window's process share: the
// application's identity and texts, the runtime folder, and the requests
// that pass between a second launcher and the one that holds the lock.
namespace launcher_requests {

// How long a second launcher waits for the first to answer: longer than the
// first can be held up (a locked preferences domain, a slow disk).
constexpr int handOverPatienceMs = 60000;

void describeApplication();
// The runtime folder, or none after saying why it cannot be used.
std::optional<QString> runtimeFolder();
// A command line's request as it is handed to the running launcher.
QJsonObject handOverMessage(const LaunchRequest& request);
// The desktop's feedback for this start (an X11 startup ID, a Wayland
// activation token), which travels with a request that brings the window
// forward, so that the running launcher can complete it.
QJsonObject withStartupFeedback(QJsonObject request);
QString startupIdOf(const QJsonObject& request);
QString activationTokenOf(const QJsonObject& request);
// Hands `request` to the launcher that holds the lock, or claims the lock.
// Returns the exit code when another launcher answered or none did, and
// none when this process is now the launcher instance.
std::optional<int> handOver(SingleInstance& instance, const QJsonObject& request);
QJsonObject reply(int exitCode, const QString& message = {});

// Why a command or a request has no folder to work in.
struct FolderRefusal
{
    enum class Kind
    {
        // A custom folder is chosen but not named.
        noFolder,
        missing,
    };
    Kind kind = Kind::noFolder;
    QString folder;
};
// `folder` when it is a folder that exists.
Result<QString, FolderRefusal> existingFolder(const std::optional<QString>& folder,
                                              const FileSystem& fileSystem);
// The refusal as the sentence a user reads.
QString describe(const FolderRefusal& refusal);
// Pelvaro runs, or is being launched: no profile can start now.
struct PelvaroBusy
{
};
// The profile has no kept version of that name.
struct NoSuchVersion
{
    QString fileName;
    QString versionName;
};
// The state turned the action down and showed why, in its own words.
struct StateRefusal
{
    QString message;
};
// Why a start or restore request was not carried out.
using RequestRefusal =
    std::variant<FolderRefusal, PelvaroBusy, profile_lookup::Failure, NoSuchVersion, StateRefusal>;
// The refusal as the sentence a user reads.
QString describe(const RequestRefusal& refusal);

// Brings the running launcher's window forward and returns the exit code,
// also when none can be reached; or claims the launcher's place, which
// `instance` then holds, and returns none.
std::optional<int> activateOrClaim(std::unique_ptr<SingleInstance>& instance);
// The claimed place of a window, which listens for other launchers once it
// has painted: listens, and says so when others cannot reach it.
void listenForOthers(SingleInstance& instance);
// Starts a named profile on `state`, as the Start button would.
Result<void, RequestRefusal> startNamedProfile(LauncherState& state, FileSystem& fileSystem,
                                               const QJsonObject& request);
// What a launcher that holds the lock does with another's request: start or
// restore on its state, or nothing more (`activate`).
QJsonObject answerRequest(LauncherState& state, const QJsonObject& request);

// The launcher's own texts, built in, and Qt's (standard buttons, the
// text fields' menus) from the system's Qt translations.
class Translations
{
public:
    Translations();
    // Whether any text may now read otherwise than in English.
    bool installed() const { return m_installed; }

private:
    bool m_installed = false;
    QTranslator m_own;
    QTranslator m_qt;
};

} // namespace launcher_requests
