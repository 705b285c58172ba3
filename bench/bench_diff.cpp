// What comparing two large profiles costs: the history and compare views
// and --diff run it on every selection.
#include "benchmark.h"

#include "plist/plistdiff.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int keys = 20000;
    constexpr int differing = 100;
    PlistDictionary before;
    PlistDictionary after;
    before.reserve(keys);
    after.reserve(keys);
    for (int i = 0; i < keys; ++i) {
        const QString key = u"Setting " + QString::number(i);
        // A mix of the types profiles hold, some nested.
        PlistValue value;
        switch (i % 4) {
        case 0:
            value = PlistValue(u"value " + QString::number(i));
            break;
        case 1:
            value = PlistValue(PlistInteger::fromSigned(i));
            break;
        case 2:
            value = PlistValue(double(i) / 3);
            break;
        default: {
            PlistDictionary nested;
            nested.insert(QStringLiteral("Frame"),
                          PlistValue(u"{{0, 0}, {" + QString::number(i) + u"}}"));
            nested.insert(QStringLiteral("Open"), PlistValue(i % 2 == 0));
            value = PlistValue(nested);
        }
        }
        before.insert(key, value);
        // Separate copies, as two files read apart are.
        after.insert(key, i % (keys / differing) == 0
                              ? PlistValue(u"changed " + QString::number(i))
                              : PlistValue(value.type() == PlistValue::Type::string
                                               ? PlistValue(value.toString() + QString())
                                               : value));
    }
    qsizetype found = 0;
    const double ms =
        bench::medianMs(15, [&] { found = PlistDiff::compare(before, after).size(); });
    bench::line("diff of two 20,000-key profiles", ms, "ms");
    std::printf("changes found: %lld\n", static_cast<long long>(found));
    std::printf("goal diff-20k: %.2f ms (target <= 20 ms)\n", ms);
    return found == differing ? 0 : 1;
}
