// What the save-back's three-way merge costs on a large profile changed on
// both machines: 20,000 settings, 1% changed on each side, 0.1% of them on
// both, each side read apart as files are.
#include "benchmark.h"

#include "plist/plistmerge.h"

#include <QCoreApplication>

namespace {

constexpr int keys = 20000;

// The base's value of setting `i`, built afresh on every call.
PlistValue baseValue(int i)
{
    switch (i % 4) {
    case 0:
        return PlistValue(u"value " + QString::number(i));
    case 1:
        return PlistValue(PlistInteger::fromSigned(i));
    case 2:
        return PlistValue(double(i) / 3);
    default: {
        PlistDictionary nested;
        nested.insert(QStringLiteral("Frame"),
                      PlistValue(u"{{0, 0}, {" + QString::number(i) + u"}}"));
        nested.insert(QStringLiteral("Open"), PlistValue(i % 2 == 0));
        return PlistValue(nested);
    }
    }
}

// One side: every 100th setting changed, offset so that each side changes
// its own; every 1000th changed on both, to different values.
PlistDictionary side(const QString& name, int offset)
{
    PlistDictionary settings;
    settings.reserve(keys);
    for (int i = 0; i < keys; ++i) {
        const bool both = i % 1000 == 0;
        const bool own = (i + offset) % 100 == 0;
        settings.insert(u"Setting " + QString::number(i),
                        both || own ? PlistValue(name + QString::number(i)) : baseValue(i));
    }
    return settings;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PlistDictionary base;
    base.reserve(keys);
    for (int i = 0; i < keys; ++i)
        base.insert(u"Setting " + QString::number(i), baseValue(i));
    const PlistDictionary theirs = side(QStringLiteral("theirs "), 37);
    const PlistDictionary ours = side(QStringLiteral("ours "), 61);
    PlistMerge::Outcome outcome;
    const double ms =
        bench::medianMs(15, [&] { outcome = PlistMerge::threeWay(base, theirs, ours); });
    bench::line("three-way merge of 20,000-key profiles", ms, "ms");
    std::printf("kept from theirs: %lld, conflicts: %lld\n",
                static_cast<long long>(outcome.fromTheirs.size()),
                static_cast<long long>(outcome.conflicts.size()));
    std::printf("goal merge-20k: %.2f ms (target <= 30 ms)\n", ms);
    return outcome.conflicts.size() == keys / 1000 ? 0 : 1;
}
