#pragma once

#include "base/expected.h"
#include "plist/plistvalue.h"

#include <QString>

// Why a property list could not be read, in the terms a caller acts on.
enum class PlistErrorCode : quint8
{
    // The input ends before the property list does.
    truncated,
    // Not well-formed: a tag, a delimiter or a header is wrong.
    malformed,
    // Text that is not valid in its encoding.
    badEncoding,
    // A number, date, data block or UID that does not read as one.
    badValue,
    // Containers nested deeper than the reader allows.
    tooDeep,
    // More values, or a longer string, than the input can honestly describe.
    tooLarge,
    // A binary object that refers to itself, directly or not.
    referenceCycle,
    // A binary offset or reference that points outside the input.
    badReference,
    // A dictionary key that is not a string, or a key without a value.
    badDictionary,
    // An element, object type or entity this reader does not take.
    unsupported,
    // Something follows the root value.
    trailingContent,
};

// A failure to read, as data: the code and where in the input it was found.
struct PlistReadError
{
    PlistErrorCode code = PlistErrorCode::malformed;
    // Bytes from the start of the input; characters for the text form, which
    // is decoded first. -1 when the input as a whole is at fault.
    qsizetype offset = -1;

    // In English for logs and tests: "badValue at 120".
    QString diagnostic() const;

    friend bool operator==(const PlistReadError&, const PlistReadError&) = default;
};

QString toString(PlistErrorCode code);

// A property list read, or why it could not be.
using PlistReadResult = Expected<PlistValue, PlistReadError>;
