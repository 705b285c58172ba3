#include "plist/plistslicepool.h"

#include <QtTest>

// The pool hands out slices of one buffer as ordinary strings and byte
// arrays: they must behave exactly like independently allocated ones.
class PlistSlicePoolTest : public QObject
{
    Q_OBJECT

private slots:
    void slicesShareOneBuffer();
    void slicesOutliveThePoolAndDetachOnChange();
    void aSpentPoolRefuses_data();
    void aSpentPoolRefuses();
    void unusedReferencesAreGivenBack();
};

namespace {

template <typename Container>
Container sliceOf(PlistSlicePool<Container>& pool, std::string_view text)
{
    using Unit = typename PlistSlicePool<Container>::Unit;
    Unit* room = pool.reserve(text.size());
    if (!room)
        return Container();
    for (size_t i = 0; i < text.size(); ++i)
        room[i] = Unit(text[i]);
    return pool.take(qsizetype(text.size()));
}

} // namespace

void PlistSlicePoolTest::slicesShareOneBuffer()
{
    PlistSlicePool<QString> pool(32, 3);
    const QString a = sliceOf(pool, "alpha");
    const QString b = sliceOf(pool, "beta");
    QCOMPARE(a, QStringLiteral("alpha"));
    QCOMPARE(b, QStringLiteral("beta"));
    // Each slice ends in its own terminator, as a QString's data does.
    QCOMPARE(a.constData()[a.size()], QChar(0));
    QCOMPARE(b.constData() - a.constData(), a.size() + 1);
}

void PlistSlicePoolTest::slicesOutliveThePoolAndDetachOnChange()
{
    QByteArray kept;
    QByteArray other;
    {
        PlistSlicePool<QByteArray> pool(16, 2);
        kept = sliceOf(pool, "data");
        other = sliceOf(pool, "more");
    }
    QCOMPARE(kept, QByteArray("data"));
    kept.append('!');
    QCOMPARE(kept, QByteArray("data!"));
    QCOMPARE(other, QByteArray("more"));
    other[0] = 'M';
    QCOMPARE(other, QByteArray("More"));
}

void PlistSlicePoolTest::aSpentPoolRefuses_data()
{
    QTest::addColumn<quint64>("capacity");
    QTest::addColumn<quint64>("count");
    QTest::addColumn<int>("served");
    QTest::newRow("out of slices") << quint64(64) << quint64(2) << 2;
    QTest::newRow("out of room") << quint64(9) << quint64(8) << 2;
    QTest::newRow("no room at all") << quint64(0) << quint64(8) << 0;
    QTest::newRow("no slices at all") << quint64(64) << quint64(0) << 0;
}

void PlistSlicePoolTest::aSpentPoolRefuses()
{
    QFETCH(quint64, capacity);
    QFETCH(quint64, count);
    QFETCH(int, served);
    PlistSlicePool<QString> pool(capacity, count);
    QList<QString> slices;
    while (pool.reserve(3))
        slices.append(pool.take(3));
    QCOMPARE(slices.size(), served);
}

// Under the sanitizers a reference too many leaks the buffer and one too
// few frees it while a slice still points into it.
void PlistSlicePoolTest::unusedReferencesAreGivenBack()
{
    QString slice;
    {
        PlistSlicePool<QString> pool(1024, 100);
        slice = sliceOf(pool, "only one of a hundred");
    }
    // The slice is all that holds the buffer now: exactly one reference.
    QVERIFY(slice.isDetached());
    QCOMPARE(slice, QStringLiteral("only one of a hundred"));
}

QTEST_GUILESS_MAIN(PlistSlicePoolTest)
#include "tst_plistslicepool.moc"
