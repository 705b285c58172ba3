#pragma once

#include "plist/plistvalue.h"

// A preferences domain of 20,000 keys of mixed types, about 1 MB in the
// binary form.
inline PlistValue benchmarkDomain(int keys = 20000)
{
    PlistDictionary domain;
    domain.reserve(keys);
    for (int i = 0; i < keys; ++i) {
        const QString key =
            QStringLiteral("com.corvandel.setting.%1").arg(i, 5, 10, QLatin1Char('0'));
        PlistValue value;
        switch (i % 8) {
        case 0:
            value = PlistValue(QStringLiteral("Window frame %1 %2 800 600").arg(i).arg(i * 3));
            break;
        case 1:
            value = PlistValue::integer(qint64(i) * 7919);
            break;
        case 2:
            value = PlistValue(i / 7.0);
            break;
        case 3:
            value = PlistValue(i % 3 == 0);
            break;
        case 4:
            value = PlistValue(PlistDate{700000000.0 + i});
            break;
        case 5:
            value = PlistValue(QByteArray(24, char(i & 0xFF)));
            break;
        case 6:
            value = PlistValue(PlistArray{PlistValue(QStringLiteral("recent %1").arg(i)),
                                          PlistValue::integer(i),
                                          PlistValue(QStringLiteral("Ünïcödé \U0001F600"))});
            break;
        default: {
            PlistDictionary nested;
            nested.insert(QStringLiteral("name"), PlistValue(QStringLiteral("item %1").arg(i)));
            nested.insert(QStringLiteral("enabled"), PlistValue(true));
            value = PlistValue(nested);
            break;
        }
        }
        domain.insert(key, value);
    }
    return PlistValue(domain);
}
