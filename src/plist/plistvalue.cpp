#include "plist/plistvalue.h"

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

PlistValue::PlistValue(QString value) : m_type(Type::string)
{
    new (&m.string) QString(std::move(value));
}

PlistValue::PlistValue(QByteArray value) : m_type(Type::data)
{
    new (&m.data) QByteArray(std::move(value));
}

PlistValue::PlistValue(PlistArray value) : m_type(Type::array)
{
    new (&m.array) PlistArray(std::move(value));
}

PlistValue::PlistValue(PlistDictionary value) : m_type(Type::dictionary)
{
    new (&m.dictionary) PlistDictionary(std::move(value));
}

void PlistValue::copyFrom(const PlistValue& other)
{
    switch (other.m_type) {
    case Type::string:
        new (&m.string) QString(other.m.string);
        break;
    case Type::data:
        new (&m.data) QByteArray(other.m.data);
        break;
    case Type::array:
        new (&m.array) PlistArray(other.m.array);
        break;
    case Type::dictionary:
        new (&m.dictionary) PlistDictionary(other.m.dictionary);
        break;
    default:
        std::memcpy(static_cast<void*>(&m), static_cast<const void*>(&other.m), sizeof m);
        break;
    }
    m_type = other.m_type;
}

PlistValue::PlistValue(const PlistValue& other)
{
    copyFrom(other);
}

PlistValue& PlistValue::operator=(const PlistValue& other)
{
    if (this != &other) {
        // Copied first: `other` may live inside this value.
        PlistValue copy(other);
        *this = std::move(copy);
    }
    return *this;
}

QString PlistValue::toString() const
{
    return toStringView();
}

const QString& PlistValue::toStringView() const
{
    static const QString empty;
    return m_type == Type::string ? m.string : empty;
}

QByteArray PlistValue::toData() const
{
    return m_type == Type::data ? m.data : QByteArray();
}

const PlistArray& PlistValue::toArray() const
{
    return m_type == Type::array ? m.array : emptyArray();
}

const PlistDictionary& PlistValue::toDictionary() const
{
    return m_type == Type::dictionary ? m.dictionary : emptyDictionary();
}

bool operator==(const PlistValue& a, const PlistValue& b)
{
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case PlistValue::Type::invalid:
        return true;
    case PlistValue::Type::boolean:
        return a.toBool() == b.toBool();
    case PlistValue::Type::integer:
        return a.toInteger() == b.toInteger();
    case PlistValue::Type::real:
        // Values pass through untouched, so -0.0 and 0.0 differ and a NaN
        // equals the same NaN.
        return sameBits(a.toReal(), b.toReal());
    case PlistValue::Type::date:
        return sameBits(a.toDate().secondsSinceReference, b.toDate().secondsSinceReference);
    case PlistValue::Type::string:
        return a.toString() == b.toString();
    case PlistValue::Type::data:
        return a.toData() == b.toData();
    case PlistValue::Type::array:
        return a.toArray() == b.toArray();
    case PlistValue::Type::dictionary:
        return a.toDictionary() == b.toDictionary();
    case PlistValue::Type::uid:
        return a.toUid().value == b.toUid().value;
    }
    return false;
}
