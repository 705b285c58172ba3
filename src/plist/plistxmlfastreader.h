#pragma once

#include "plist/plistreaderror.h"

#include <QByteArray>

#include <optional>

// A reader for XML property lists in UTF-8 that knows only the plist
// vocabulary. It expands nothing but the five predefined entities and
// character references, and reads no document type at all: a document with
// an internal DTD subset, or in another encoding, is left to the general
// XML reader (no result). QXmlStreamReader reads such documents about
// four times slower, which is why this one exists.
class PlistXmlFastReader
{
public:
    static std::optional<PlistReadResult> read(const QByteArray& bytes);
};

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(const char* data, qsizetype size);
