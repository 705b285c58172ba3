#include "plist/plistdictionary.h"

#include "plist/plistvalue.h"

#include <QSet>

#include <vector>

namespace {

size_t keyHash(const QString& key)
{
    return qHash(key, QHashSeed::globalSeed());
}

} // namespace

struct PlistDictionary::Data
{
    QList<Entry> entries;
    // Above `smallSize` entries: an open-addressing table of positions
    // (-1 for a free slot), a power of two in size, and each entry's hash.
    std::vector<qint32> positions;
    std::vector<size_t> hashes;
    QByteArray encoding;

    qsizetype indexOf(const QString& key, size_t hash) const;
    void addToIndex(qsizetype position, size_t hash);
    // Adds the entry at `position` unless an earlier one has its key.
    bool addUniqueToIndex(qsizetype position, size_t hash);
    // Rebuilds the index; false when two entries have the same key.
    bool rebuildIndex();
};

PlistDictionary::PlistDictionary(std::shared_ptr<Data> data) : d(std::move(data)) {}

qsizetype PlistDictionary::size() const
{
    return d ? d->entries.size() : 0;
}

bool PlistDictionary::contains(const QString& key) const
{
    return indexOf(key) >= 0;
}

const QList<PlistDictionary::Entry>& PlistDictionary::entries() const
{
    static const QList<Entry> none;
    return d ? d->entries : none;
}

const QByteArray& PlistDictionary::encoding() const
{
    static const QByteArray none;
    return d ? d->encoding : none;
}

PlistDictionary::Data& PlistDictionary::detach()
{
    // Data that knows its encoding may be handed out again by
    // PlistRecentReads, to any thread, so it is never changed in place.
    if (!d)
        d = std::make_shared<Data>();
    else if (d.use_count() > 1 || !d->encoding.isEmpty())
        d = std::make_shared<Data>(*d);
    d->encoding.clear();
    return *d;
}

void PlistDictionary::setEncoding(QByteArray encoding)
{
    detach().encoding = std::move(encoding);
}

PlistDictionary PlistDictionary::fromEntries(QList<Entry> entries)
{
    auto data = std::make_shared<Data>();
    data->entries = std::move(entries);
    if (data->rebuildIndex())
        return PlistDictionary(std::move(data));
    // Repeated keys, which only a damaged or foreign file holds: merged the
    // slow way.
    PlistDictionary merged;
    merged.reserve(data->entries.size());
    for (Entry& entry : data->entries)
        merged.insert(entry.first, std::move(entry.second));
    return merged;
}

void PlistDictionary::reserve(qsizetype size)
{
    detach().entries.reserve(size);
}

qsizetype PlistDictionary::indexOf(const QString& key) const
{
    if (!d)
        return -1;
    // Small dictionaries, the usual nested ones, are searched without a
    // hash, which would cost more to build than it saves.
    if (d->positions.empty()) {
        for (qsizetype i = 0; i < d->entries.size(); ++i) {
            if (d->entries.at(i).first == key)
                return i;
        }
        return -1;
    }
    return d->indexOf(key, keyHash(key));
}

qsizetype PlistDictionary::Data::indexOf(const QString& key, size_t hash) const
{
    const size_t mask = positions.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const qint32 position = positions[slot];
        if (position < 0)
            return -1;
        if (hashes[size_t(position)] == hash && entries.at(position).first == key)
            return position;
    }
}

void PlistDictionary::Data::addToIndex(qsizetype position, size_t hash)
{
    hashes.push_back(hash);
    const size_t mask = positions.size() - 1;
    size_t slot = hash & mask;
    while (positions[slot] >= 0)
        slot = (slot + 1) & mask;
    positions[slot] = qint32(position);
}

bool PlistDictionary::Data::addUniqueToIndex(qsizetype position, size_t hash)
{
    const QString& key = entries.at(position).first;
    const size_t mask = positions.size() - 1;
    size_t slot = hash & mask;
    for (; positions[slot] >= 0; slot = (slot + 1) & mask) {
        const qint32 other = positions[slot];
        if (hashes[size_t(other)] == hash && entries.at(other).first == key)
            return false;
    }
    hashes.push_back(hash);
    positions[slot] = qint32(position);
    return true;
}

