#pragma once

#include "plist/plistvalue.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reads a property list in any of its three forms, found from the bytes:
// binary ("bplist00"), XML, or the older text form.
//
// Damaged or hostile input gives an error, never a crash or a hang; memory
// stays bounded by a small multiple of the input size.
class PlistReader
{
public:
    // Containers nested deeper than this are refused.
    static constexpr int maximumDepth = 512;

    static std::optional<PlistValue> read(const QByteArray& bytes, QString* error = nullptr);
};

namespace plist::detail {
inline bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}
} // namespace plist::detail
