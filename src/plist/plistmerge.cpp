#include "plist/plistmerge.h"

#include <algorithm>

namespace {

// A value, or its absence, compared as one.
bool same(const PlistValue* a, const PlistValue* b)
{
    if (!a || !b)
        return a == b;
    return *a == *b;
}

} // namespace

PlistMerge::Outcome PlistMerge::threeWay(const PlistDictionary& base, const PlistDictionary& theirs,
                                         const PlistDictionary& ours)
{
    Outcome outcome;
    QList<PlistDictionary::Entry> entries;
    entries.reserve(std::max(ours.size(), theirs.size()));
    // Decides one key that ours or theirs holds: the value it keeps, or
    // none when the merge drops it.
    const auto decide = [&](const QString& key, const PlistValue* mine, const PlistValue* other) {
        const PlistValue* original = base.find(key);
        const bool oursChanged = !same(mine, original);
        const bool theirsChanged = !same(other, original);
        if (theirsChanged && !oursChanged) {
            outcome.fromTheirs.append(key);
            return other;
        }
        if (theirsChanged && oursChanged && !same(mine, other))
            outcome.conflicts.append(key);
        return mine;
    };
    for (const PlistDictionary::Entry& entry : ours.entries()) {
        if (const PlistValue* kept = decide(entry.first, &entry.second, theirs.find(entry.first)))
            entries.emplaceBack(entry.first, *kept);
    }
    for (const PlistDictionary::Entry& entry : theirs.entries()) {
        if (ours.contains(entry.first))
            continue;
        if (const PlistValue* kept = decide(entry.first, nullptr, &entry.second))
            entries.emplaceBack(entry.first, *kept);
    }
    // A key that neither holds was deleted on both sides, or on one and
    // left alone on the other: it stays deleted.
    outcome.merged = PlistDictionary::fromEntries(std::move(entries));
    return outcome;
}
