#include "app/launcherrequests.h"

#include "app/runtimefolder.h"
#include "app/singleinstance.h"
#include "app/terminaltext.h"
#include "platform/filesystem.h"
#include "profiles/profilelisting.h"
#include "profiles/profileversions.h"
#include "state/launcherstate.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

using namespace launcher_requests;
using terminal_text::print;

void launcher_requests::describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("pelvaro-launcher"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELVARO_LAUNCHER_VERSION));
}

std::optional<QString> launcher_requests::runtimeFolder()
{
    const Result<QString, RuntimeFolder::Refusal> folder = RuntimeFolder::locate();
    if (folder)
        return *folder;
    const bool tooLong = folder.error().reason == RuntimeFolder::Refusal::Reason::pathTooLong;
    const QString message =
        tooLong
            ? QCoreApplication::translate("CommandLine",
                                          "The folder \"%1\" cannot be used to reach the running "
                                          "launcher: its path is too long for a socket. Set "
                                          "XDG_RUNTIME_DIR or TMPDIR to a shorter folder.")
            : QCoreApplication::translate(
                  "CommandLine", "The folder \"%1\" cannot be used to reach the running "
                                 "launcher: it must be a folder of yours that only you can "
                                 "open. Remove it, or set XDG_RUNTIME_DIR.");
    print(stderr, message.arg(terminal_text::escaped(folder.error().path)));
    return std::nullopt;
}

namespace {

// A launcher that others cannot reach says so: later starts would wait for
// its answer in vain.
void reportIfUnreachable(const SingleInstance& instance)
{
    if (const std::optional<int> failure = instance.listenFailure())
        print(stderr, QCoreApplication::translate("CommandLine",
                                                  "Other launchers cannot reach this one: %1")
                          .arg(qt_error_string(*failure)));
}

} // namespace

void launcher_requests::listenForOthers(SingleInstance& instance)
{
    instance.listen();
    reportIfUnreachable(instance);
}

