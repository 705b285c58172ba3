#pragma once

#include "plist/plistvalue.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>

#include <utility>

// A setting's value as a person reads it in one line: text quoted, numbers
// and booleans as they are, dates in the user's locale, data by its size
// and first bytes, containers by how much they hold.
class ValueText final
{
    Q_DECLARE_TR_FUNCTIONS(ValueText)

public:
    ValueText() = delete;

    static QString describe(const PlistValue& value, const QLocale& locale = QLocale());
    // Both sides of a change, told apart wherever the values differ: where
    // their plain descriptions read the same (an integer against a real,
    // dates within one minute, 0 against -0, texts that differ in their
    // Unicode composition), the types, full precision or escapes are shown.
    static std::pair<QString, QString> describeChange(const PlistValue& before,
                                                      const PlistValue& after,
                                                      const QLocale& locale = QLocale());
    // A setting's key or path in one line: control, format and invisible
    // characters escaped, and in a key not in composed form (NFC) every
    // character beyond ASCII, so that no two keys read the same.
    static QString key(const QString& key);
};
