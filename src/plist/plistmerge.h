#pragma once

#include "plist/plistvalue.h"

#include <QStringList>

// A three-way merge of settings dictionaries, one top-level key (setting) at
// a time: `base` is what both sides started from, `theirs` what another
// machine made of it, `ours` what this one did. Per setting:
//   changed on one side only: that side's value;
//   changed on both to the same value: that value;
//   changed on both differently: ours, counted as a conflict.
// A missing key is a value too, so a deletion is a change like any other,
// and a setting that holds a dictionary is one setting, however deep the
// change inside it.
class PlistMerge final
{
public:
    PlistMerge() = delete;

    struct Outcome
    {
        PlistDictionary merged;
        // Settings taken from theirs: changed only there.
        QStringList fromTheirs;
        // Settings changed on both sides differently; ours was taken.
        QStringList conflicts;
    };

    // The merged dictionary keeps ours' order, with settings that only
    // theirs added after it, in theirs' order.
    static Outcome threeWay(const PlistDictionary& base, const PlistDictionary& theirs,
                            const PlistDictionary& ours);
};
