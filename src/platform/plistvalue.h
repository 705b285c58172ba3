#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

#include <limits>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

class PlistValue;
class PlistDictionary;
using PlistArray = QList<PlistValue>;

// A date as the property-list formats keep it: seconds since
// 2001-01-01 00:00:00 UTC, exactly as stored.
struct PlistDate
{
    double secondsSinceReference = 0;
};

// The keyed-archive object reference.
struct PlistUid
{
    quint64 value = 0;
};

// An integer of the binary form: any signed 64-bit value, or an unsigned one
// above INT64_MAX. Values that fit the signed range are always kept signed.
struct PlistInteger
{
    qint64 bits = 0;
    bool isUnsignedAboveSignedRange = false;

    static PlistInteger fromSigned(qint64 value) { return {value, false}; }
    static PlistInteger fromUnsigned(quint64 value)
    {
        return {static_cast<qint64>(value), value > quint64(std::numeric_limits<qint64>::max())};
    }
    quint64 unsignedValue() const { return static_cast<quint64>(bits); }
    friend bool operator==(const PlistInteger&, const PlistInteger&) = default;
};

// Any property-list value, held without loss. Containers are shared and
// immutable once built, so copies are cheap.
class PlistValue
{
public:
    enum class Type
    {
        Invalid,
        Boolean,
        Integer,
        Real,
        Date,
        String,
        Data,
        Array,
        Dictionary,
        Uid
    };

    PlistValue() = default;
    PlistValue(bool value) : m_value(value) {}
    PlistValue(PlistInteger value) : m_value(value) {}
    PlistValue(double value) : m_value(value) {}
    PlistValue(PlistDate value) : m_value(value) {}
    PlistValue(PlistUid value) : m_value(value) {}
    PlistValue(QString value) : m_value(std::move(value)) {}
    PlistValue(QByteArray value) : m_value(std::move(value)) {}
    PlistValue(PlistArray value);
    PlistValue(PlistDictionary value);

    static PlistValue integer(qint64 value) { return PlistInteger::fromSigned(value); }
    static PlistValue unsignedInteger(quint64 value) { return PlistInteger::fromUnsigned(value); }

    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isValid() const { return type() != Type::Invalid; }
    bool isDictionary() const { return type() == Type::Dictionary; }

    bool toBool() const;
    PlistInteger toInteger() const;
    double toReal() const;
    PlistDate toDate() const;
    PlistUid toUid() const;
    QString toString() const;
    // The string held, without a copy; an empty string for other types.
    const QString& toStringView() const;
    QByteArray toData() const;
    const PlistArray& toArray() const;
    const PlistDictionary& toDictionary() const;

    friend bool operator==(const PlistValue& a, const PlistValue& b);

private:
    // The alternatives are in the order of Type. An array is implicitly
    // shared already; a dictionary, with its index, is shared by pointer.
    std::variant<std::monostate, bool, PlistInteger, double, PlistDate, QString, QByteArray,
                 PlistArray, std::shared_ptr<const PlistDictionary>, PlistUid>
        m_value;
};

// A dictionary with text keys that keeps its keys in the order they were
// first inserted. Inserting an existing key replaces its value in place.
class PlistDictionary
{
public:
    using Entry = std::pair<QString, PlistValue>;

    // Builds a dictionary from entries in file order; a key that repeats
    // keeps its first position and takes its last value, as with insert().
    static PlistDictionary fromEntries(QList<Entry> entries);

    void reserve(qsizetype size);
    void insert(const QString& key, PlistValue value);
    // Removes every listed key; the others keep their order.
    void remove(const QStringList& keys);
    bool contains(const QString& key) const { return indexOf(key) >= 0; }
    const PlistValue* find(const QString& key) const;
    PlistValue value(const QString& key) const;
    qsizetype size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const QList<Entry>& entries() const { return m_entries; }
    QStringList keys() const;

    // The binary file this dictionary was read from, when that file is
    // exactly what PlistWriter writes for it; empty otherwise, and emptied
    // by any change. It spares writing an unchanged domain out again.
    const QByteArray& encoding() const { return m_encoding; }
    void setEncoding(QByteArray encoding) { m_encoding = std::move(encoding); }

    // Equal when both hold the same keys with equal values; order is not compared.
    friend bool operator==(const PlistDictionary& a, const PlistDictionary& b);

private:
    static constexpr qsizetype smallSize = 8;

    // Above `smallSize` entries: an open-addressing table of positions
    // (-1 for a free slot), a power of two in size, and each entry's hash.
    // Copies of a dictionary share it until one of them changes.
    struct Index
    {
        std::vector<qint32> positions;
        std::vector<size_t> hashes;
        qsizetype indexOf(const QList<Entry>& entries, const QString& key, size_t hash) const;
        void add(qsizetype position, size_t hash);
        // Adds the entry at `position` unless an earlier one has its key.
        bool addUnique(const QList<Entry>& entries, qsizetype position, size_t hash);
    };

    qsizetype indexOf(const QString& key) const;
    // Rebuilds the index; false when two entries have the same key.
    bool rebuildIndex();
    Index& writableIndex();
    void changed() { m_encoding.clear(); }

    QList<Entry> m_entries;
    std::shared_ptr<Index> m_index;
    QByteArray m_encoding;
};

Q_DECLARE_METATYPE(PlistValue)
