#pragma once

#include "plist/plistreaderror.h"

class PlistXmlReader
{
public:
    // UTF-8 documents without an internal DTD subset go through the fast
    // reader; the rest through QXmlStreamReader.
    static PlistReadResult read(const QByteArray& bytes);
    // QXmlStreamReader alone: any encoding; entity declarations are refused.
    static PlistReadResult readWithStreamReader(const QByteArray& bytes);
};

// Seconds since 2001-01-01 00:00:00 UTC for an ISO 8601 time in UTC
// ("2001-01-01T00:00:00Z", fractions of a second allowed).
std::optional<double> parsePlistDateText(QStringView text);
