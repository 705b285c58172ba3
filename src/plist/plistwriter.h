#pragma once

#include "plist/plistvalue.h"

#include <QByteArray>

// Writes the binary property-list form, version 1.0 ("bplist00").
//
// The output is deterministic: objects are numbered depth-first, a
// container before its children and a dictionary's keys before its values;
// equal strings, numbers, dates and booleans are stored once; offsets and
// references use the smallest sizes that fit. The trailer carries a mark
// that lets the reader recognise such a file.
class PlistWriter
{
public:
    static QByteArray writeBinary(const PlistValue& root);
};
