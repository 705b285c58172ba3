#include "platform/plistvalue.h"

#include <QSet>

#include <cstring>

namespace {

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const PlistArray& emptyArray()
{
    static const PlistArray empty;
    return empty;
}

const PlistDictionary& emptyDictionary()
{
    static const PlistDictionary empty;
    return empty;
}

} // namespace

PlistValue::PlistValue(PlistArray value) : m_value(std::move(value)) {}

PlistValue::PlistValue(PlistDictionary value)
    : m_value(std::make_shared<const PlistDictionary>(std::move(value)))
{
}

bool PlistValue::toBool() const
{
    const bool* value = std::get_if<bool>(&m_value);
    return value && *value;
}

PlistInteger PlistValue::toInteger() const
{
    const PlistInteger* value = std::get_if<PlistInteger>(&m_value);
    return value ? *value : PlistInteger{};
}

double PlistValue::toReal() const
{
    const double* value = std::get_if<double>(&m_value);
    return value ? *value : 0.0;
}

PlistDate PlistValue::toDate() const
{
    const PlistDate* value = std::get_if<PlistDate>(&m_value);
    return value ? *value : PlistDate{};
}

PlistUid PlistValue::toUid() const
{
    const PlistUid* value = std::get_if<PlistUid>(&m_value);
    return value ? *value : PlistUid{};
}

QString PlistValue::toString() const
{
    const QString* value = std::get_if<QString>(&m_value);
    return value ? *value : QString();
}

const QString& PlistValue::toStringView() const
{
    static const QString empty;
    const QString* value = std::get_if<QString>(&m_value);
    return value ? *value : empty;
}

QByteArray PlistValue::toData() const
{
    const QByteArray* value = std::get_if<QByteArray>(&m_value);
    return value ? *value : QByteArray();
}

const PlistArray& PlistValue::toArray() const
{
    const PlistArray* value = std::get_if<PlistArray>(&m_value);
    return value ? *value : emptyArray();
}

const PlistDictionary& PlistValue::toDictionary() const
{
    const auto* value = std::get_if<std::shared_ptr<const PlistDictionary>>(&m_value);
    return value ? **value : emptyDictionary();
}

bool operator==(const PlistValue& a, const PlistValue& b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case PlistValue::Type::Invalid:
        return true;
    case PlistValue::Type::Boolean:
        return a.toBool() == b.toBool();
    case PlistValue::Type::Integer:
        return a.toInteger() == b.toInteger();
    case PlistValue::Type::Real:
        // Values pass through untouched, so -0.0 and 0.0 differ and a NaN
        // equals the same NaN.
        return sameBits(a.toReal(), b.toReal());
    case PlistValue::Type::Date:
        return sameBits(a.toDate().secondsSinceReference, b.toDate().secondsSinceReference);
    case PlistValue::Type::String:
        return a.toString() == b.toString();
    case PlistValue::Type::Data:
        return a.toData() == b.toData();
    case PlistValue::Type::Array:
        return a.toArray() == b.toArray();
    case PlistValue::Type::Dictionary:
        return a.toDictionary() == b.toDictionary();
    case PlistValue::Type::Uid:
        return a.toUid().value == b.toUid().value;
    }
    return false;
}

namespace {

size_t keyHash(const QString& key)
{
    return qHash(key, QHashSeed::globalSeed());
}

} // namespace

PlistDictionary PlistDictionary::fromEntries(QList<Entry> entries)
{
    PlistDictionary dictionary;
    dictionary.m_entries = std::move(entries);
    if (dictionary.rebuildIndex())
        return dictionary;
    // Repeated keys, which only a damaged or foreign file holds: merged the
    // slow way.
    PlistDictionary merged;
    merged.reserve(dictionary.m_entries.size());
    for (Entry& entry : dictionary.m_entries)
        merged.insert(entry.first, std::move(entry.second));
    return merged;
}

void PlistDictionary::reserve(qsizetype size)
{
    m_entries.reserve(size);
}

qsizetype PlistDictionary::indexOf(const QString& key) const
{
    // Small dictionaries, the usual nested ones, are searched without a
    // hash, which would cost more to build than it saves.
    if (!m_index) {
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            if (m_entries.at(i).first == key)
                return i;
        }
        return -1;
    }
    return m_index->indexOf(m_entries, key, keyHash(key));
}

qsizetype PlistDictionary::Index::indexOf(const QList<Entry>& entries, const QString& key,
                                          size_t hash) const
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

void PlistDictionary::Index::add(qsizetype position, size_t hash)
{
    hashes.push_back(hash);
    const size_t mask = positions.size() - 1;
    size_t slot = hash & mask;
    while (positions[slot] >= 0)
        slot = (slot + 1) & mask;
    positions[slot] = qint32(position);
}

bool PlistDictionary::Index::addUnique(const QList<Entry>& entries, qsizetype position, size_t hash)
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

bool PlistDictionary::rebuildIndex()
{
    m_index.reset();
    if (m_entries.size() <= smallSize) {
        for (qsizetype i = 1; i < m_entries.size(); ++i) {
            for (qsizetype j = 0; j < i; ++j) {
                if (m_entries.at(i).first == m_entries.at(j).first)
                    return false;
            }
        }
        return true;
    }
    auto index = std::make_shared<Index>();
    size_t capacity = 16;
    while (capacity < size_t(m_entries.size()) * 2)
        capacity *= 2;
    index->positions.assign(capacity, -1);
    index->hashes.reserve(size_t(m_entries.capacity()));
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (!index->addUnique(m_entries, i, keyHash(m_entries.at(i).first)))
            return false;
    }
    m_index = std::move(index);
    return true;
}

PlistDictionary::Index& PlistDictionary::writableIndex()
{
    if (m_index.use_count() > 1)
        m_index = std::make_shared<Index>(*m_index);
    return *m_index;
}

void PlistDictionary::insert(const QString& key, PlistValue value)
{
    changed();
    const size_t hash = m_index ? keyHash(key) : 0;
    const qsizetype existing = m_index ? m_index->indexOf(m_entries, key, hash) : indexOf(key);
    if (existing >= 0) {
        m_entries[existing].second = std::move(value);
        return;
    }
    m_entries.append({key, std::move(value)});
    // Kept at most half full, so that probes stay short.
    if (!m_index || size_t(m_entries.size()) * 2 > m_index->positions.size()) {
        if (m_entries.size() > smallSize)
            rebuildIndex();
        return;
    }
    writableIndex().add(m_entries.size() - 1, hash);
}

void PlistDictionary::remove(const QStringList& keys)
{
    bool any = false;
    for (const QString& key : keys)
        any = any || contains(key);
    if (!any)
        return;
    changed();
    const QSet<QString> doomed(keys.cbegin(), keys.cend());
    QList<Entry> kept;
    kept.reserve(m_entries.size());
    for (const Entry& entry : std::as_const(m_entries)) {
        if (!doomed.contains(entry.first))
            kept.append(entry);
    }
    m_entries = std::move(kept);
    rebuildIndex();
}

const PlistValue* PlistDictionary::find(const QString& key) const
{
    const qsizetype index = indexOf(key);
    return index < 0 ? nullptr : &m_entries[index].second;
}

PlistValue PlistDictionary::value(const QString& key) const
{
    const PlistValue* found = find(key);
    return found ? *found : PlistValue();
}

QStringList PlistDictionary::keys() const
{
    QStringList keys;
    keys.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        keys.append(entry.first);
    return keys;
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
