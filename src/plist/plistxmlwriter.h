#pragma once

#include "plist/plistvalue.h"

#include <QByteArray>

#include <optional>

// Writes the XML property-list form, as people read and diff it.
//
// The output is deterministic: a dictionary keeps its key order, a tab
// indents each level, data is Base64 in lines of 76 characters, reals use
// the shortest text that reads back to the same number. Two things of the
// format's own limits are worth knowing: dates are kept to the second,
// and a UID is written as Apple writes it, a dictionary {CF$UID = n}.
// Text that XML 1.0 cannot carry (control characters other than tab and
// line breaks, unpaired surrogates) makes the write fail rather than lose
// it; a carriage return is kept as a character reference.
class PlistXmlWriter final
{
public:
    PlistXmlWriter() = delete;

    static std::optional<QByteArray> write(const PlistValue& root);
};
