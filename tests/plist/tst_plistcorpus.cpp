#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "support/testenvironment.h"

#include <QtTest>

// Replays the fuzzer's seed corpus and every input it ever found a fault
// with: each must read without a fault, and whatever reads must survive a
// write and a second read unchanged.
class PlistCorpusTest : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void PlistCorpusTest::replay_data()
{
    QTest::addColumn<QString>("path");
    for (const QString& folder : {QStringLiteral("corpus"), QStringLiteral("crashes")}) {
        QDirIterator it(QStringLiteral(FUZZ_CORPUS_DIR) + u'/' + folder, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            QTest::newRow(qPrintable(folder + u'/' + QFileInfo(path).fileName())) << path;
        }
    }
}

void PlistCorpusTest::replay()
{
    QFETCH(QString, path);
    const PlistReadResult value = PlistReader::read(test_files::readBytes(path));
    if (!value)
        return;
    const PlistReadResult again = PlistReader::read(PlistWriter::writeBinary(*value));
    QVERIFY(again);
    QVERIFY(*again == *value);
}

QTEST_GUILESS_MAIN(PlistCorpusTest)
#include "tst_plistcorpus.moc"
