#pragma once

#include "platform/filesystem.h"
#include "platform/preferencesservice.h"

#include <QSet>

// A domain kept in <home>/Library/Preferences/<domain>.plist in the binary
// form. Reads come from a copy in memory; changes stay pending until
// synchronize() merges them, under a lock, over what is on disk then, so
// that keys written meanwhile by another process survive. While nothing is
// pending, a copy whose file another process has since replaced is read
// again, as a shared preferences service would show it.
class PreferencesStore final : public PreferencesService
{
public:
    PreferencesStore(FileSystem& fileSystem, const QString& homePath, const QString& domain);

    static QString domainFilePath(const QString& homePath, const QString& domain);

    std::optional<QStringList> copyKeyList() override;
    PlistDictionary copyMultiple(const QStringList& keys) override;
    void setMultiple(const PlistDictionary& keysToSet, const QStringList& keysToRemove) override;
    using PreferencesService::synchronize;
    Result<void> synchronize(Flush flush) override;

    // How long a synchronise waits for another holder of the domain's lock.
    static constexpr int lockTimeoutMs = 3000;

    QString filePath() const { return m_filePath; }

private:
    std::optional<FileStamp> stamp() const;
    PlistDictionary readFromDisk() const;
    void ensureLoaded();
    bool hasPending() const
    {
        return m_pendingReplacesDomain || !m_pendingSets.isEmpty() || !m_pendingRemovals.isEmpty();
    }
    void recordPending(const PlistDictionary& keysToSet, const QStringList& keysToRemove);
    void dropPending();

    FileSystem& m_fileSystem;
    QString m_filePath;
    bool m_loaded = false;
    std::optional<FileStamp> m_loadedStamp;
    PlistDictionary m_values;
    // The changes not yet written, in the order they were made; the latest
    // change of a key wins.
    PlistDictionary m_pendingSets;
    QSet<QString> m_pendingRemovals;
    // The pending changes leave exactly the keys they set: the domain in
    // memory replaces the file's.
    bool m_pendingReplacesDomain = false;
};
