#pragma once

#include "plist/plistdate.h"
#include "plist/plistdictionary.h"
#include "plist/plistinteger.h"
#include "plist/plistuid.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

#include <cstring>

using PlistArray = QList<PlistValue>;

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

Q_DECLARE_TYPEINFO(PlistValue, Q_RELOCATABLE_TYPE);
Q_DECLARE_METATYPE(PlistValue)
