#pragma once

#include "plist/plistvalue.h"

#include <QList>
#include <QString>

// One difference between two property-list dictionaries. `path` leads to
// the value from the top: dictionary keys joined by "/", array elements as
// "[index]" (Window/Frame, Recent[2]).
struct PlistChange
{
    enum class Kind
    {
        added,
        removed,
        changed,
    };

    Kind kind = Kind::changed;
    QString path;
    // The value before the change; invalid when it was added.
    PlistValue before;
    // The value after the change; invalid when it was removed.
    PlistValue after;
};

// Compares key by key: key order does not matter, a change of type is a
// change, and nested dictionaries and arrays are compared element by
// element, so that one setting changed deep inside is one change.
class PlistDiff final
{
public:
    PlistDiff() = delete;

    static QList<PlistChange> compare(const PlistDictionary& before, const PlistDictionary& after);
    // How many top-level settings differ: the count a user thinks in.
    static qsizetype changedSettings(const PlistDictionary& before, const PlistDictionary& after);
};
