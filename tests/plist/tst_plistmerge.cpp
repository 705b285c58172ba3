#include "plist/plistmerge.h"
#include "plist/plistreader.h"
#include "support/plisttesting.h"

#include <QTest>

namespace {

// A dictionary from the text form, which keeps these tables short.
QStringList keys(const char* list)
{
    return QString::fromLatin1(list).split(u',', Qt::SkipEmptyParts);
}

} // namespace

class PlistMergeTest : public QObject
{
    Q_OBJECT

private slots:
    void mergesSettingBySetting_data();
    void mergesSettingBySetting();
    void keepsOursOrderThenTheirAdditions();
};

void PlistMergeTest::mergesSettingBySetting_data()
{
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QByteArray>("theirs");
    QTest::addColumn<QByteArray>("ours");
    QTest::addColumn<QByteArray>("merged");
    QTest::addColumn<QStringList>("fromTheirs");
    QTest::addColumn<QStringList>("conflicts");
    const QStringList none;
    QTest::newRow("nothing changed")
        << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;b=2;}")
        << QByteArray("{a=1;b=2;}") << none << none;
    QTest::newRow("only theirs") << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;b=3;}")
                                 << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;b=3;}")
                                 << keys("b") << none;
    QTest::newRow("only ours") << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;b=2;}")
                               << QByteArray("{a=5;b=2;}") << QByteArray("{a=5;b=2;}") << none
                               << none;
    QTest::newRow("both, same value")
        << QByteArray("{a=1;}") << QByteArray("{a=7;}") << QByteArray("{a=7;}")
        << QByteArray("{a=7;}") << none << none;
    QTest::newRow("both, different values")
        << QByteArray("{a=1;}") << QByteArray("{a=8;}") << QByteArray("{a=7;}")
        << QByteArray("{a=7;}") << none << keys("a");
    QTest::newRow("changes on both sides, one conflict")
        << QByteArray("{A=1;B=1;C=1;D=1;}") << QByteArray("{A=1;B=2;C=2;D=1;E=2;}")
        << QByteArray("{A=3;B=1;C=3;D=1;}") << QByteArray("{A=3;B=2;C=3;D=1;E=2;}") << keys("B,E")
        << keys("C");
    QTest::newRow("deleted there")
        << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;}") << QByteArray("{a=1;b=2;}")
        << QByteArray("{a=1;}") << keys("b") << none;
    QTest::newRow("deleted here") << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;b=2;}")
                                  << QByteArray("{a=1;}") << QByteArray("{a=1;}") << none << none;
    QTest::newRow("deleted on both")
        << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;}") << QByteArray("{a=1;}")
        << QByteArray("{a=1;}") << none << none;
    QTest::newRow("deleted there, changed here")
        << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;}") << QByteArray("{a=1;b=9;}")
        << QByteArray("{a=1;b=9;}") << none << keys("b");
    QTest::newRow("changed there, deleted here")
        << QByteArray("{a=1;b=2;}") << QByteArray("{a=1;b=9;}") << QByteArray("{a=1;}")
        << QByteArray("{a=1;}") << none << keys("b");
    QTest::newRow("added on both, differently")
        << QByteArray("{}") << QByteArray("{n=1;}") << QByteArray("{n=2;}") << QByteArray("{n=2;}")
        << none << keys("n");
    // The text form has no numbers: a string against an array is a change
    // of type.
    QTest::newRow("type changed there")
        << QByteArray("{a=1;}") << QByteArray("{a=(1);}") << QByteArray("{a=1;}")
        << QByteArray("{a=(1);}") << keys("a") << none;
    QTest::newRow("nested dictionary is one setting")
        << QByteArray("{w={x=1;y=1;};}") << QByteArray("{w={x=2;y=1;};}")
        << QByteArray("{w={x=1;y=2;};}") << QByteArray("{w={x=1;y=2;};}") << none << keys("w");
    QTest::newRow("nested change only there")
        << QByteArray("{w={x=1;};v=1;}") << QByteArray("{w={x=2;};v=1;}")
        << QByteArray("{w={x=1;};v=2;}") << QByteArray("{w={x=2;};v=2;}") << keys("w") << none;
}

void PlistMergeTest::mergesSettingBySetting()
{
    QFETCH(QByteArray, base);
    QFETCH(QByteArray, theirs);
    QFETCH(QByteArray, ours);
    QFETCH(QByteArray, merged);
    QFETCH(QStringList, fromTheirs);
    QFETCH(QStringList, conflicts);
    const PlistMerge::Outcome outcome =
        PlistMerge::threeWay(settingsFrom(base), settingsFrom(theirs), settingsFrom(ours));
    QCOMPARE(PlistValue(outcome.merged), PlistValue(settingsFrom(merged)));
    QCOMPARE(outcome.fromTheirs, fromTheirs);
    QCOMPARE(outcome.conflicts, conflicts);
}

void PlistMergeTest::keepsOursOrderThenTheirAdditions()
{
    const PlistMerge::Outcome outcome =
        PlistMerge::threeWay(settingsFrom("{a=1;b=1;}"), settingsFrom("{z=1;b=1;a=1;y=1;}"),
                             settingsFrom("{b=2;a=1;c=1;}"));
    QCOMPARE(outcome.merged.keys(), keys("b,a,c,z,y"));
}

QTEST_GUILESS_MAIN(PlistMergeTest)
#include "tst_plistmerge.moc"
