#include "ui/startupwarmup.h"

#include <QtTest>

#include <optional>
#include <thread>

#include <sched.h>

// The window waits for the start-up helper before its first text; a wait
// that is never answered would hold every start for its whole bound.
class StartupWarmUpTest : public QObject
{
    Q_OBJECT

private slots:
    void waitForFontconfigIsAnswered_data();
    void waitForFontconfigIsAnswered();
    void handedWorkRunsBeside_data();
    void handedWorkRunsBeside();
};

namespace {

// Runs the test on one core when asked to, and restores the cores after.
class Cores
{
public:
    explicit Cores(bool oneCore)
    {
        ::sched_getaffinity(0, sizeof m_original, &m_original);
        if (oneCore) {
            cpu_set_t single;
            CPU_ZERO(&single);
            CPU_SET(::sched_getcpu(), &single);
            m_restricted = ::sched_setaffinity(0, sizeof single, &single) == 0;
        }
    }
    ~Cores() { ::sched_setaffinity(0, sizeof m_original, &m_original); }
    bool restricted() const { return m_restricted; }
    int available() const { return CPU_COUNT(&m_original); }

private:
    cpu_set_t m_original;
    bool m_restricted = false;
};

} // namespace

void StartupWarmUpTest::waitForFontconfigIsAnswered_data()
{
    // The same starts; the wait has nothing to do with the handed work.
    handedWorkRunsBeside_data();
}

void StartupWarmUpTest::waitForFontconfigIsAnswered()
{
    QFETCH(bool, oneCore);
    QFETCH(bool, guiReady);
    const Cores cores(oneCore);
    if (oneCore)
        QVERIFY(cores.restricted());
    else if (cores.available() < 2)
        QSKIP("needs two cores");
    StartupWarmUp warmUp;
    if (guiReady)
        warmUp.guiApplicationReady();
    // Far longer than loading fontconfig takes, even under the sanitizers.
    QVERIFY(warmUp.waitForFontconfig(std::chrono::minutes(1)));
    // Asked again, or with no time at all, the answer stands.
    QVERIFY(warmUp.waitForFontconfig(std::chrono::milliseconds(0)));
}

void StartupWarmUpTest::handedWorkRunsBeside_data()
{
    QTest::addColumn<bool>("oneCore");
    QTest::addColumn<bool>("guiReady");
    QTest::addColumn<bool>("runsBeside");
    QTest::newRow("helper, window follows") << false << true << true;
    // No window, no work of the window's: its owner does it.
    QTest::newRow("helper, no window") << false << false << false;
    // Nothing to spare a core for: no helper, and nothing to wait for.
    QTest::newRow("one core") << true << true << false;
}

void StartupWarmUpTest::handedWorkRunsBeside()
{
    QFETCH(bool, oneCore);
    QFETCH(bool, guiReady);
    QFETCH(bool, runsBeside);
    const Cores cores(oneCore);
    if (oneCore)
        QVERIFY(cores.restricted());
    else if (cores.available() < 2)
        QSKIP("needs two cores");
    std::optional<std::thread::id> ranOn;
    {
        StartupWarmUp warmUp;
        if (guiReady)
            warmUp.guiApplicationReady();
        warmUp.runBeside([&ranOn] { ranOn = std::this_thread::get_id(); });
        // The destructor waits for the helper, work included.
    }
    QCOMPARE(ranOn.has_value(), runsBeside);
    if (ranOn)
        QVERIFY(*ranOn != std::this_thread::get_id());
}

QTEST_MAIN(StartupWarmUpTest)
#include "tst_startupwarmup.moc"
