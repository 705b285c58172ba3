#include "target/pelvarosession.h"

#include "platform/filesystem.h"
#include "platform/logging.h"
#include "platform/preferencesservice.h"
#include "platform/preferencesstore.h"
#include "platform/systemlog.h"
#include "platform/workspace.h"
#include "plist/plistdiff.h"
#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "profiles/profileversions.h"
#include "state/errortext.h"
#include "state/profile.h"
#include "target/pelvaroapplication.h"

#include <QPointer>

#include <cerrno>

namespace {

SessionFailure failure(SessionFailure::Problem problem,
                       std::optional<PlatformError> cause = std::nullopt)
{
    return {problem, std::move(cause)};
}

} // namespace

PelvaroSession::PelvaroSession(const PlatformServices& services, QObject* parent)
    : QObject(parent), m_services(services)
{
}

Result<void, SessionFailure> PelvaroSession::applyProfile(const QString& profilePath)
{
    const Result<QByteArray> bytes = m_services.fileSystem->readFile(profilePath);
    if (!bytes)
        return failure(SessionFailure::Problem::profileUnreadable, bytes.error());
    const std::optional<PlistValue> root = PlistReader::read(*bytes);
    if (!root || !root->isDictionary())
        return failure(SessionFailure::Problem::profileUnreadable);
    const PlistDictionary& settings = root->toDictionary();

    PreferencesService& preferences = *m_services.preferences;
    const QStringList existingKeys = preferences.copyKeyList().value_or(QStringList());
    preferences.setMultiple(settings, settings.missingKeys(existingKeys));
    qCDebug(lcSession) << "applying" << profilePath << "with" << settings.size() << "keys";
    if (const Result<void> synchronised = preferences.synchronize(); !synchronised) {
        // Another program holding the lock is worth knowing: it will not go
        // away by trying again at once.
        return failure(synchronised.error().code == ErrorCode::locked
                           ? SessionFailure::Problem::preferencesLocked
                           : SessionFailure::Problem::notApplied,
                       synchronised.error());
    }
    return {};
}

bool PelvaroSession::launch()
{
    Workspace& workspace = *m_services.workspace;
    const std::optional<QString> location =
        workspace.locationForApplication(pelvaro::bundleIdentifier);
    if (!location) {
        m_services.log->write(QStringLiteral("Pelvaro Launcher: Pelvaro application not found."));
        return false;
    }
    qCDebug(lcSession) << "opening" << *location;
    SystemLog* log = m_services.log;
    // The workspace calls back on the main thread; the session may be gone.
    QPointer<PelvaroSession> self(this);
    workspace.openApplication(*location, [log, self](const Result<void>& opened) {
        if (opened)
            return;
        log->write(u"Pelvaro Launcher: failed to launch Pelvaro: " +
                   ErrorText::describe(opened.error()));
        if (self)
            emit self->launchFailed(opened.error());
    });
    return true;
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

PlistDictionary PelvaroSession::keepCurrentContent(const QString& target, SaveOutcome& outcome)
{
    const Result<QByteArray> current = m_services.fileSystem->readFile(target);
    if (!current)
        return {};
    ProfileVersions versions(*m_services.fileSystem);
    if (const Result<std::optional<QString>> kept = versions.keep(target, *current); kept)
        outcome.keptVersion = *kept;
    else
        m_services.log->write(u"Pelvaro Launcher: could not keep a version of " +
                              file_path::lastComponent(target) + u": " +
                              ErrorText::describe(kept.error()));
    const std::optional<PlistValue> settings = PlistReader::read(*current);
    return settings && settings->isDictionary() ? settings->toDictionary() : PlistDictionary();
}

Result<SaveOutcome, SessionFailure> PelvaroSession::writeCurrentPreferences(WriteMode mode,
                                                                            const QString& target)
{
    FileSystem& fileSystem = *m_services.fileSystem;
    SaveOutcome outcome;
    PlistDictionary before;
    // A new profile never replaces a file that appeared meanwhile, for
    // example while Pelvaro was asked to quit: its content would be lost.
    // A replaced profile's content is kept as a version first.
    const auto write = [&](const QByteArray& bytes,
                           const PlistDictionary& settings) -> Result<SaveOutcome, SessionFailure> {
        if (mode == WriteMode::replace)
            before = keepCurrentContent(target, outcome);
        const Result<void> written = mode == WriteMode::replace
                                         ? fileSystem.writeFileAtomically(target, bytes)
                                         : fileSystem.createFileAtomically(target, bytes);
        if (!written) {
            if (mode == WriteMode::create && fileSystem.exists(target))
                return failure(SessionFailure::Problem::targetExists, written.error());
            return failure(SessionFailure::Problem::notWritten, written.error());
        }
        outcome.changedSettings = PlistDiff::changedSettings(before, settings);
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
    const Result<QByteArray> bytes = fileSystem.readFile(preferencesFile);
    const std::optional<PlistValue> preferences = bytes ? PlistReader::read(*bytes) : std::nullopt;
    if (!preferences || !preferences->isDictionary())
        return failure(SessionFailure::Problem::preferencesUnreadable);
    // The bytes just checked are the ones written.
    return write(*bytes, preferences->toDictionary());
}

Result<SaveOutcome, SessionFailure> PelvaroSession::restoreVersion(const QString& profilePath,
                                                                   const QString& versionPath)
{
    const Result<QByteArray> bytes = m_services.fileSystem->readFile(versionPath);
    if (!bytes)
        return failure(SessionFailure::Problem::profileUnreadable, bytes.error());
    const std::optional<PlistValue> settings = PlistReader::read(*bytes);
    if (!settings || !settings->isDictionary())
        return failure(SessionFailure::Problem::profileUnreadable);
    SaveOutcome outcome;
    const PlistDictionary before = keepCurrentContent(profilePath, outcome);
    if (const Result<void> written =
            m_services.fileSystem->writeFileAtomically(profilePath, *bytes);
        !written)
        return failure(SessionFailure::Problem::notWritten, written.error());
    outcome.changedSettings = PlistDiff::changedSettings(before, settings->toDictionary());
    return outcome;
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