QJsonObject launcher_requests::withStartupFeedback(QJsonObject request)
{
    if (const QString id = qEnvironmentVariable("DESKTOP_STARTUP_ID"); !id.isEmpty())
        request.insert(QStringLiteral("startupId"), id);
    if (const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN"); !token.isEmpty())
        request.insert(QStringLiteral("activationToken"), token);
    return request;
}

QString launcher_requests::startupIdOf(const QJsonObject& request)
{
    return request.value(QStringLiteral("startupId")).toString();
}

QString launcher_requests::activationTokenOf(const QJsonObject& request)
{
    return request.value(QStringLiteral("activationToken")).toString();
}

QJsonObject launcher_requests::handOverMessage(const LaunchRequest& request)
{
    const bool restore = request.kind == LaunchRequest::Kind::restore;
    QJsonObject message{
        {QStringLiteral("command"), restore ? QStringLiteral("restore") : QStringLiteral("start")},
        {QStringLiteral("name"), request.profileName}};
    if (restore)
        message.insert(QStringLiteral("version"), request.other.value_or(QString()));
    if (request.folder)
        message.insert(QStringLiteral("folder"), *request.folder);
    return restore ? message : withStartupFeedback(message);
}

std::optional<int> launcher_requests::handOver(SingleInstance& instance, const QJsonObject& request)
{
    const SingleInstance::Outcome outcome =
        instance.claimOrHandOver(request, handOverPatienceMs, [] {
            print(stderr, QCoreApplication::translate("CommandLine",
                                                      "Waiting for the running launcher\u2026"));
        });
    switch (outcome.kind) {
    case SingleInstance::Outcome::Kind::claimed:
        reportIfUnreachable(instance);
        return std::nullopt;
    case SingleInstance::Outcome::Kind::answered:
        // What came over the socket reaches the terminal as text only.
        print(stderr,
              terminal_text::escaped(outcome.answer.value(QStringLiteral("message")).toString()));
        return outcome.answer.value(QStringLiteral("exitCode")).toInt(1);
    case SingleInstance::Outcome::Kind::wrongPeer:
        print(stderr, QCoreApplication::translate(
                          "CommandLine", "The launcher's socket belongs to another user."));
        return 1;
    case SingleInstance::Outcome::Kind::noAnswer:
        break;
    }
    print(stderr, QCoreApplication::translate(
                      "CommandLine", "Another Pelvaro Launcher is running but does not answer."));
    return 1;
}

std::optional<int> launcher_requests::activateOrClaim(std::unique_ptr<SingleInstance>& instance)
{
    const std::optional<QString> folder = runtimeFolder();
    if (!folder)
        return 1;
    instance = std::make_unique<SingleInstance>(*folder);
    instance->listenWhenAsked();
    return handOver(*instance,
                    withStartupFeedback({{QStringLiteral("command"), QStringLiteral("activate")}}));
}

Result<QString, FolderRefusal>
launcher_requests::existingFolder(const std::optional<QString>& folder,
                                  const FileSystem& fileSystem)
{
    if (!folder)
        return FolderRefusal{FolderRefusal::Kind::noFolder, {}};
    if (!fileSystem.isDirectory(*folder))
        return FolderRefusal{FolderRefusal::Kind::missing, *folder};
    return *folder;
}

QString launcher_requests::describe(const FolderRefusal& refusal)
{
    if (refusal.kind == FolderRefusal::Kind::noFolder)
        return QCoreApplication::translate("CommandLine", "No profile folder is available.");
    return QCoreApplication::translate("CommandLine", "Folder does not exist.") + u" (" +
           refusal.folder + u')';
}

QString launcher_requests::describe(const RequestRefusal& refusal)
{
    struct Describe
    {
        QString operator()(const FolderRefusal& folder) const { return describe(folder); }
        QString operator()(const PelvaroBusy&) const
        {
            return QCoreApplication::translate(
                "CommandLine", "Pelvaro is already running; quit it before starting a profile.");
        }
        QString operator()(const profile_lookup::Failure& lookup) const
        {
            return profile_lookup::describe(lookup);
        }
        QString operator()(const NoSuchVersion& version) const
        {
            return QCoreApplication::translate("CommandLine", "\"%1\" has no version named \"%2\".")
                .arg(version.fileName, version.versionName);
        }
        QString operator()(const StateRefusal& state) const { return state.message; }
    };
    return std::visit(Describe{}, refusal);
}

QJsonObject launcher_requests::reply(int exitCode, const QString& message)
{
    return {{QStringLiteral("exitCode"), exitCode}, {QStringLiteral("message"), message}};
}

namespace {

// The folder a request names, or the state's own.
Result<QString, FolderRefusal> requestedFolder(const LauncherState& state,
                                               const FileSystem& fileSystem,
                                               const QJsonObject& request)
{
    return existingFolder(request.contains(QStringLiteral("folder"))
                              ? std::optional(request.value(QStringLiteral("folder")).toString())
                              : state.currentFolderURL(),
                          fileSystem);
}

// Runs `action` on the state and gives back the message it set, if any; a
// message that was showing before is left showing.
Result<void, RequestRefusal> withMessageOf(LauncherState& state,
                                           const std::function<void()>& action)
{
    const std::optional<QString> before = state.errorMessage();
    state.setErrorMessage(std::nullopt);
    action();
    const std::optional<QString> failure = state.errorMessage();
    if (!failure && before)
        state.setErrorMessage(before);
    if (failure)
        return RequestRefusal(StateRefusal{*failure});
    return {};
}

} // namespace

Result<void, RequestRefusal> launcher_requests::startNamedProfile(LauncherState& state,
                                                                  FileSystem& fileSystem,
                                                                  const QJsonObject& request)
{
    const Result<QString, FolderRefusal> folder = requestedFolder(state, fileSystem, request);
    if (!folder)
        return RequestRefusal(folder.error());
    // The Start buttons are unavailable while Pelvaro runs; a request from
    // the command line also waits for a launch under way to be seen.
    if (state.isPelvaroRunning() || state.isLaunchPending())
        return RequestRefusal(PelvaroBusy{});
    const Result<Profile, profile_lookup::Failure> lookup =
        profile_lookup::find(profile_listing::listProfiles(fileSystem, *folder),
                             request.value(QStringLiteral("name")).toString(), *folder);
    if (!lookup)
        return RequestRefusal(lookup.error());
    return withMessageOf(state, [&] { state.startProfile(*lookup); });
}

namespace {

// Restores a named version of a named profile on `state`, which refuses it
// while Pelvaro runs with that profile or is being launched with it: the
// save-back would overwrite the restore.
Result<void, RequestRefusal> restoreNamedVersion(LauncherState& state, FileSystem& fileSystem,
                                                 const QJsonObject& request)
{
    const Result<QString, FolderRefusal> folder = requestedFolder(state, fileSystem, request);
    if (!folder)
        return RequestRefusal(folder.error());
    const Result<Profile, profile_lookup::Failure> profile =
        profile_lookup::find(profile_listing::listProfiles(fileSystem, *folder),
                             request.value(QStringLiteral("name")).toString(), *folder);
    if (!profile)
        return RequestRefusal(profile.error());
    const QString versionName = request.value(QStringLiteral("version")).toString();
    const std::optional<ProfileVersion> version =
        ProfileVersions(fileSystem).find(profile->url, versionName);
    if (!version)
        return RequestRefusal(NoSuchVersion{profile->fileName(), versionName});
    return withMessageOf(state, [&] { state.restoreProfileVersion(*profile, *version); });
}

} // namespace

QJsonObject launcher_requests::answerRequest(LauncherState& state, const QJsonObject& request)
{
    const QString command = request.value(QStringLiteral("command")).toString();
    Result<void, RequestRefusal> done;
    if (command == u"start")
        done = startNamedProfile(state, state.fm(), request);
    else if (command == u"restore")
        done = restoreNamedVersion(state, state.fm(), request);
    return done ? reply(0) : reply(1, describe(done.error()));
}

launcher_requests::Translations::Translations()
{
    if (m_own.load(QLocale(), QStringLiteral("pelvaro-launcher"), QStringLiteral("_"),
                   QStringLiteral(":/i18n")))
        m_installed = QCoreApplication::installTranslator(&m_own);
    if (m_qt.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        m_installed = QCoreApplication::installTranslator(&m_qt) || m_installed;
}
