#pragma once

#include <QtGlobal>

#include <limits>

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
