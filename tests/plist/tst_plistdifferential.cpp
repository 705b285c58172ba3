#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "plist/plistxmlwriter.h"
#include "support/plistlib.h"
#include "support/plisttesting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

const QString script = QStringLiteral(TESTS_SOURCE_DIR "/plist/plistdifferential.py");

PlistDictionary uidAsAppleWritesIt()
{
    PlistDictionary dictionary;
    dictionary.insert(QStringLiteral("CF$UID"), PlistValue(PlistInteger::fromSigned(7)));
    return dictionary;
}

std::optional<QByteArray> runScript(const QStringList& arguments, const QByteArray& input = {})
{
    return plistlib::runScript(script, arguments, input);
}

// The first place where two canonical values part, for the failure message.
QString differenceOf(const QJsonValue& ours, const QJsonValue& expected, const QString& path = {})
{
    if (ours.isObject() && expected.isObject()) {
        const QJsonObject a = ours.toObject();
        const QJsonObject b = expected.toObject();
        QStringList keys = a.keys() + b.keys();
        keys.removeDuplicates();
        for (const QString& key : keys) {
            if (a.value(key) != b.value(key))
                return differenceOf(a.value(key), b.value(key), path + u'/' + key);
        }
    }
    if (ours.isArray() && expected.isArray() &&
        ours.toArray().size() == expected.toArray().size()) {
        for (qsizetype i = 0; i < ours.toArray().size(); ++i) {
            if (ours.toArray().at(i) != expected.toArray().at(i))
                return differenceOf(ours.toArray().at(i), expected.toArray().at(i),
                                    path + u'[' + QString::number(i) + u']');
        }
    }
    const auto text = [](const QJsonValue& value) {
        return value.isObject() || value.isArray()
                   ? QString::fromUtf8(QJsonDocument::fromVariant(value.toVariant())
                                           .toJson(QJsonDocument::Compact))
                   : value.toVariant().toString();
    };
    return path + u": ours " + text(ours) + u", expected " + text(expected);
}

struct Sample
{
    QString name;
    QJsonValue canonical;
    QByteArray bytes;
};

QList<Sample> makeSamples(int first, int count)
{
    QList<Sample> samples;
    const std::optional<QByteArray> output =
        runScript({QStringLiteral("make"), QString::number(first), QString::number(count)});
    if (!output)
        return samples;
    for (const QByteArray& line : output->split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        samples.append({object.value(u"form").toString() + u" seed " +
                            QString::number(object.value(u"seed").toInt()),
                        object.value(u"canonical"),
                        QByteArray::fromBase64(object.value(u"bytes").toString().toLatin1())});
    }
    return samples;
}

} // namespace

class PlistDifferentialTest : public QObject
{
    Q_OBJECT

private slots:
    void randomValuesAgreeWithPlistlib();
    void ourXmlAgreesWithPlistlib();
    void xmlWriterLimits_data();
    void xmlWriterLimits();
    void byteOrderMarkInsideTextIsKept_data();
    void byteOrderMarkInsideTextIsKept();
    void sharedContainersAreWrittenOnce_data();
    void sharedContainersAreWrittenOnce();
};

// plistlib writes, we read and write, plistlib reads back: every value must
// come through unchanged, type for type and bit for bit.
void PlistDifferentialTest::randomValuesAgreeWithPlistlib()
{
    const QList<Sample> samples = makeSamples(1, 150);
    QCOMPARE(samples.size(), 300);
    QByteArray ourEncodings;
    for (const Sample& sample : samples) {
        const PlistReadResult read = PlistReader::read(sample.bytes);
        QVERIFY2(read, qPrintable(sample.name + u": " + readFailure(read)));
        const QJsonValue ours = plistlib::canonical(*read);
        QVERIFY2(ours == sample.canonical,
                 qPrintable(sample.name + u": " + differenceOf(ours, sample.canonical)));
        ourEncodings += PlistWriter::writeBinary(*read).toBase64() + '\n';
    }
    const std::optional<QByteArray> loaded = runScript({QStringLiteral("load")}, ourEncodings);
    QVERIFY(loaded);
    const QList<QByteArray> lines = loaded->trimmed().split('\n');
    QCOMPARE(lines.size(), samples.size());
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const QJsonValue back = QJsonDocument::fromJson(lines.at(i)).object();
        QVERIFY2(
            back == samples.at(i).canonical,
            qPrintable(samples.at(i).name + u": " + differenceOf(back, samples.at(i).canonical)));
    }
}

