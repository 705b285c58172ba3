#include "target/pelvarosession.h"

#include "platform/filesystem.h"
#include "platform/logging.h"
#include "platform/preferencesservice.h"
#include "platform/preferencesstore.h"
#include "platform/systemlog.h"
#include "platform/workspace.h"
#include "plist/plistdiff.h"
#include "plist/plistmerge.h"
#include "plist/plistwriter.h"
#include "profiles/profile.h"
#include "profiles/profilesettings.h"
#include "profiles/profileversions.h"
#include "target/pelvaroapplication.h"

#include <QPointer>

#include <cerrno>

namespace {

SessionFailure failure(SessionFailure::Problem problem,
                       std::optional<PlatformError> cause = std::nullopt)
{
    return {problem, std::move(cause), {}};
}

} // namespace

PelvaroSession::PelvaroSession(const PlatformServices& services, QObject* parent)
    : QObject(parent), m_services(services)
{
}

Result<void, SessionFailure> PelvaroSession::applyProfile(const QString& profilePath)
{
    m_applied.reset();
    const Result<FileContent> content = m_services.fileSystem->readFileContent(profilePath);
    if (!content)
        return failure(SessionFailure::Problem::profileUnreadable, content.error());
    const Result<PlistDictionary, SettingsFailure> read = profile_settings::parse(content->bytes);
    if (!read)
        return failure(SessionFailure::Problem::profileUnreadable);
    const PlistDictionary& settings = *read;

    PreferencesService& preferences = *m_services.preferences;
    const QStringList existingKeys = preferences.copyKeyList().value_or(QStringList());
    preferences.setMultiple(settings, settings.missingKeys(existingKeys));
    qCDebug(lcSession) << "applying" << profilePath << "with" << settings.size() << "keys";
    // Flushed once Pelvaro is on its way: until then the profile holds the
    // same settings safely, and Pelvaro reads what was written either way.
    if (const Result<void> synchronised = preferences.synchronize(PreferencesService::Flush::later);
        !synchronised) {
        // Another program holding the lock is worth knowing: it will not go
        // away by trying again at once.
        return failure(synchronised.error().code == ErrorCode::locked
                           ? SessionFailure::Problem::preferencesLocked
                           : SessionFailure::Problem::notApplied,
                       synchronised.error());
    }
    m_applied = Applied{content->bytes, settings};
    return {};
}

Result<void, SessionFailure> PelvaroSession::launch()
{
    Workspace& workspace = *m_services.workspace;
    const std::optional<QString> location =
        workspace.locationForApplication(pelvaro::bundleIdentifier);
    if (!location) {
        m_services.fileSystem->flushWrites();
        m_services.log->write(QStringLiteral("Pelvaro Launcher: Pelvaro application not found."));
        return failure(SessionFailure::Problem::applicationNotFound);
    }
    qCDebug(lcSession) << "opening" << *location;
    SystemLog* log = m_services.log;
    // The workspace calls back on the main thread; the session may be gone.
    QPointer<PelvaroSession> self(this);
    workspace.openApplication(*location, [log, self](const Result<void>& opened) {
        if (opened)
            return;
        log->write(u"Pelvaro Launcher: failed to launch Pelvaro: " + opened.error().reason());
        if (self)
            emit self->launchFailed(opened.error());
    });
    // Pelvaro is exec'd by now, or being exec'd beside this.
    m_services.fileSystem->flushWrites();
    return {};
}

Result<std::optional<PlistDictionary>, SessionFailure> PelvaroSession::readPreferencesDomain()
{
    PreferencesService& preferences = *m_services.preferences;
    // Another program is in the middle of changing the preferences: what
    // they hold now is about to change. Any other failure still leaves the
    // domain as it was last read.
    if (const Result<void> synchronised = preferences.synchronize();
        !synchronised && synchronised.error().code == ErrorCode::locked)
        return failure(SessionFailure::Problem::preferencesLocked, synchronised.error());
    const std::optional<QStringList> keys = preferences.copyKeyList();
    if (!keys || keys->isEmpty())
        return std::optional<PlistDictionary>();
    return std::optional(preferences.copyMultiple(*keys));
}

