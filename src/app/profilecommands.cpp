#include "app/profilecommands.h"

#include "app/launcherrequests.h"
#include "app/profilelookup.h"
#include "app/terminaltext.h"
#include "platform/desktopplatform.h"
#include "platform/filesystem.h"
#include "platform/preferencesservice.h"
#include "platform/workspace.h"
#include "plist/plistdiff.h"
#include "plist/plistreader.h"
#include "plist/plistxmlwriter.h"
#include "profiles/folderlocation.h"
#include "profiles/profilelisting.h"
#include "profiles/profilesettings.h"
#include "profiles/profileshortcuts.h"
#include "profiles/profileversions.h"
#include "profiles/versionhistory.h"
#include "state/errortext.h"
#include "state/launcherstate.h"
#include "state/valuetext.h"
#include "target/pelvaroapplication.h"
#include "target/pelvarosession.h"

#include <QCoreApplication>
#include <QLocale>

using launcher_requests::FolderRefusal;
using terminal_text::print;

namespace {

// The folder the command works in: --folder, or the one the settings choose.
Result<QString, FolderRefusal> profileFolder(const LaunchRequest& request,
                                             const PlatformServices& services)
{
    const std::optional<QString> folder =
        request.folder ? request.folder : folder_location::fromSettings(services);
    // The default folder is made at first use, as the window makes it.
    if (!request.folder && folder == folder_location::defaultFolder(services))
        (void)folder_location::ensureDefaultFolder(services);
    return launcher_requests::existingFolder(folder, *services.fileSystem);
}

Result<Profile, QString> namedProfile(const QString& name, const LaunchRequest& request,
                                      const PlatformServices& services)
{
    const Result<QString, FolderRefusal> folder = profileFolder(request, services);
    if (!folder)
        return launcher_requests::describe(folder.error());
    Result<Profile, profile_lookup::Failure> found = profile_lookup::find(
        profile_listing::listProfiles(*services.fileSystem, *folder), name, *folder);
    if (!found)
        return profile_lookup::describe(found.error());
    return std::move(*found);
}

Result<PlistDictionary, QString> settingsIn(const QString& path, FileSystem& fileSystem)
{
    Result<PlistDictionary, SettingsFailure> settings = profile_settings::read(fileSystem, path);
    if (settings)
        return std::move(*settings);
    if (settings.error().error)
        return ErrorText::describe(*settings.error().error);
    return QCoreApplication::translate("CommandLine", "\"%1\" holds no readable settings.")
        .arg(file_path::lastComponent(path));
}

struct NamedSettings
{
    Profile profile;
    PlistDictionary settings;
};

// The named profile and its settings; on failure, what to print.
Result<NamedSettings, QString> namedSettings(const QString& name, const LaunchRequest& request,
                                             const PlatformServices& services)
{
    const Result<Profile, QString> profile = namedProfile(name, request, services);
    if (!profile)
        return profile.error();
    const Result<PlistDictionary, QString> settings =
        settingsIn(profile->url, *services.fileSystem);
    if (!settings)
        return settings.error();
    return NamedSettings{*profile, *settings};
}

QString changeLine(const PlistChange& change)
{
    const QString path = ValueText::key(change.path);
    const auto [before, after] = ValueText::describeChange(change.before, change.after);
    switch (change.kind) {
    case PlistChange::Kind::added:
        return u"+ " + path + u": " + after;
    case PlistChange::Kind::removed:
        return u"- " + path + u": " + before;
    case PlistChange::Kind::changed:
        return u"~ " + path + u": " + before + u" \u2192 " + after;
    }
    return path;
}

// Runs `command` on the profile the request names; one that cannot be found
// is said on standard error.
int onNamedProfile(const LaunchRequest& request, DesktopPlatform::Scope scope,
                   const std::function<int(const PlatformServices&, const Profile&)>& command)
{
    const DesktopPlatform platform(pelvaro::identity(), scope);
    const PlatformServices services = platform.services();
    const Result<Profile, QString> profile = namedProfile(request.profileName, request, services);
    if (!profile) {
        print(stderr, profile.error());
        return 1;
    }
    return command(services, *profile);
}

} // namespace

int profile_commands::list(const LaunchRequest& request)
{
    const DesktopPlatform platform(pelvaro::identity(), DesktopPlatform::Scope::files);
    const PlatformServices services = platform.services();
    const Result<QString, FolderRefusal> folder = profileFolder(request, services);
    if (!folder) {
        print(stderr, launcher_requests::describe(folder.error()));
        return 1;
    }
    for (const Profile& profile : profile_listing::listProfiles(*services.fileSystem, *folder))
        print(stdout, terminal_text::escaped(profile.fileName()));
    return 0;
}

