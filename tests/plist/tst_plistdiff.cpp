#include "plist/plistdiff.h"
#include "plist/plistreader.h"
#include "support/plisttesting.h"

#include <QtTest>

namespace {

// Both sides in the old text form, which writes nested values compactly.
QString summary(const QList<PlistChange>& changes)
{
    QStringList lines;
    for (const PlistChange& change : changes) {
        const char* mark = change.kind == PlistChange::Kind::added     ? "+"
                           : change.kind == PlistChange::Kind::removed ? "-"
                                                                       : "~";
        lines.append(QString::fromLatin1(mark) + change.path);
    }
    return lines.join(u' ');
}

} // namespace

class PlistDiffTest : public QObject
{
    Q_OBJECT

private slots:
    void changes_data();
    void changes();
    void valuesTravelWithTheChange();
    void topLevelCountForTheStatusLine();
};

void PlistDiffTest::changes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("expected");
    QTest::newRow("equal") << QByteArray("{a = 1; b = x;}") << QByteArray("{a = 1; b = x;}")
                           << QString();
    QTest::newRow("key order does not matter")
        << QByteArray("{a = 1; b = {c = 2; d = 3;};}")
        << QByteArray("{b = {d = 3; c = 2;}; a = 1;}") << QString();
    QTest::newRow("added, removed, changed")
        << QByteArray("{a = 1; b = 2;}") << QByteArray("{b = 3; c = 4;}")
        << QStringLiteral("-a ~b +c");
    QTest::newRow("nested dictionary") << QByteArray("{Window = {Frame = small; Open = yes;};}")
                                       << QByteArray("{Window = {Frame = large; Open = yes;};}")
                                       << QStringLiteral("~Window/Frame");
    QTest::newRow("array grows and changes")
        << QByteArray("{Recent = (a, b);}") << QByteArray("{Recent = (a, c, d);}")
        << QStringLiteral("~Recent[1] +Recent[2]");
    QTest::newRow("array shrinks")
        << QByteArray("{Recent = (a, b, c);}") << QByteArray("{Recent = (a);}")
        << QStringLiteral("-Recent[1] -Recent[2]");
    QTest::newRow("dictionary inside an array")
        << QByteArray("{Tabs = ({title = a;}, {title = b;});}")
        << QByteArray("{Tabs = ({title = a;}, {title = B;});}") << QStringLiteral("~Tabs[1]/title");
    QTest::newRow("type change is a change, not a recursion")
        << QByteArray("{a = (1);}") << QByteArray("{a = {x = 1;};}") << QStringLiteral("~a");
    QTest::newRow("data") << QByteArray("{d = <0001>;}") << QByteArray("{d = <0002>;}")
                          << QStringLiteral("~d");
}

void PlistDiffTest::changes()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, expected);
    QCOMPARE(summary(PlistDiff::compare(settingsFrom(before), settingsFrom(after))), expected);
}

void PlistDiffTest::valuesTravelWithTheChange()
{
    PlistDictionary before;
    before.insert(QStringLiteral("Zoom"), PlistValue(PlistInteger::fromSigned(1)));
    before.insert(QStringLiteral("When"), PlistValue(PlistDate{10}));
    PlistDictionary after;
    after.insert(QStringLiteral("Zoom"), PlistValue(1.0)); // a real now
    after.insert(QStringLiteral("When"), PlistValue(PlistDate{10}));
    const QList<PlistChange> changes = PlistDiff::compare(before, after);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.first().kind, PlistChange::Kind::changed);
    QCOMPARE(changes.first().before.type(), PlistValue::Type::integer);
    QCOMPARE(changes.first().after.type(), PlistValue::Type::real);
}

void PlistDiffTest::topLevelCountForTheStatusLine()
{
    const PlistDictionary before = settingsFrom("{a = 1; b = {x = 1; y = 2;}; c = 3;}");
    const PlistDictionary after = settingsFrom("{a = 1; b = {x = 2; y = 3;}; d = 4;}");
    // b changed twice inside, c went, d came: three settings.
    QCOMPARE(PlistDiff::changedSettings(before, after), 3);
    QCOMPARE(PlistDiff::compare(before, after).size(), 4);
}

QTEST_GUILESS_MAIN(PlistDiffTest)
#include "tst_plistdiff.moc"
