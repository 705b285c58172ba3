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

PlistValue::PlistValue(PlistArray value)
    : m_value(std::make_shared<const PlistArray>(std::move(value)))
{
}

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
    const auto* value = std::get_if<std::shared_ptr<const PlistArray>>(&m_value);
    return value ? **value : emptyArray();
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

void PlistDictionary::reserve(qsizetype size)
{
    m_entries.reserve(size);
    if (size > smallSize)
        m_index.reserve(size);
}

qsizetype PlistDictionary::indexOf(const QString& key) const
{
    // Small dictionaries, the usual nested ones, are searched without a
    // hash, which would cost more to build than it saves.
    if (m_entries.size() <= smallSize) {
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            if (m_entries.at(i).first == key)
                return i;
        }
        return -1;
    }
    return m_index.value(key, -1);
}

void PlistDictionary::insert(const QString& key, PlistValue value)
{
    const qsizetype existing = indexOf(key);
    if (existing >= 0) {
        m_entries[existing].second = std::move(value);
        return;
    }
    m_entries.append({key, std::move(value)});
    if (m_entries.size() == smallSize + 1) {
        m_index.reserve(std::max<qsizetype>(m_entries.capacity(), 2 * smallSize));
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            m_index.insert(m_entries.at(i).first, i);
    } else if (m_entries.size() > smallSize + 1) {
        m_index.insert(key, m_entries.size() - 1);
    }
}

void PlistDictionary::remove(const QStringList& keys)
{
    bool any = false;
    for (const QString& key : keys)
        any = any || contains(key);
    if (!any)
        return;
    const QSet<QString> doomed(keys.cbegin(), keys.cend());
    QList<Entry> kept;
    kept.reserve(m_entries.size());
    m_index.clear();
    for (Entry& entry : m_entries) {
        if (doomed.contains(entry.first))
            continue;
        kept.append(std::move(entry));
    }
    if (kept.size() > smallSize) {
        for (qsizetype i = 0; i < kept.size(); ++i)
            m_index.insert(kept.at(i).first, i);
    }
    m_entries = std::move(kept);
    if (m_entries.size() <= smallSize)
        m_index.clear();
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