// The same for our XML writer: plistlib and our reader take back what it
// writes. The XML form has no UIDs and keeps dates to the second, so the
// values plistlib made for it are the ones used.
void PlistDifferentialTest::ourXmlAgreesWithPlistlib()
{
    const QList<Sample> samples = makeSamples(1, 150);
    QByteArray ourEncodings;
    QList<Sample> xmlSamples;
    for (const Sample& sample : samples) {
        if (!sample.name.startsWith(u"xml"))
            continue;
        const PlistReadResult read = PlistReader::read(sample.bytes);
        QVERIFY2(read, qPrintable(sample.name));
        const std::optional<QByteArray> xml = PlistXmlWriter::write(*read);
        QVERIFY2(xml, qPrintable(sample.name));
        // Deterministic, and ours to read again unchanged.
        QCOMPARE(*PlistXmlWriter::write(*read), *xml);
        const PlistReadResult again = PlistReader::read(*xml);
        QVERIFY2(again, qPrintable(sample.name));
        QVERIFY2(plistlib::canonical(*again) == sample.canonical,
                 qPrintable(sample.name + u": " +
                            differenceOf(plistlib::canonical(*again), sample.canonical)));
        ourEncodings += xml->toBase64() + '\n';
        xmlSamples.append(sample);
    }
    QVERIFY(xmlSamples.size() >= 100);
    const std::optional<QByteArray> loaded = runScript({QStringLiteral("load")}, ourEncodings);
    QVERIFY(loaded);
    const QList<QByteArray> lines = loaded->trimmed().split('\n');
    QCOMPARE(lines.size(), xmlSamples.size());
    for (qsizetype i = 0; i < xmlSamples.size(); ++i) {
        const QJsonValue back = QJsonDocument::fromJson(lines.at(i)).object();
        QVERIFY2(back == xmlSamples.at(i).canonical,
                 qPrintable(xmlSamples.at(i).name + u": " +
                            differenceOf(back, xmlSamples.at(i).canonical)));
    }
}

void PlistDifferentialTest::xmlWriterLimits_data()
{
    QTest::addColumn<PlistValue>("value");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<PlistValue>("readBack");
    const auto inDictionary = [](const PlistValue& value) {
        PlistDictionary dictionary;
        dictionary.insert(QStringLiteral("k"), value);
        return PlistValue(dictionary);
    };
    const PlistValue crlf = inDictionary(PlistValue(QStringLiteral("a\r\nb\rc")));
    QTest::newRow("carriage returns survive") << crlf << true << crlf;
    const PlistValue markup =
        inDictionary(PlistValue(QStringLiteral("<a href=\"x\">&amp;</a>]]>")));
    QTest::newRow("markup is text") << markup << true << markup;
    const PlistValue big = inDictionary(PlistValue(PlistInteger::fromUnsigned(~quint64(0))));
    QTest::newRow("largest unsigned") << big << true << big;
    const PlistValue small =
        inDictionary(PlistValue(PlistInteger::fromSigned(std::numeric_limits<qint64>::min())));
    QTest::newRow("smallest signed") << small << true << small;
    const PlistValue tiny = inDictionary(PlistValue(5e-324));
    QTest::newRow("denormal") << tiny << true << tiny;
    const PlistValue negativeZero = inDictionary(PlistValue(-0.0));
    QTest::newRow("negative zero") << negativeZero << true << negativeZero;
    QTest::newRow("fraction of a second dropped")
        << inDictionary(PlistValue(PlistDate{1.75})) << true
        << inDictionary(PlistValue(PlistDate{1.0}));
    QTest::newRow("UID as Apple writes it") << inDictionary(PlistValue(PlistUid{7})) << true
                                            << inDictionary(PlistValue(uidAsAppleWritesIt()));
    QTest::newRow("control character")
        << inDictionary(PlistValue(QStringLiteral("bell\x07"))) << false << PlistValue();
    QTest::newRow("control character in a key") << [] {
        PlistDictionary dictionary;
        dictionary.insert(QStringLiteral("k\x01"), PlistValue(true));
        return PlistValue(dictionary);
    }() << false << PlistValue();
    QTest::newRow("unpaired surrogate")
        << inDictionary(PlistValue(QString(QChar(0xD800)))) << false << PlistValue();
    QTest::newRow("year beyond 9999")
        << inDictionary(PlistValue(PlistDate{1e12})) << false << PlistValue();
}

