#pragma once

#include "plist/plistreaderror.h"

// The older text form: { key = value; }, ( a, b ), "quoted" and unquoted
// strings, <hex data>, comments, and the strings-file form whose root
// dictionary has no braces. UTF-8, or UTF-16 with a byte-order mark.
class PlistTextReader
{
public:
    static PlistReadResult read(const QByteArray& bytes);
};
