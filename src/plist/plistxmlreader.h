#pragma once

#include "plist/plistvalue.h"

#include <optional>

class PlistXmlReader
{
public:
    // UTF-8 documents without an internal DTD subset go through the fast
    // reader; the rest through QXmlStreamReader.
    static std::optional<PlistValue> read(const QByteArray& bytes, QString* error);
    // QXmlStreamReader alone: any encoding; entity declarations are refused.
    static std::optional<PlistValue> readWithStreamReader(const QByteArray& bytes, QString* error);
};

// Seconds since 2001-01-01 00:00:00 UTC for an ISO 8601 time in UTC
// ("2001-01-01T00:00:00Z", fractions of a second allowed).
std::optional<double> parsePlistDateText(QStringView text);
