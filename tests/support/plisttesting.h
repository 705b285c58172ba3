#pragma once

#include "plist/plistreader.h"

// What a failed read says, for a test's failure message; empty for a value.
// QVERIFY2 builds its message even when the check passes.
inline QString readFailure(const PlistReadResult& result)
{
    return result ? QString() : result.error().diagnostic();
}

// Settings written in the text form, which keeps test tables short:
// settingsFrom("{Theme=dark;Size=12;}"). Values are strings, arrays and
// dictionaries; an empty dictionary for anything else.
inline PlistDictionary settingsFrom(const char* text)
{
    return PlistReader::read(QByteArray(text)).valueOr(PlistValue()).toDictionary();
}