void PlistDifferentialTest::xmlWriterLimits()
{
    QFETCH(PlistValue, value);
    QFETCH(bool, writable);
    QFETCH(PlistValue, readBack);
    const std::optional<QByteArray> xml = PlistXmlWriter::write(value);
    QCOMPARE(xml.has_value(), writable);
    if (!xml)
        return;
    const PlistReadResult ours = PlistReader::read(*xml);
    QVERIFY(ours);
    QVERIFY(*ours == readBack);
    const std::optional<QJsonValue> theirs = plistlib::load(*xml);
    QVERIFY(theirs);
    QCOMPARE(*theirs, plistlib::canonical(readBack));
}

void PlistDifferentialTest::byteOrderMarkInsideTextIsKept_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("string");
    const QString bom(QChar(0xFEFF));
    QTest::newRow("raw, leading")
        << QByteArray("<key>\xEF\xBB\xBFk</key><string>\xEF\xBB\xBFv</string><key>k</key><true/>")
        << QStringList{bom + u"k", QStringLiteral("k")} << QString(bom + u"v");
    QTest::newRow("raw, twice leading")
        << QByteArray("<key>k</key><string>\xEF\xBB\xBF\xEF\xBB\xBFv</string>")
        << QStringList{QStringLiteral("k")} << QString(bom + bom + u"v");
    QTest::newRow("raw, inside") << QByteArray(
                                        "<key>k\xEF\xBB\xBFk</key><string>v\xEF\xBB\xBF</string>")
                                 << QStringList{u"k" + bom + u"k"} << QString(u"v" + bom);
    QTest::newRow("reference, leading")
        << QByteArray("<key>&#xFEFF;k</key><string>&#65279;v</string><key>k</key><true/>")
        << QStringList{bom + u"k", QStringLiteral("k")} << QString(bom + u"v");
    QTest::newRow("reference, inside")
        << QByteArray("<key>k</key><string>a&amp;&#xFEFF;b</string>")
        << QStringList{QStringLiteral("k")} << QString(u"a&" + bom + u"b");
    QTest::newRow("document mark only is skipped")
        << QByteArray("<key>k</key><string>v</string>") << QStringList{QStringLiteral("k")}
        << QStringLiteral("v");
}

void PlistDifferentialTest::byteOrderMarkInsideTextIsKept()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, keys);
    QFETCH(QString, string);
    const QByteArray document = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<plist version=\"1.0\"><dict>" +
                                body + "</dict></plist>";
    const PlistReadResult read = PlistReader::read(document);
    QVERIFY2(read, qPrintable(readFailure(read)));
    const PlistDictionary dictionary = read->toDictionary();
    QCOMPARE(dictionary.keys(), keys);
    QCOMPARE(dictionary.value(keys.first()).toString(), string);
}

void PlistDifferentialTest::sharedContainersAreWrittenOnce_data()
{
    // plistlib writes one object for every reference to the same Python
    // object, so these small files hold containers shared many times.
    QTest::addColumn<QString>("python");
    QTest::newRow("dictionary of data") << QStringLiteral(
        "d = {'blob': bytes(range(256)) * 64}; v = {'a': [d] * 5000, 'b': [d] * 5000}");
    QTest::newRow("array of arrays")
        << QStringLiteral("a = [b'x' * 4096] * 20; b = [a] * 20; v = {'c': [b] * 20}");
    QTest::newRow("data shared directly")
        << QStringLiteral("x = b'y' * 65536; v = {'d': [x] * 20000}");
}

void PlistDifferentialTest::sharedContainersAreWrittenOnce()
{
    QFETCH(QString, python);
    QProcess process;
    process.start(QStringLiteral(PYTHON3_EXECUTABLE),
                  {QStringLiteral("-c"),
                   u"import plistlib, sys\n" + python +
                       u"\nsys.stdout.buffer.write(plistlib.dumps(v, fmt=plistlib.FMT_BINARY))"});
    QVERIFY(process.waitForFinished(60000));
    const QByteArray input = process.readAllStandardOutput();
    QVERIFY(!input.isEmpty());
    const PlistReadResult read = PlistReader::read(input);
    QVERIFY2(read, qPrintable(readFailure(read)));
    const QByteArray written = PlistWriter::writeBinary(*read);
    QVERIFY2(written.size() <= 2 * input.size() + 1024,
             qPrintable(
                 QStringLiteral("%1 bytes written from %2").arg(written.size()).arg(input.size())));
    const PlistReadResult back = PlistReader::read(written);
    QVERIFY2(back, qPrintable(readFailure(back)));
    QCOMPARE(back->toDictionary().keys(), read->toDictionary().keys());
}

QTEST_GUILESS_MAIN(PlistDifferentialTest)
#include "tst_plistdifferential.moc"