Result<SaveOutcome, SessionFailure>
PelvaroSession::replaceProfile(const QString& target, const QByteArray& bytes,
                               const PlistDictionary& settings, bool saveElsewhere,
                               const std::optional<Applied>& base)
{
    FileSystem& fileSystem = *m_services.fileSystem;
    ProfileVersions versions(fileSystem);
    const auto logFailure = [&](const QString& what, const PlatformError& error) {
        m_services.log->write(u"Pelvaro Launcher: could not " + what + u" of " +
                              file_path::lastComponent(target) + u": " + error.diagnostic());
    };
    // A sync client that replaces the profile again and again while it is
    // written wins after this many tries; what this session wrote is saved
    // beside it then.
    constexpr int attempts = 5;
    for (int attempt = 1;; ++attempt) {
        SaveOutcome outcome;
        QByteArray writing = bytes;
        PlistDictionary written = settings;
        std::optional<PlistDictionary> before;
        // Only settings are kept: whatever else stands in a profile's place
        // (another user's file behind a link, a file that is no property
        // list) is not copied into the history, nor merged.
        const Result<FileContent> current = fileSystem.readFileContent(target);
        if (current) {
            if (Result<PlistDictionary, SettingsFailure> replaced =
                    profile_settings::parse(current->bytes))
                before = std::move(*replaced);
        }
        if (base && before && current->bytes != base->bytes) {
            PlistMerge::Outcome merge = PlistMerge::threeWay(base->settings, *before, settings);
            outcome.keptFromElsewhere = merge.fromTheirs.size();
            outcome.conflicts = merge.conflicts.size();
            if (!merge.fromTheirs.isEmpty()) {
                written = std::move(merge.merged);
                writing = PlistWriter::writeBinary(PlistValue(written));
            }
            qCDebug(lcSession) << "merged" << target << "changed elsewhere:" << merge.fromTheirs
                               << "kept from there," << merge.conflicts << "in conflict";
        }
        // The same bytes again replace nothing: no version, and no setting
        // changed. A quick quit after a start is saved back this way.
        const bool unchanged = current && current->bytes == writing;
        if (before && !unchanged) {
            if (const Result<std::optional<QString>> kept = versions.keep(target, *current))
                outcome.keptVersion = *kept;
            else
                logFailure(QStringLiteral("keep a version"), kept.error());
        }
        const Result<void> replaced =
            current ? fileSystem.writeFileAtomicallyUnlessChanged(target, writing, current->stamp)
                    : fileSystem.writeFileAtomically(target, writing);
        if (!replaced) {
            // The profile was not replaced: a version of what it still holds
            // would only be a copy.
            if (outcome.keptVersion)
                versions.discard(target, *outcome.keptVersion);
            if (replaced.error().code == ErrorCode::changedMeanwhile && attempt < attempts)
                continue;
            SessionFailure failed{SessionFailure::Problem::notWritten, replaced.error(), {}};
            if (saveElsewhere)
                failed.savedInstead = saveInstead(target, writing);
            return failed;
        }
        if (outcome.keptVersion) {
            if (const Result<void> pruned = versions.prune(target); !pruned)
                logFailure(QStringLiteral("remove the oldest versions"), pruned.error());
        }
        outcome.changedSettings =
            unchanged ? 0 : PlistDiff::changedSettings(before.value_or(PlistDictionary()), written);
        return outcome;
    }
}

std::optional<QString> PelvaroSession::saveInstead(const QString& target, const QByteArray& bytes)
{
    FileSystem& fileSystem = *m_services.fileSystem;
    const QString stem = file_path::removingExtension(file_path::lastComponent(target));
    const QString folder = file_path::parent(target);
    for (int number = 1; number <= 100; ++number) {
        const QString name = stem + u" (not saved back" +
                             (number > 1 ? u' ' + QString::number(number) : QString()) + u").plist";
        const QString path = file_path::appending(folder, name);
        const Result<void> created = fileSystem.createFileAtomically(path, bytes);
        if (created) {
            m_services.log->write(u"Pelvaro Launcher: saved the settings meant for " +
                                  file_path::lastComponent(target) + u" as " + name);
            return path;
        }
        if (created.error().code != ErrorCode::alreadyExists)
            return std::nullopt;
    }
    return std::nullopt;
}