bool PlistDictionary::Data::rebuildIndex()
{
    positions.clear();
    hashes.clear();
    if (entries.size() <= smallSize) {
        for (qsizetype i = 1; i < entries.size(); ++i) {
            for (qsizetype j = 0; j < i; ++j) {
                if (entries.at(i).first == entries.at(j).first)
                    return false;
            }
        }
        return true;
    }
    size_t capacity = 16;
    while (capacity < size_t(entries.size()) * 2)
        capacity *= 2;
    positions.assign(capacity, -1);
    hashes.reserve(size_t(entries.capacity()));
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!addUniqueToIndex(i, keyHash(entries.at(i).first))) {
            positions.clear();
            hashes.clear();
            return false;
        }
    }
    return true;
}

void PlistDictionary::insert(const QString& key, PlistValue value)
{
    Data& data = detach();
    const bool indexed = !data.positions.empty();
    const size_t hash = indexed ? keyHash(key) : 0;
    const qsizetype existing = indexed ? data.indexOf(key, hash) : indexOf(key);
    if (existing >= 0) {
        data.entries[existing].second = std::move(value);
        return;
    }
    data.entries.append({key, std::move(value)});
    // Kept at most half full, so that probes stay short.
    if (!indexed || size_t(data.entries.size()) * 2 > data.positions.size()) {
        if (data.entries.size() > smallSize)
            data.rebuildIndex();
        return;
    }
    data.addToIndex(data.entries.size() - 1, hash);
}

void PlistDictionary::remove(const QStringList& keys)
{
    bool any = false;
    for (const QString& key : keys)
        any = any || contains(key);
    if (!any)
        return;
    Data& data = detach();
    const QSet<QString> doomed(keys.cbegin(), keys.cend());
    QList<Entry> kept;
    kept.reserve(data.entries.size());
    for (const Entry& entry : std::as_const(data.entries)) {
        if (!doomed.contains(entry.first))
            kept.append(entry);
    }
    data.entries = std::move(kept);
    data.rebuildIndex();
}

const PlistValue* PlistDictionary::find(const QString& key) const
{
    const qsizetype index = indexOf(key);
    return index < 0 ? nullptr : &d->entries[index].second;
}

PlistValue PlistDictionary::value(const QString& key) const
{
    const PlistValue* found = find(key);
    return found ? *found : PlistValue();
}

QStringList PlistDictionary::keys() const
{
    QStringList keys;
    keys.reserve(size());
    for (const Entry& entry : entries())
        keys.append(entry.first);
    return keys;
}

namespace {

const QString& keyOf(const QString& key)
{
    return key;
}

const QString& keyOf(const PlistDictionary::Entry& entry)
{
    return entry.first;
}

// Dictionaries read from files written from one another list their keys in
// the same order, so each key is first compared with the entry at its own
// position, and looked up only when that differs.
template <typename Keys>
QStringList keysMissingFrom(const QList<PlistDictionary::Entry>& entries, const Keys& keys,
                            const PlistDictionary& dictionary)
{
    QStringList missing;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString& key = keyOf(keys.at(i));
        if (i < entries.size() && entries.at(i).first == key)
            continue;
        if (!dictionary.contains(key))
            missing.append(key);
    }
    return missing;
}

} // namespace

QStringList PlistDictionary::missingKeys(const QStringList& keys) const
{
    return keysMissingFrom(entries(), keys, *this);
}

QStringList PlistDictionary::missingKeys(const PlistDictionary& other) const
{
    return keysMissingFrom(entries(), other.entries(), *this);
}

bool operator==(const PlistDictionary& a, const PlistDictionary& b)
{
    if (a.size() != b.size())
        return false;
    for (const PlistDictionary::Entry& entry : a.entries()) {
        const PlistValue* other = b.find(entry.first);
        if (!other || !(*other == entry.second))
            return false;
    }
    return true;
}
