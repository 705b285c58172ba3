#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
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

// A dictionary with text keys that keeps its keys in the order they were
// first inserted. Inserting an existing key replaces its value in place.
// Copies share their data until one of them changes.
class PlistDictionary
{
public:
    using Entry = std::pair<QString, PlistValue>;

    PlistDictionary() = default;

    // Builds a dictionary from entries in file order; a key that repeats
    // keeps its first position and takes its last value, as with insert().
    static PlistDictionary fromEntries(QList<Entry> entries);

    void reserve(qsizetype size);
    void insert(const QString& key, PlistValue value);
    // Removes every listed key; the others keep their order.
    void remove(const QStringList& keys);
    bool contains(const QString& key) const;
    const PlistValue* find(const QString& key) const;
    PlistValue value(const QString& key) const;
    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    const QList<Entry>& entries() const;
    QStringList keys() const;
    // Those of `keys` that this dictionary lacks, in their order.
    QStringList missingKeys(const QStringList& keys) const;
    // The keys of `other` that this dictionary lacks, in their order.
    QStringList missingKeys(const PlistDictionary& other) const;

    // The binary file this dictionary was read from, when that file is
    // exactly what PlistWriter writes for it; empty otherwise, and emptied
    // by any change. It spares writing an unchanged domain out again.
    const QByteArray& encoding() const;
    // Records that encoding. While this dictionary or a copy is in use,
    // findByEncoding() gives it back for the same bytes.
    void setEncoding(QByteArray encoding);
    // A dictionary in use whose encoding is exactly `bytes`. The launcher
    // reads the same domain again and again (a profile saved from the
    // preferences and started again holds the very bytes they were read
    // from), and this spares parsing it each time.
    static std::optional<PlistDictionary> findByEncoding(const QByteArray& bytes);

    // Equal when both hold the same keys with equal values; order is not compared.
    friend bool operator==(const PlistDictionary& a, const PlistDictionary& b);

private:
    static constexpr qsizetype smallSize = 8;

    struct Data;

    explicit PlistDictionary(std::shared_ptr<Data> data);
    qsizetype indexOf(const QString& key) const;
    // The data, no longer shared with any copy, for a change.
    Data& detach();

    // A shared_ptr holds no pointer to itself, so a dictionary can be
    // relocated by copying its bytes.
    std::shared_ptr<Data> d;
};

// Any property-list value, held without loss. Containers are shared and
// immutable once built, so copies are cheap.
class PlistValue
{
public:
    enum class Type : quint8
    {
        invalid,
        boolean,
        integer,
        real,
        date,
        string,
        data,
        array,
        dictionary,
        uid
    };

    PlistValue() noexcept {}
    PlistValue(bool value) : m_type(Type::boolean) { m.boolean = value; }
    PlistValue(PlistInteger value) : m_type(Type::integer) { m.integer = value; }
    PlistValue(double value) : m_type(Type::real) { m.real = value; }
    PlistValue(PlistDate value) : m_type(Type::date) { m.date = value; }
    PlistValue(PlistUid value) : m_type(Type::uid) { m.uid = value; }
    PlistValue(QString value);
    PlistValue(QByteArray value);
    PlistValue(PlistArray value);
    PlistValue(PlistDictionary value);
    PlistValue(const PlistValue& other);
    PlistValue(PlistValue&& other) noexcept;
    PlistValue& operator=(const PlistValue& other);
    PlistValue& operator=(PlistValue&& other) noexcept;
    ~PlistValue() { reset(); }

    static PlistValue integer(qint64 value) { return PlistInteger::fromSigned(value); }
    static PlistValue unsignedInteger(quint64 value) { return PlistInteger::fromUnsigned(value); }

    Type type() const { return m_type; }
    bool isValid() const { return type() != Type::invalid; }
    bool isDictionary() const { return type() == Type::dictionary; }

    bool toBool() const { return m_type == Type::boolean && m.boolean; }
    PlistInteger toInteger() const { return m_type == Type::integer ? m.integer : PlistInteger{}; }
    double toReal() const { return m_type == Type::real ? m.real : 0.0; }
    PlistDate toDate() const { return m_type == Type::date ? m.date : PlistDate{}; }
    PlistUid toUid() const { return m_type == Type::uid ? m.uid : PlistUid{}; }
    QString toString() const;
    // The string held, without a copy; an empty string for other types.
    const QString& toStringView() const;
    QByteArray toData() const;
    const PlistArray& toArray() const;
    const PlistDictionary& toDictionary() const;

    friend bool operator==(const PlistValue& a, const PlistValue& b);

private:
    // Values are built, copied, moved and dropped in great numbers when a
    // domain is read; a tagged union does that with a switch the compiler
    // can inline, where std::variant goes through tables of functions.
    union Storage {
        Storage() noexcept {}
        ~Storage() {}
        bool boolean;
        PlistInteger integer;
        double real;
        PlistDate date;
        PlistUid uid;
        QString string;
        QByteArray data;
        PlistArray array;
        PlistDictionary dictionary;
    };

    static_assert(QTypeInfo<QString>::isRelocatable && QTypeInfo<QByteArray>::isRelocatable &&
                  QTypeInfo<PlistArray>::isRelocatable);

    void reset() noexcept;
    void copyFrom(const PlistValue& other);
    void moveFrom(PlistValue& other) noexcept;

    Storage m;
    Type m_type = Type::invalid;
};

inline void PlistValue::reset() noexcept
{
    switch (m_type) {
    case Type::string:
        m.string.~QString();
        break;
    case Type::data:
        m.data.~QByteArray();
        break;
    case Type::array:
        m.array.~PlistArray();
        break;
    case Type::dictionary:
        m.dictionary.~PlistDictionary();
        break;
    default:
        break;
    }
    m_type = Type::invalid;
}

// Every alternative is relocatable, as Qt's containers rely on for QString,
// QByteArray and QList themselves: a move is a copy of the bytes, and the
// source is left invalid without destroying anything.
inline void PlistValue::moveFrom(PlistValue& other) noexcept
{
    std::memcpy(static_cast<void*>(&m), static_cast<const void*>(&other.m), sizeof m);
    m_type = other.m_type;
    other.m_type = Type::invalid;
}

inline PlistValue::PlistValue(PlistValue&& other) noexcept
{
    moveFrom(other);
}

inline PlistValue& PlistValue::operator=(PlistValue&& other) noexcept
{
    if (this != &other) {
        reset();
        moveFrom(other);
    }
    return *this;
}

Q_DECLARE_TYPEINFO(PlistDictionary, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(PlistValue, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(PlistValue)
