#include "platform/preferencesstore.h"

#include "platform/logging.h"
#include "plist/plistreader.h"
#include "plist/plistwriter.h"

PreferencesStore::PreferencesStore(FileSystem& fileSystem, const QString& homePath,
                                   const QString& domain)
    : m_fileSystem(fileSystem), m_filePath(domainFilePath(homePath, domain))
{
}

QString PreferencesStore::domainFilePath(const QString& homePath, const QString& domain)
{
    return homePath + u"/Library/Preferences/" + domain + u".plist";
}

PlistDictionary PreferencesStore::readFromDisk() const
{
    const Result<QByteArray> bytes = m_fileSystem.readFile(m_filePath);
    if (!bytes)
        return {};
    const PlistReadResult value = PlistReader::read(*bytes);
    if (!value || !value->isDictionary())
        return {};
    return value->toDictionary();
}

std::optional<FileStamp> PreferencesStore::stamp() const
{
    return m_fileSystem.stamp(m_filePath);
}

void PreferencesStore::ensureLoaded()
{
    if (m_loaded && (hasPending() || stamp() == m_loadedStamp))
        return;
    m_loadedStamp = stamp();
    m_values = readFromDisk();
    m_loaded = true;
    qCDebug(lcPreferences) << "read" << m_filePath << "with" << m_values.size() << "keys";
}

std::optional<QStringList> PreferencesStore::copyKeyList()
{
    ensureLoaded();
    return m_values.keys();
}

PlistDictionary PreferencesStore::copyMultiple(const QStringList& keys)
{
    ensureLoaded();
    // Asking for every key, as reading the whole domain does, is a copy.
    if (keys.size() == m_values.size() && m_values.missingKeys(keys).isEmpty())
        return m_values;
    PlistDictionary result;
    result.reserve(keys.size());
    for (const QString& key : keys) {
        if (const PlistValue* value = m_values.find(key))
            result.insert(key, *value);
    }
    return result;
}

void PreferencesStore::recordPending(const PlistDictionary& keysToSet,
                                     const QStringList& keysToRemove)
{
    if (m_pendingSets.isEmpty()) {
        m_pendingSets = keysToSet;
    } else {
        for (const PlistDictionary::Entry& entry : keysToSet.entries())
            m_pendingSets.insert(entry.first, entry.second);
    }
    if (!m_pendingRemovals.isEmpty()) {
        for (const PlistDictionary::Entry& entry : keysToSet.entries())
            m_pendingRemovals.remove(entry.first);
    }
    m_pendingSets.remove(keysToRemove);
    for (const QString& key : keysToRemove)
        m_pendingRemovals.insert(key);
}

void PreferencesStore::setMultiple(const PlistDictionary& keysToSet,
                                   const QStringList& keysToRemove)
{
    ensureLoaded();
    recordPending(keysToSet, keysToRemove);
    // Applying a whole profile leaves exactly the keys it sets: the domain
    // becomes that dictionary, which still knows the file it came from.
    const QStringList notSet = keysToSet.missingKeys(m_values);
    if (notSet.isEmpty() || QSet<QString>(keysToRemove.cbegin(), keysToRemove.cend())
                                .contains(QSet<QString>(notSet.cbegin(), notSet.cend()))) {
        // ...and so replaces it, whatever another process writes before
        // the synchronise.
        m_values = keysToSet;
        m_pendingReplacesDomain = true;
        return;
    }
    for (const PlistDictionary::Entry& entry : keysToSet.entries())
        m_values.insert(entry.first, entry.second);
    m_values.remove(keysToRemove);
}

void PreferencesStore::dropPending()
{
    m_pendingSets = {};
    m_pendingRemovals.clear();
    m_pendingReplacesDomain = false;
}

Result<void> PreferencesStore::synchronize(Flush flush)
{
    // Changes that could not be written are dropped, and the domain is read
    // again at its next use: kept, they would be merged much later over
    // what others wrote meanwhile.
    const auto failed = [this](PlatformError error) -> Result<void> {
        qCDebug(lcPreferences) << "synchronise failed; pending changes dropped, code"
                               << int(error.code);
        dropPending();
        m_loaded = false;
        return error;
    };
    const QString folder = m_filePath.left(m_filePath.lastIndexOf(u'/'));
    if (!m_fileSystem.isDirectory(folder)) {
        if (Result<void> created = m_fileSystem.createDirectory(folder); !created)
            return failed(created.error());
    }
    const Result<FileLock> lock =
        m_fileSystem.lockExclusively(m_filePath + u".lock", lockTimeoutMs);
    if (!lock)
        return failed(lock.error());
    // Unless another process has replaced the file since it was read, the
    // copy in memory is what the disk holds plus the pending changes. A
    // replaced domain is the copy in memory, whatever the disk holds.
    const bool unchanged = m_pendingReplacesDomain || (m_loaded && stamp() == m_loadedStamp);
    PlistDictionary merged = unchanged ? m_values : readFromDisk();
    if (hasPending()) {
        if (!unchanged) {
            // Applied in the order the caller made them, so the file keeps a
            // stable key order from one write to the next.
            for (const PlistDictionary::Entry& entry : m_pendingSets.entries())
                merged.insert(entry.first, entry.second);
            merged.remove(QStringList(m_pendingRemovals.cbegin(), m_pendingRemovals.cend()));
        }
        const QByteArray bytes = PlistWriter::writeBinary(merged);
        if (Result<void> written =
                flush == Flush::now
                    ? m_fileSystem.writeFileAtomically(m_filePath, bytes)
                    : m_fileSystem.writeFileAtomicallyFlushingLater(m_filePath, bytes);
            !written)
            return failed(written.error());
        qCDebug(lcPreferences) << "wrote" << m_filePath << (unchanged ? "over" : "merged into")
                               << "the file's keys";
        dropPending();
    }
    m_values = std::move(merged);
    m_loaded = true;
    m_loadedStamp = stamp();
    return {};
}