int profile_commands::show(const LaunchRequest& request)
{
    const DesktopPlatform platform(pelvaro::identity(), DesktopPlatform::Scope::files);
    const PlatformServices services = platform.services();
    const Result<NamedSettings, QString> named =
        namedSettings(request.profileName, request, services);
    if (!named) {
        print(stderr, named.error());
        return 1;
    }
    const std::optional<QByteArray> xml = PlistXmlWriter::write(PlistValue(named->settings));
    if (!xml) {
        print(stderr,
              QCoreApplication::translate(
                  "CommandLine", "\"%1\" holds a value that an XML property list cannot carry.")
                  .arg(named->profile.fileName()));
        return 1;
    }
    terminal_text::write(*xml);
    return 0;
}

int profile_commands::diff(const LaunchRequest& request)
{
    const DesktopPlatform platform(pelvaro::identity(), DesktopPlatform::Scope::files);
    const PlatformServices services = platform.services();
    const Result<NamedSettings, QString> named =
        namedSettings(request.profileName, request, services);
    if (!named) {
        print(stderr, named.error());
        return 2;
    }
    PlistDictionary other;
    if (request.other) {
        const Result<NamedSettings, QString> otherNamed =
            namedSettings(*request.other, request, services);
        if (!otherNamed) {
            print(stderr, otherNamed.error());
            return 2;
        }
        other = otherNamed->settings;
    } else {
        PelvaroSession session(services);
        const Result<std::optional<PlistDictionary>, SessionFailure> current =
            session.readPreferencesDomain();
        if (!current) {
            print(stderr, ErrorText::describe(current.error()));
            return 2;
        }
        other = current->value_or(PlistDictionary());
    }
    const QList<PlistChange> changes = PlistDiff::compare(named->settings, other);
    for (const PlistChange& change : changes)
        print(stdout, changeLine(change));
    return changes.isEmpty() ? 0 : 1;
}

int profile_commands::history(const LaunchRequest& request)
{
    return onNamedProfile(
        request, DesktopPlatform::Scope::files,
        [&](const PlatformServices& services, const Profile& profile) {
            const VersionHistory history = VersionHistory::of(*services.fileSystem, profile.url);
            const QLocale locale;
            for (const VersionHistory::Entry& entry : history.entries) {
                QString changed;
                if (!entry.settings)
                    changed = QCoreApplication::translate("CommandLine", "cannot be read");
                else if (!entry.changedAfter)
                    changed = QCoreApplication::translate("CommandLine", "changes unknown");
                else if (*entry.changedAfter == 1)
                    changed =
                        QCoreApplication::translate("CommandLine", "1 setting changed after it");
                else
                    changed =
                        QCoreApplication::translate("CommandLine", "%1 settings changed after it")
                            .arg(*entry.changedAfter);
                print(stdout, terminal_text::escaped(entry.version.name()) + u'\t' +
                                  locale.toString(entry.version.savedAt.toLocalTime(),
                                                  QLocale::ShortFormat) +
                                  u'\t' + changed);
            }
            return 0;
        });
}

int profile_commands::restore(const LaunchRequest& request)
{
    return onNamedProfile(
        request, DesktopPlatform::Scope::everything,
        [&](const PlatformServices& services, const Profile& profile) {
            const ProfileVersions versions(*services.fileSystem);
            const std::optional<ProfileVersion> version =
                versions.find(profile.url, request.other.value_or(QString()));
            if (!version) {
                print(stderr, QCoreApplication::translate("CommandLine",
                                                          "\"%1\" has no version named \"%2\".")
                                  .arg(profile.fileName(), request.other.value_or(QString())));
                return 1;
            }
            // A running Pelvaro may be one a launcher started with this profile:
            // its save-back would overwrite what is restored now.
            PelvaroSession session(services);
            if (!session.runningInstances().isEmpty()) {
                print(stderr, QCoreApplication::translate(
                                  "CommandLine",
                                  "Pelvaro is running; quit it before restoring a version."));
                return 1;
            }
            const Result<SaveOutcome, SessionFailure> restored =
                session.restoreVersion(profile.url, *version);
            if (!restored) {
                const SessionFailure& failure = restored.error();
                print(stderr,
                      QCoreApplication::translate("CommandLine", "Could not restore \"%1\": %2")
                          .arg(profile.fileName(),
                               failure.cause ? ErrorText::describe(failure)
                                             : QCoreApplication::translate(
                                                   "CommandLine",
                                                   "the version holds no readable settings.")));
                return 1;
            }
            return 0;
        });
}

int profile_commands::createShortcut(const LaunchRequest& request)
{
    return onNamedProfile(
        request, DesktopPlatform::Scope::files,
        [&](const PlatformServices& services, const Profile& profile) {
            ProfileShortcuts shortcuts(*services.fileSystem,
                                       ProfileShortcuts::userApplicationsFolder(),
                                       QCoreApplication::applicationFilePath());
            const Result<QString> created = shortcuts.create(profile.url);
            if (!created) {
                print(stderr, QCoreApplication::translate(
                                  "CommandLine", "Could not create a shortcut to \"%1\": %2")
                                  .arg(profile.fileName(), ErrorText::describe(created.error())));
                return 1;
            }
            print(stdout, terminal_text::escaped(*created));
            return 0;
        });
}
