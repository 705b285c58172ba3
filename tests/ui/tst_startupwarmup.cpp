#include "ui/startupwarmup.h"

#include <QtTest>

#include <sched.h>

// The window waits for the start-up helper before its first text; a wait
// that is never answered would hold every start for its whole bound.
class StartupWarmUpTest : public QObject
{
    Q_OBJECT

private slots:
    void waitForFontconfigIsAnswered_data();
    void waitForFontconfigIsAnswered();
};

void StartupWarmUpTest::waitForFontconfigIsAnswered_data()
{
    QTest::addColumn<bool>("oneCore");
    QTest::addColumn<bool>("guiReady");
    QTest::newRow("helper, window follows") << false << true;
    QTest::newRow("helper, no window") << false << false;
    // Nothing to spare a core for: no helper, and nothing to wait for.
    QTest::newRow("one core") << true << true;
}

void StartupWarmUpTest::waitForFontconfigIsAnswered()
{
    QFETCH(bool, oneCore);
    QFETCH(bool, guiReady);
    cpu_set_t original;
    QCOMPARE(::sched_getaffinity(0, sizeof original, &original), 0);
    const auto restore =
        qScopeGuard([&original] { ::sched_setaffinity(0, sizeof original, &original); });
    if (oneCore) {
        cpu_set_t single;
        CPU_ZERO(&single);
        CPU_SET(::sched_getcpu(), &single);
        QCOMPARE(::sched_setaffinity(0, sizeof single, &single), 0);
    } else if (CPU_COUNT(&original) < 2) {
        QSKIP("needs two cores");
    }
    StartupWarmUp warmUp;
    if (guiReady)
        warmUp.guiApplicationReady();
    // Far longer than loading fontconfig takes, even under the sanitizers.
    QVERIFY(warmUp.waitForFontconfig(std::chrono::minutes(1)));
    // Asked again, or with no time at all, the answer stands.
    QVERIFY(warmUp.waitForFontconfig(std::chrono::milliseconds(0)));
}

QTEST_MAIN(StartupWarmUpTest)
#include "tst_startupwarmup.moc"
