#include "state/launcherstate.h"

#include "platform/filesystem.h"
#include "platform/plistreader.h"
#include "platform/plistwriter.h"
#include "platform/preferencesservice.h"
#include "platform/preferencesstore.h"
#include "target/pelvaroapplication.h"

std::optional<PlistDictionary> LauncherState::readPreferencesDomain()
{
    PreferencesService& preferences = *m_services.preferences;
    preferences.synchronize();
    const std::optional<QStringList> keys = preferences.copyKeyList();
    if (!keys || keys->isEmpty())
        return std::nullopt;
    return preferences.copyMultiple(*keys);
}

void LauncherState::saveActiveProfile()
{
    if (!m_activeProfileName || m_activeProfileName->isEmpty())
        return;
    writeCurrentPreferences(ProfileWriter::save, *m_activeProfileName,
                            m_activeProfileFolder ? m_activeProfileFolder : currentFolderURL());
}

void LauncherState::createProfileFromCurrentPreferences(const QString& fileName)
{
    writeCurrentPreferences(ProfileWriter::create, fileName, currentFolderURL());
}

void LauncherState::writeCurrentPreferences(ProfileWriter writer, const QString& fileName,
                                            const std::optional<QString>& folder)
{
    if (!folder)
        return;
    const QString target = file_path::appending(*folder, fileName);
    const auto failWith = [&](const QString& description) {
        setErrorMessage(writer == ProfileWriter::save
                            ? tr("Could not save profile \"%1\": %2").arg(fileName, description)
                            : tr("Could not create profile \"%1\": %2").arg(fileName, description));
    };
    // A new profile never replaces a file that appeared meanwhile, for
    // example while Pelvaro was asked to quit: its content would be lost.
    const auto write = [&](const QByteArray& bytes) {
        const FileResult written = writer == ProfileWriter::save
                                       ? fm().writeFileAtomically(target, bytes)
                                       : fm().createFileAtomically(target, bytes);
        if (written)
            return;
        if (writer == ProfileWriter::create && fm().exists(target))
            setErrorMessage(
                tr("Could not create profile \"%1\": a file of that name already exists.")
                    .arg(fileName));
        else
            failWith(written.description);
    };

    const std::optional<PlistDictionary> domain = readPreferencesDomain();
    // Another program is in the middle of changing the preferences: the
    // profile keeps what it has rather than take a state about to change.
    if (m_services.preferences->lastSyncFailure() == PreferencesService::SyncFailure::Locked) {
        failWith(lockedPreferencesDescription());
        return;
    }
    if (domain && !domain->isEmpty()) {
        write(PlistWriter::writeBinary(PlistValue(*domain)));
        return;
    }

    // An empty domain falls back to Pelvaro's own preferences file. The copy
    // replaces the profile in one step, so a failed copy never costs the
    // profile that was there.
    const QString preferencesFile =
        PreferencesStore::domainFilePath(m_services.homePath, pelvaro::bundleIdentifier);
    if (!fm().exists(preferencesFile)) {
        setErrorMessage(
            writer == ProfileWriter::save
                ? tr("Could not save profile \"%1\": no Pelvaro preferences were found.")
                      .arg(fileName)
                : tr("Could not create profile \"%1\": no Pelvaro preferences were found.")
                      .arg(fileName));
        return;
    }
    // A file that holds no preferences dictionary has no settings worth
    // keeping, and copying it would cost the profile its own.
    const std::optional<QByteArray> bytes = fm().readFile(preferencesFile, nullptr);
    const std::optional<PlistValue> preferences = bytes ? PlistReader::read(*bytes) : std::nullopt;
    if (!preferences || !preferences->isDictionary()) {
        failWith(tr("Pelvaro's preferences file does not hold a readable preferences dictionary."));
        return;
    }
    // The bytes just checked are the ones written, in one step, so a failed
    // write never costs the profile that was there.
    write(*bytes);
}