Result<SaveOutcome, SessionFailure> PelvaroSession::writeCurrentPreferences(WriteMode mode,
                                                                            const QString& target)
{
    FileSystem& fileSystem = *m_services.fileSystem;
    // A new profile never replaces a file that appeared meanwhile, for
    // example while Pelvaro was asked to quit: its content would be lost.
    const auto write = [&](const QByteArray& bytes,
                           const PlistDictionary& settings) -> Result<SaveOutcome, SessionFailure> {
        if (mode == WriteMode::replace) {
            Result<SaveOutcome, SessionFailure> saved =
                replaceProfile(target, bytes, settings, /*saveElsewhere=*/true, m_applied);
            // A later save-back of the same session merges from this
            // session's settings: what came from elsewhere then reads as
            // changed there, and stays.
            if (saved)
                m_applied = Applied{bytes, settings};
            return saved;
        }
        if (const Result<void> written = fileSystem.createFileAtomically(target, bytes); !written) {
            if (fileSystem.exists(target))
                return failure(SessionFailure::Problem::targetExists, written.error());
            return failure(SessionFailure::Problem::notWritten, written.error());
        }
        // A name taken anew never adopts a history left under it.
        (void)ProfileVersions(fileSystem).setAsideLeftover(target);
        SaveOutcome outcome;
        outcome.changedSettings = settings.size();
        return outcome;
    };

    const Result<std::optional<PlistDictionary>, SessionFailure> domain = readPreferencesDomain();
    if (!domain)
        return domain.error();
    if (*domain && !(*domain)->isEmpty()) {
        qCDebug(lcSession) << "writing" << (*domain)->size() << "keys to" << target;
        return write(PlistWriter::writeBinary(PlistValue(**domain)), **domain);
    }
    qCDebug(lcSession) << "the domain is empty; copying Pelvaro's preferences file to" << target;

    // An empty domain falls back to Pelvaro's own preferences file. The copy
    // replaces the profile in one step, so a failed copy never costs the
    // profile that was there.
    const QString preferencesFile =
        PreferencesStore::domainFilePath(m_services.homePath, pelvaro::bundleIdentifier);
    if (!fileSystem.exists(preferencesFile))
        return failure(SessionFailure::Problem::noPreferences);
    // A file that holds no preferences dictionary has no settings worth
    // keeping, and copying it would cost the profile its own.
    // A file that could not be read says why; only one that was read and
    // holds no dictionary is said to hold none.
    const Result<QByteArray> bytes = fileSystem.readFile(preferencesFile);
    if (!bytes)
        return failure(SessionFailure::Problem::notWritten, bytes.error());
    const Result<PlistDictionary, SettingsFailure> preferences = profile_settings::parse(*bytes);
    if (!preferences)
        return failure(SessionFailure::Problem::preferencesUnreadable);
    // The bytes just checked are the ones written.
    return write(*bytes, *preferences);
}

Result<SaveOutcome, SessionFailure> PelvaroSession::restoreVersion(const QString& profilePath,
                                                                   const ProfileVersion& version)
{
    const Result<FileContent> content =
        ProfileVersions(*m_services.fileSystem).read(profilePath, version);
    if (!content)
        return failure(SessionFailure::Problem::profileUnreadable, content.error());
    const Result<PlistDictionary, SettingsFailure> settings =
        profile_settings::parse(content->bytes);
    if (!settings)
        return failure(SessionFailure::Problem::profileUnreadable);
    return replaceProfile(profilePath, content->bytes, *settings, /*saveElsewhere=*/false,
                          std::nullopt);
}

bool PelvaroSession::isPelvaro(const RunningApplication& application)
{
    return application.localizedName && pelvaro::isApplicationName(*application.localizedName);
}

QList<RunningApplication> PelvaroSession::runningInstances() const
{
    QList<RunningApplication> instances;
    for (const RunningApplication& application : m_services.workspace->runningApplications()) {
        if (isPelvaro(application))
            instances.append(application);
    }
    return instances;
}

void PelvaroSession::terminate(const QList<RunningApplication>& instances)
{
    for (const RunningApplication& instance : instances) {
        qCDebug(lcSession) << "asking" << instance.processId << "to quit";
        m_services.workspace->terminate(instance);
    }
}
