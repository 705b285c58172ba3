#include "state/valuetext.h"

#include <QtTest>

namespace {

PlistValue date(double secondsSinceReference)
{
    return PlistValue(PlistDate{secondsSinceReference});
}

} // namespace

class ValueTextTest : public QObject
{
    Q_OBJECT

private slots:
    void aChangeIsVisible_data();
    void aChangeIsVisible();
    void keysNeverReadTheSame_data();
    void keysNeverReadTheSame();
    void textsReachATerminalAsOneQuietLine_data();
    void textsReachATerminalAsOneQuietLine();
};

// Two values that differ never print the same, whatever their plain
// descriptions have in common.
void ValueTextTest::aChangeIsVisible_data()
{
    QTest::addColumn<PlistValue>("before");
    QTest::addColumn<PlistValue>("after");
    QTest::addColumn<QString>("beforeText");
    QTest::addColumn<QString>("afterText");
    QTest::newRow("integer against real")
        << PlistValue(PlistInteger::fromSigned(1)) << PlistValue(1.0)
        << QStringLiteral("1 (integer)") << QStringLiteral("1 (real)");
    QTest::newRow("zero against negative zero")
        << PlistValue(0.0) << PlistValue(-0.0) << QStringLiteral("0") << QStringLiteral("-0");
    QTest::newRow("dates within one second")
        << date(1.25) << date(1.5) << QStringLiteral("2001-01-01 00:00:01.250000 UTC")
        << QStringLiteral("2001-01-01 00:00:01.500000 UTC");
    QTest::newRow("composed against decomposed text")
        << PlistValue(QStringLiteral("Caf\u00e9")) << PlistValue(QStringLiteral("Cafe\u0301"))
        << QStringLiteral("\"Caf\\u00e9\"") << QStringLiteral("\"Cafe\\u0301\"");
    QTest::newRow("data differing after the preview")
        << PlistValue(QByteArray(10, 'a')) << PlistValue(QByteArray(9, 'a') + 'b')
        << QStringLiteral("61 61 61 61 61 61 61 61 61 61")
        << QStringLiteral("61 61 61 61 61 61 61 61 61 62");
    QTest::newRow("plainly different stays plain")
        << PlistValue(PlistInteger::fromSigned(1)) << PlistValue(PlistInteger::fromSigned(2))
        << QStringLiteral("1") << QStringLiteral("2");
}

void ValueTextTest::aChangeIsVisible()
{
    QFETCH(PlistValue, before);
    QFETCH(PlistValue, after);
    QFETCH(QString, beforeText);
    QFETCH(QString, afterText);
    const auto [first, second] = ValueText::describeChange(before, after, QLocale::c());
    QCOMPARE(first, beforeText);
    QCOMPARE(second, afterText);
}

void ValueTextTest::keysNeverReadTheSame_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("shown");
    QTest::newRow("composed") << QStringLiteral("Caf\u00e9") << QStringLiteral("Caf\u00e9");
    QTest::newRow("decomposed") << QStringLiteral("Cafe\u0301") << QStringLiteral("Cafe\\u0301");
    QTest::newRow("zero-width joiner") << QStringLiteral("a\u200db") << QStringLiteral("a\\u200db");
    QTest::newRow("escape and bell")
        << QStringLiteral("a\x1b[2Jb\a") << QStringLiteral("a\\u001b[2Jb\\u0007");
    QTest::newRow("backslash") << QStringLiteral("a\\u0041") << QStringLiteral("a\\\\u0041");
    QTest::newRow("other scripts stay") << QStringLiteral("\u05e2\u05d1\u05e8\u05d9\u05ea")
                                        << QStringLiteral("\u05e2\u05d1\u05e8\u05d9\u05ea");
}

void ValueTextTest::keysNeverReadTheSame()
{
    QFETCH(QString, key);
    QFETCH(QString, shown);
    QCOMPARE(ValueText::key(key), shown);
}

void ValueTextTest::textsReachATerminalAsOneQuietLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line break") << QStringLiteral("a\nb") << QStringLiteral("\"a\\nb\"");
    QTest::newRow("DEL") << QStringLiteral("a\x7f") << QStringLiteral("\"a\\u007f\"");
    QTest::newRow("C1 control") << QStringLiteral("a\u009b2J") << QStringLiteral("\"a\\u009b2J\"");
    QTest::newRow("line separator")
        << QStringLiteral("a\u2028b") << QStringLiteral("\"a\\u2028b\"");
}

void ValueTextTest::textsReachATerminalAsOneQuietLine()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ValueText::describe(PlistValue(text)), shown);
}

QTEST_GUILESS_MAIN(ValueTextTest)
#include "tst_valuetext.moc"
