#include "platform/preferencesstore.h"

#include "platform/filesystem.h"
#include "platform/plistreader.h"
#include "platform/plistwriter.h"

#include <QDeadlineTimer>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Holds an exclusive advisory lock on a lock file for its lifetime. It
// waits for another holder up to `timeoutMs` only: this runs on the main
// thread, which must not freeze behind another program.
class DomainLock
{
public:
    DomainLock(const QString& lockPath, int timeoutMs)
    {
        m_fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        const QDeadlineTimer deadline(timeoutMs);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK || deadline.hasExpired()) {
                m_busy = errno == EWOULDBLOCK;
                ::close(m_fd);
                m_fd = -1;
                return;
            }
            ::usleep(10'000);
        }
    }
    ~DomainLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DomainLock(const DomainLock&) = delete;
    DomainLock& operator=(const DomainLock&) = delete;
    bool held() const { return m_fd >= 0; }
    // Another holder kept it past the timeout.
    bool busy() const { return m_busy; }

private:
    int m_fd = -1;
    bool m_busy = false;
};

} // namespace

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
    const std::optional<QByteArray> bytes = m_fileSystem.readFile(m_filePath, nullptr);
    if (!bytes)
        return {};
    const std::optional<PlistValue> value = PlistReader::read(*bytes);
    if (!value || !value->isDictionary())
        return {};
    return value->toDictionary();
}

PreferencesStore::FileStamp PreferencesStore::stamp() const
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(m_filePath).constData(), &info) != 0)
        return {};
    return {true, qint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

void PreferencesStore::ensureLoaded()
{
    if (m_loaded && (hasPending() || stamp() == m_loadedStamp))
        return;
    m_loadedStamp = stamp();
    m_values = readFromDisk();
    m_loaded = true;
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

bool PreferencesStore::synchronize()
{
    // Changes that could not be written are dropped, and the domain is read
    // again at its next use: kept, they would be merged much later over
    // what others wrote meanwhile.
    const auto failed = [this](SyncFailure reason = SyncFailure::Other) {
        dropPending();
        m_loaded = false;
        m_lastSyncFailure = reason;
        return false;
    };
    m_lastSyncFailure = SyncFailure::None;
    const QString folder = m_filePath.left(m_filePath.lastIndexOf(u'/'));
    if (!m_fileSystem.isDirectory(folder) && !m_fileSystem.createDirectory(folder))
        return failed();
    const DomainLock lock(m_filePath + u".lock", lockTimeoutMs);
    if (!lock.held())
        return failed(lock.busy() ? SyncFailure::Locked : SyncFailure::Other);
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
        if (!m_fileSystem.writeFileAtomically(m_filePath, PlistWriter::writeBinary(merged)))
            return failed();
        dropPending();
    }
    m_values = std::move(merged);
    m_loaded = true;
    m_loadedStamp = stamp();
    return true;
}
