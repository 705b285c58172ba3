#pragma once

#include "plist/plistvalue.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>

// A setting's value as a person reads it in one line: text quoted, numbers
// and booleans as they are, dates in the user's locale, data by its size
// and first bytes, containers by how much they hold.
class ValueText final
{
    Q_DECLARE_TR_FUNCTIONS(ValueText)

public:
    ValueText() = delete;

    static QString describe(const PlistValue& value, const QLocale& locale = QLocale());
};
