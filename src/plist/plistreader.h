#pragma once

#include "plist/plistreaderror.h"

#include <QByteArray>

// Reads a property list in any of its three forms, found from the bytes:
// binary ("bplist00"), XML, or the older text form.
//
// Damaged or hostile input gives an error with its code and offset, never a crash or a hang; memory
// stays bounded by a small multiple of the input size.
class PlistReader
{
public:
    // Containers nested deeper than this are refused.
    static constexpr int maximumDepth = 512;

    static PlistReadResult read(const QByteArray& bytes);
};
