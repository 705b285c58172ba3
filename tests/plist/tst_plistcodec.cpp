#include "plist/plistreader.h"
#include "plist/plistrecentreads.h"
#include "plist/plistwriter.h"
#include "support/plistlib.h"
#include "support/plisttesting.h"

#include <QtTest>

#include <bit>
#include <limits>

namespace {

// Assembles a binary property list from raw object encodings, so that tests
// can describe files no well-behaved writer would make.
QByteArray assembleBinary(const QList<QByteArray>& objects, quint64 top = 0, int referenceSize = 1)
{
    QByteArray bytes("bplist00");
    QList<quint64> offsets;
    for (const QByteArray& object : objects) {
        offsets.append(quint64(bytes.size()));
        bytes += object;
    }
    const quint64 tableOffset = quint64(bytes.size());
    for (const quint64 offset : offsets)
        bytes.append(char(offset));
    QByteArray trailer(32, '\0');
    trailer[6] = 1;
    trailer[7] = char(referenceSize);
    for (int i = 0; i < 8; ++i) {
        trailer[8 + i] = char(quint64(objects.size()) >> (56 - 8 * i));
        trailer[16 + i] = char(top >> (56 - 8 * i));
        trailer[24 + i] = char(tableOffset >> (56 - 8 * i));
    }
    return bytes + trailer;
}

PlistValue limitsDictionary()
{
    PlistDictionary d;
    d.insert(QStringLiteral("int64 min"), PlistValue::integer(std::numeric_limits<qint64>::min()));
    d.insert(QStringLiteral("int64 max"), PlistValue::integer(std::numeric_limits<qint64>::max()));
    d.insert(QStringLiteral("uint64 max"),
             PlistValue::unsignedInteger(std::numeric_limits<quint64>::max()));
    d.insert(QStringLiteral("just above int64"),
             PlistValue::unsignedInteger(quint64(std::numeric_limits<qint64>::max()) + 1));
    d.insert(QStringLiteral("minus one"), PlistValue::integer(-1));
    d.insert(QStringLiteral("byte edge"), PlistValue::integer(256));
    d.insert(QStringLiteral("word edge"), PlistValue::integer(65536));
    d.insert(QStringLiteral("dword edge"), PlistValue::integer(qint64(1) << 32));
    d.insert(QStringLiteral("negative zero"), PlistValue(-0.0));
    d.insert(QStringLiteral("infinity"), PlistValue(std::numeric_limits<double>::infinity()));
    d.insert(QStringLiteral("minus infinity"),
             PlistValue(-std::numeric_limits<double>::infinity()));
    d.insert(QStringLiteral("denormal"), PlistValue(std::numeric_limits<double>::denorm_min()));
    d.insert(QStringLiteral("pi"), PlistValue(3.141592653589793));
    d.insert(QStringLiteral("before 2001"), PlistValue(PlistDate{-1234567890.0}));
    d.insert(QStringLiteral("fraction"), PlistValue(PlistDate{789.25}));
    d.insert(QStringLiteral("true"), PlistValue(true));
    d.insert(QStringLiteral("false"), PlistValue(false));
    d.insert(QString(), PlistValue(QString()));
    d.insert(QStringLiteral("empty data"), PlistValue(QByteArray()));
    d.insert(QStringLiteral("empty array"), PlistValue(PlistArray()));
    d.insert(QStringLiteral("empty dict"), PlistValue(PlistDictionary()));
    d.insert(QStringLiteral("astral \U0001F600 key"),
             PlistValue(QStringLiteral("\U0001F3B9 Ünïcödé \U0001D11E")));
    d.insert(QStringLiteral("binary"), PlistValue(QByteArray("\x00\x01\xFF\x80", 4)));
    PlistArray nested{PlistValue(QStringLiteral("a")), PlistValue(PlistArray{PlistValue(true)})};
    d.insert(QStringLiteral("nested"), PlistValue(nested));
    return PlistValue(d);
}

// An array of `count` objects whose offsets all point at one string of
// `length` characters: a small file that would decode to count * length.
QByteArray overlappingStrings(int count, int length)
{
    QByteArray bytes("bplist00");
    bytes += char(0x5F);
    bytes += char(0x11);
    bytes += char(length >> 8);
    bytes += char(length & 0xFF);
    bytes += QByteArray(length, 'x');
    const int arrayOffset = int(bytes.size());
    bytes += char(0xAF);
    bytes += char(0x11);
    bytes += char(count >> 8);
    bytes += char(count & 0xFF);
    for (int i = 1; i <= count; ++i) {
        bytes += char(i >> 8);
        bytes += char(i & 0xFF);
    }
    const int tableOffset = int(bytes.size());
    auto appendOffset = [&](int offset) {
        bytes += char(offset >> 8);
        bytes += char(offset & 0xFF);
    };
    appendOffset(arrayOffset);
    for (int i = 0; i < count; ++i)
        appendOffset(8);
    QByteArray trailer(32, '\0');
    trailer[6] = 2;
    trailer[7] = 2;
    trailer[14] = char((count + 1) >> 8);
    trailer[15] = char((count + 1) & 0xFF);
    trailer[30] = char(tableOffset >> 8);
    trailer[31] = char(tableOffset & 0xFF);
    return bytes + trailer;
}

PlistValue manyObjects(int count)
{
    PlistArray array;
    for (int i = 0; i < count; ++i)
        array.append(PlistValue(u"item " + QString::number(i)));
    PlistDictionary d;
    d.insert(QStringLiteral("items"), PlistValue(array));
    return PlistValue(d);
}

PlistValue withUid(PlistValue value)
{
    PlistDictionary d = value.toDictionary();
    d.insert(QStringLiteral("$uid"), PlistValue(PlistUid{4242}));
    return PlistValue(d);
}

} // namespace

class PlistCodecTest : public QObject
{
    Q_OBJECT

private slots:
    void ourBinaryLoadsInPlistlib_data();
    void ourBinaryLoadsInPlistlib();
    void plistlibOutputLoadsInOurs_data();
    void plistlibOutputLoadsInOurs();
    void writerIsDeterministicAndSharesEqualValues();
    void referencesUseSmallestSize_data();
    void referencesUseSmallestSize();
    void singlePrecisionRealIsReadExactly();
    void wideIntegers_data();
    void wideIntegers();
    void textForm_data();
    void textForm();
    void xmlVariants_data();
    void xmlVariants();
    void hostileInputIsRefused_data();
    void hostileInputIsRefused();
    void sharedContainersStayBounded();
    void repeatedBinaryKeysKeepOneEntry();
    void readStringsAndDataStandAlone();
    void unchangedDictionaryIsWrittenAsRead_data();
    void unchangedDictionaryIsWrittenAsRead();
    void sameBytesReadAgain_data();
    void sameBytesReadAgain();
    void dictionaryCopiesChangeIndependently_data();
    void dictionaryCopiesChangeIndependently();
    void dictionaryKeepsOrderAndOneValuePerKey_data();
    void dictionaryKeepsOrderAndOneValuePerKey();
};

void PlistCodecTest::ourBinaryLoadsInPlistlib_data()
{
    QTest::addColumn<PlistValue>("value");
    QTest::newRow("limits") << withUid(limitsDictionary());
    QTest::newRow("more than 65536 objects") << manyObjects(70000);
    // Equal values are written once; these share their bits, not their
    // value.
    QTest::newRow("same bits, other types") << PlistValue(
        PlistArray{PlistValue::integer(std::bit_cast<qint64>(1.0)), PlistValue(1.0),
                   PlistValue(PlistDate{1.0}), PlistValue::integer(1), PlistValue(true),
                   PlistValue::integer(-1), PlistValue::unsignedInteger(~quint64(0))});
}

void PlistCodecTest::ourBinaryLoadsInPlistlib()
{
    QFETCH(PlistValue, value);
    const std::optional<QJsonValue> loaded = plistlib::load(PlistWriter::writeBinary(value));
    QVERIFY(loaded);
    QCOMPARE(*loaded, plistlib::canonical(value));
}

void PlistCodecTest::plistlibOutputLoadsInOurs_data()
{
    QTest::addColumn<PlistValue>("value");
    QTest::addColumn<QString>("format");
    QTest::newRow("binary limits") << withUid(limitsDictionary()) << QStringLiteral("binary");
    QTest::newRow("xml limits") << limitsDictionary() << QStringLiteral("xml");
    QTest::newRow("binary many objects") << manyObjects(70000) << QStringLiteral("binary");
}

void PlistCodecTest::plistlibOutputLoadsInOurs()
{
    QFETCH(PlistValue, value);
    QFETCH(QString, format);
    QJsonValue expected = plistlib::canonical(value);
    if (format == u"xml") {
        // The XML form keeps dates to the second only.
        QJsonObject dict = expected.toObject();
        QJsonObject entries = dict.value(QStringLiteral("dict")).toObject();
        entries.insert(QStringLiteral("fraction"),
                       QJsonObject{{QStringLiteral("date"), QStringLiteral("789000000")}});
        dict.insert(QStringLiteral("dict"), entries);
        expected = dict;
    }
    const std::optional<QByteArray> bytes = plistlib::dump(expected, format);
    QVERIFY(bytes);
    const PlistReadResult read = PlistReader::read(*bytes);
    QVERIFY2(read, qPrintable(readFailure(read)));
    QCOMPARE(plistlib::canonical(*read), expected);
}

void PlistCodecTest::writerIsDeterministicAndSharesEqualValues()
{
    PlistDictionary d;
    for (int i = 0; i < 100; ++i) {
        d.insert(u"key " + QString::number(i), PlistValue(QStringLiteral("shared value text")));
        d.insert(u"number " + QString::number(i), PlistValue::integer(123456789));
    }
    const QByteArray first = PlistWriter::writeBinary(PlistValue(d));
    QCOMPARE(PlistWriter::writeBinary(PlistValue(d)), first);
    QCOMPARE(first.count("shared value text"), 1);
    const QByteArray number("\x12\x07\x5B\xCD\x15", 5);
    QCOMPARE(first.count(number), 1);
    QCOMPARE(*PlistReader::read(first), PlistValue(d));
}

void PlistCodecTest::referencesUseSmallestSize_data()
{
    QTest::addColumn<int>("objects");
    QTest::addColumn<int>("referenceSize");
    QTest::newRow("under 256") << 200 << 1;
    QTest::newRow("under 65536") << 1000 << 2;
    QTest::newRow("over 65536") << 70000 << 4;
}

void PlistCodecTest::referencesUseSmallestSize()
{
    QFETCH(int, objects);
    QFETCH(int, referenceSize);
    const QByteArray bytes = PlistWriter::writeBinary(manyObjects(objects));
    QCOMPARE(int(bytes.at(bytes.size() - 32 + 7)), referenceSize);
    const int offsetSize = bytes.at(bytes.size() - 32 + 6);
    const qint64 tableOffset = bytes.size() - 32 - qint64(objects + 3) * offsetSize;
    QVERIFY(offsetSize == 1 || tableOffset > (qint64(1) << (8 * (offsetSize / 2))));
}

void PlistCodecTest::singlePrecisionRealIsReadExactly()
{
    const QByteArray bytes = assembleBinary({QByteArray("\x22\x3D\xCC\xCC\xCD", 5)});
    const PlistReadResult value = PlistReader::read(bytes);
    QVERIFY(value);
    QCOMPARE(value->toReal(), double(0.1f));
}

void PlistCodecTest::wideIntegers_data()
{
    QTest::addColumn<QByteArray>("object");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<PlistValue>("expected");
    const QByteArray zeros(8, '\0');
    const QByteArray ones(8, '\xFF');
    QTest::newRow("unsigned max") << QByteArray("\x14", 1) + zeros + ones << true
                                  << PlistValue::unsignedInteger(~quint64(0));
    QTest::newRow("negative in 128 bits")
        << QByteArray("\x14", 1) + ones + ones << true << PlistValue::integer(-1);
    QTest::newRow("beyond 64 bits")
        << QByteArray("\x14", 1) + QByteArray("\x00\x00\x00\x00\x00\x00\x00\x01", 8) + zeros
        << false << PlistValue();
    QTest::newRow("one byte is unsigned")
        << QByteArray("\x10\xFF", 2) << true << PlistValue::integer(255);
}

void PlistCodecTest::wideIntegers()
{
    QFETCH(QByteArray, object);
    QFETCH(bool, accepted);
    QFETCH(PlistValue, expected);
    const PlistReadResult value = PlistReader::read(assembleBinary({object}));
    QCOMPARE(value.hasValue(), accepted);
    if (accepted)
        QCOMPARE(*value, expected);
}

void PlistCodecTest::textForm_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<PlistValue>("expected");
    const auto str = [](const char16_t* s) { return PlistValue(QString::fromUtf16(s)); };
    PlistDictionary simple;
    simple.insert(QStringLiteral("key"), str(u"value"));
    simple.insert(QStringLiteral("other key"), str(u"two words"));
    QTest::newRow("dictionary") << QByteArray("{ key = value; \"other key\" = \"two words\"; }")
                                << PlistValue(simple);
    QTest::newRow("array") << QByteArray("( a, \"b c\", d, )")
                           << PlistValue(PlistArray{str(u"a"), str(u"b c"), str(u"d")});
    QTest::newRow("escapes") << QByteArray(R"("tab\there \"q\" \\ \101\U00e9\n")")
                             << str(u"tab\there \"q\" \\ A\u00e9\n");
    QTest::newRow("surrogate pair escape") << QByteArray(R"("\UD83D\UDE00")") << str(u"\U0001F600");
    QTest::newRow("single quotes") << QByteArray("'it works'") << str(u"it works");
    QTest::newRow("unquoted path")
        << QByteArray("/usr/local-bin:x_1.$") << str(u"/usr/local-bin:x_1.$");
    QTest::newRow("data") << QByteArray("<0fbd 77 >") << PlistValue(QByteArray("\x0f\xbd\x77", 3));
    PlistDictionary commented;
    commented.insert(QStringLiteral("a"), str(u"1"));
    QTest::newRow("comments") << QByteArray("// line\n{ /* block */ a = 1; // tail\n}")
                              << PlistValue(commented);
    PlistDictionary strings;
    strings.insert(QStringLiteral("Hello"), str(u"Bonjour"));
    strings.insert(QStringLiteral("Lone"), str(u"Lone"));
    QTest::newRow("strings file") << QByteArray("\"Hello\" = \"Bonjour\";\n\"Lone\";\n")
                                  << PlistValue(strings);
    QTest::newRow("utf-16 with bom")
        << QByteArray("\xFF\xFE(\0x\0)\0", 8) << PlistValue(PlistArray{str(u"x")});
    QTest::newRow("utf-8 text") << QByteArray("\"caf\xC3\xA9\"") << str(u"caf\u00e9");
    PlistDictionary nested;
    nested.insert(QStringLiteral("list"), PlistValue(PlistArray{PlistValue(PlistDictionary())}));
    QTest::newRow("nested") << QByteArray("{list=({});}") << PlistValue(nested);
}

void PlistCodecTest::textForm()
{
    QFETCH(QByteArray, text);
    QFETCH(PlistValue, expected);
    const PlistReadResult value = PlistReader::read(text);
    QVERIFY2(value, qPrintable(readFailure(value)));
    QCOMPARE(*value, expected);
}

void PlistCodecTest::xmlVariants_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<PlistValue>("expected");
    PlistDictionary d;
    d.insert(QStringLiteral("n"), PlistValue::integer(-5));
    QTest::newRow("with doctype")
        << QByteArray(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC "
               "\"-//Apple//DTD PLIST 1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\"><dict><key>n</key><integer>-5</integer></dict></plist>")
        << PlistValue(d);
    QTest::newRow("without doctype")
        << QByteArray("<plist><dict><key>n</key><integer>-5</integer></dict></plist>")
        << PlistValue(d);
    // Filled in by the test itself: the bytes are UTF-16 with a byte-order mark.
    QTest::newRow("utf-16 xml") << QByteArray() << PlistValue(QStringLiteral("\u00e9"));
    QTest::newRow("fractional date")
        << QByteArray("<plist><date>2001-01-01T00:00:01.5Z</date></plist>")
        << PlistValue(PlistDate{1.5});
    QTest::newRow("date before 2001")
        << QByteArray("<plist><date>2000-12-31T23:59:00Z</date></plist>")
        << PlistValue(PlistDate{-60});
}

void PlistCodecTest::xmlVariants()
{
    QFETCH(QByteArray, xml);
    QFETCH(PlistValue, expected);
    if (qstrcmp(QTest::currentDataTag(), "utf-16 xml") == 0) {
        const QString text = QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-16\"?><plist><string>\u00e9</string></plist>");
        xml = QByteArray("\xFF\xFE", 2) +
              QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    }
    const PlistReadResult value = PlistReader::read(xml);
    QVERIFY2(value, qPrintable(readFailure(value)));
    QCOMPARE(*value, expected);
}

void PlistCodecTest::hostileInputIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<PlistErrorCode>("code");
    const QByteArray valid = PlistWriter::writeBinary(limitsDictionary());
    QTest::newRow("empty") << QByteArray() << PlistErrorCode::truncated;
    QTest::newRow("header only") << QByteArray("bplist00") << PlistErrorCode::truncated;
    QTest::newRow("truncated") << valid.left(valid.size() / 2) << PlistErrorCode::malformed;
    QTest::newRow("trailer only") << QByteArray("bplist00") + valid.right(32)
                                  << PlistErrorCode::truncated;
    QByteArray badTable = valid;
    badTable[badTable.size() - 1] = char(0xFF);
    QTest::newRow("offset table outside") << badTable << PlistErrorCode::badReference;
    QByteArray hugeCount = valid;
    for (int i = 8; i < 16; ++i)
        hugeCount[hugeCount.size() - 32 + i] = char(0xFF);
    QTest::newRow("object count overflows") << hugeCount << PlistErrorCode::badReference;
    QTest::newRow("string length past end")
        << assembleBinary({QByteArray("\x5F\x13\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 10)})
        << PlistErrorCode::truncated;
    QTest::newRow("data length overflows")
        << assembleBinary({QByteArray("\x4F\x13\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 10)})
        << PlistErrorCode::truncated;
    QTest::newRow("array count overflows")
        << assembleBinary({QByteArray("\xAF\x13\x40\x00\x00\x00\x00\x00\x00\x00", 10)})
        << PlistErrorCode::truncated;
    QTest::newRow("reference out of range")
        << assembleBinary({QByteArray("\xA1\x05", 2)}) << PlistErrorCode::badReference;
    QTest::newRow("self reference")
        << assembleBinary({QByteArray("\xA1\x00", 2)}) << PlistErrorCode::referenceCycle;
    QTest::newRow("cycle of two") << assembleBinary(
                                         {QByteArray("\xA1\x01", 2), QByteArray("\xA1\x00", 2)})
                                  << PlistErrorCode::referenceCycle;
    QTest::newRow("dictionary key not a string")
        << assembleBinary(
               {QByteArray("\xD1\x01\x02", 3), QByteArray("\x10\x01", 2), QByteArray("\x09", 1)})
        << PlistErrorCode::badDictionary;
    QTest::newRow("lone surrogate in binary string")
        << assembleBinary({QByteArray("\x61\xD8\x00", 3)}) << PlistErrorCode::badEncoding;
    QTest::newRow("unknown marker")
        << assembleBinary({QByteArray("\x70", 1)}) << PlistErrorCode::unsupported;
    QTest::newRow("objects overlapping one string")
        << overlappingStrings(2000, 2000) << PlistErrorCode::tooLarge;
    QList<QByteArray> chain;
    for (int i = 0; i < 600; ++i)
        chain.append(i == 599 ? QByteArray("\x09", 1) : QByteArray("\xA1", 1) + char(0));
    QByteArray deepBinary("bplist00");
    {
        // A chain of 600 one-element arrays needs two-byte references.
        QList<quint64> offsets;
        for (int i = 0; i < 600; ++i) {
            offsets.append(quint64(deepBinary.size()));
            if (i == 599) {
                deepBinary.append('\x09');
            } else {
                deepBinary.append('\xA1');
                deepBinary.append(char((i + 1) >> 8));
                deepBinary.append(char((i + 1) & 0xFF));
            }
        }
        const quint64 table = quint64(deepBinary.size());
        for (const quint64 offset : offsets) {
            deepBinary.append(char(offset >> 8));
            deepBinary.append(char(offset & 0xFF));
        }
        QByteArray trailer(32, '\0');
        trailer[6] = 2;
        trailer[7] = 2;
        trailer[14] = char(600 >> 8);
        trailer[15] = char(600 & 0xFF);
        trailer[30] = char(table >> 8);
        trailer[31] = char(table & 0xFF);
        deepBinary += trailer;
    }
    QTest::newRow("binary nested too deeply") << deepBinary << PlistErrorCode::tooDeep;
    QTest::newRow("xml nested too deeply")
        << QByteArray("<plist>") + QByteArray("<array>").repeated(600) +
               QByteArray("</array>").repeated(600) + "</plist>"
        << PlistErrorCode::tooDeep;
    QTest::newRow("text nested too deeply")
        << QByteArray("(").repeated(600) + QByteArray(")").repeated(600) << PlistErrorCode::tooDeep;
    QTest::newRow("invalid utf-8 text")
        << QByteArray("\"caf\xC3\x28\"") << PlistErrorCode::badEncoding;
    QTest::newRow("odd utf-16 text")
        << QByteArray("\xFF\xFE(\0x", 5) << PlistErrorCode::badEncoding;
    QTest::newRow("lone surrogate utf-16 text")
        << QByteArray("\xFF\xFE\"\0\x00\xD8\"\0", 8) << PlistErrorCode::badEncoding;
    QTest::newRow("xml entity declaration")
        << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY "
                      "b \"&a;&a;&a;&a;\">]>"
                      "<plist><string>&b;</string></plist>")
        << PlistErrorCode::unsupported;
    QTest::newRow("xml external entity")
        << QByteArray(
               "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
               "<plist><string>&x;</string></plist>")
        << PlistErrorCode::unsupported;
    QTest::newRow("xml key without value")
        << QByteArray("<plist><dict><key>a</key></dict></plist>") << PlistErrorCode::badDictionary;
    QTest::newRow("xml value without key")
        << QByteArray("<plist><dict><string>a</string></dict></plist>")
        << PlistErrorCode::badDictionary;
    QTest::newRow("xml bad integer")
        << QByteArray("<plist><integer>12x</integer></plist>") << PlistErrorCode::badValue;
    QTest::newRow("xml integer too large")
        << QByteArray("<plist><integer>18446744073709551616</integer></plist>")
        << PlistErrorCode::badValue;
    QTest::newRow("xml bad base64")
        << QByteArray("<plist><data>!!!!</data></plist>") << PlistErrorCode::badValue;
    QTest::newRow("xml unclosed") << QByteArray("<plist><dict><key>a</key><string>b</string>")
                                  << PlistErrorCode::truncated;
    QTest::newRow("text unclosed string")
        << QByteArray("{ a = \"b; }") << PlistErrorCode::truncated;
    QTest::newRow("text unclosed dictionary")
        << QByteArray("{ a = b;") << PlistErrorCode::truncated;
    QTest::newRow("text odd hex") << QByteArray("<abc>") << PlistErrorCode::badValue;
    QTest::newRow("text garbage") << QByteArray("\x01\x02\x03 garbage")
                                  << PlistErrorCode::malformed;
    QTest::newRow("text trailing content")
        << QByteArray("(a) (b)") << PlistErrorCode::trailingContent;
}

void PlistCodecTest::hostileInputIsRefused()
{
    QFETCH(QByteArray, bytes);
    const PlistReadResult value = PlistReader::read(bytes);
    QFETCH(PlistErrorCode, code);
    QVERIFY2(!value, "hostile input was accepted");
    QCOMPARE(toString(value.error().code), toString(code));
    // Where the fault was found: inside the input, or at its end.
    QVERIFY(value.error().offset <= bytes.size());
}

void PlistCodecTest::sharedContainersStayBounded()
{
    // Each array holds its predecessor twice: 2^40 values if expanded.
    QList<QByteArray> objects{QByteArray("\x09", 1)};
    for (int i = 1; i < 40; ++i)
        objects.append(QByteArray("\xA2", 1) + char(i - 1) + char(i - 1));
    const PlistReadResult value = PlistReader::read(assembleBinary(objects, 39));
    QVERIFY(!value);
}

void PlistCodecTest::repeatedBinaryKeysKeepOneEntry()
{
    // Two distinct key objects with the same text, as no deduplicating
    // writer would store them.
    const PlistReadResult value = PlistReader::read(assembleBinary(
        {QByteArray("\xD3\x01\x02\x03\x04\x05\x06", 7), QByteArray("\x51\x61", 2),
         QByteArray("\x51\x62", 2), QByteArray("\x51\x61", 2), QByteArray("\x10\x01", 2),
         QByteArray("\x10\x02", 2), QByteArray("\x10\x03", 2)}));
    QVERIFY(value);
    const PlistDictionary& dictionary = value->toDictionary();
    QCOMPARE(dictionary.keys(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    QCOMPARE(dictionary.value(QStringLiteral("a")), PlistValue::integer(3));
}

void PlistCodecTest::readStringsAndDataStandAlone()
{
    PlistDictionary written;
    written.insert(QStringLiteral("first"), PlistValue(QByteArray("abc")));
    written.insert(QStringLiteral("second \u00E9\U0001F600"), PlistValue(QByteArray("defg")));
    QString firstKey;
    QString secondKey;
    QByteArray firstData;
    {
        const PlistReadResult read =
            PlistReader::read(PlistWriter::writeBinary(PlistValue(written)));
        QVERIFY(read);
        const QList<PlistDictionary::Entry>& entries = read->toDictionary().entries();
        firstKey = entries.at(0).first;
        secondKey = entries.at(1).first;
        firstData = entries.at(0).second.toData();
    }
    // What was read outlives the value it came from, is terminated like any
    // string, and changes without touching its neighbours.
    QCOMPARE(firstKey.utf16()[firstKey.size()], u'\0');
    QCOMPARE(firstData.constData()[firstData.size()], '\0');
    firstKey.append(QString(500, u'x'));
    firstData.append(QByteArray(500, 'y'));
    QCOMPARE(secondKey, QStringLiteral("second \u00E9\U0001F600"));
    QCOMPARE(firstKey, QStringLiteral("first") + QString(500, u'x'));
    QCOMPARE(firstData, QByteArray("abc") + QByteArray(500, 'y'));
    secondKey.chop(2);
    secondKey += u'!';
    QCOMPARE(secondKey, QStringLiteral("second \u00E9!"));
}

void PlistCodecTest::unchangedDictionaryIsWrittenAsRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("change");
    QTest::addColumn<bool>("keepsBytes");
    const PlistValue value = withUid(limitsDictionary());
    const QByteArray ours = PlistWriter::writeBinary(value);
    const std::optional<QByteArray> foreign =
        plistlib::dump(plistlib::canonical(value), QStringLiteral("binary"));
    QVERIFY(foreign);
    QTest::newRow("written here") << ours << false << true;
    QTest::newRow("written here, then changed") << ours << true << false;
    QTest::newRow("written by plistlib") << *foreign << false << false;
}

void PlistCodecTest::unchangedDictionaryIsWrittenAsRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, change);
    QFETCH(bool, keepsBytes);
    const PlistReadResult read = PlistReader::read(bytes);
    QVERIFY(read);
    PlistDictionary dictionary = read->toDictionary();
    if (change)
        dictionary.insert(QStringLiteral("pi"), PlistValue(3.0));
    QCOMPARE(!dictionary.encoding().isEmpty(), keepsBytes);
    const QByteArray written = PlistWriter::writeBinary(PlistValue(dictionary));
    QCOMPARE(written == bytes, keepsBytes);
    QCOMPARE(*PlistReader::read(written), PlistValue(dictionary));
    // Whatever the source, the output is the one this writer makes for
    // the value.
    PlistDictionary rebuilt;
    for (const PlistDictionary::Entry& entry : dictionary.entries())
        rebuilt.insert(entry.first, entry.second);
    QCOMPARE(written, PlistWriter::writeBinary(PlistValue(rebuilt)));
}

void PlistCodecTest::sameBytesReadAgain_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("first still in use") << QString();
    QTest::newRow("first changed") << QStringLiteral("change");
    QTest::newRow("first dropped") << QStringLiteral("drop");
}

void PlistCodecTest::sameBytesReadAgain()
{
    QFETCH(QString, meanwhile);
    const PlistValue original = withUid(limitsDictionary());
    const QByteArray bytes = PlistWriter::writeBinary(original);
    std::optional<PlistReadResult> first = PlistReader::read(bytes);
    QVERIFY(*first);
    PlistDictionary kept = (*first)->toDictionary();
    first.reset();
    if (meanwhile == u"change")
        kept.insert(QStringLiteral("pi"), PlistValue(3.0));
    else if (meanwhile == u"drop")
        kept = {};
    // Whatever happened to the first value, the bytes read as what they hold.
    const PlistReadResult second = PlistReader::read(bytes);
    QVERIFY(second);
    QCOMPARE(*second, original);
    QCOMPARE(second->toDictionary().encoding(), bytes);
    QCOMPARE(PlistWriter::writeBinary(*second), bytes);
    if (meanwhile == u"change")
        QCOMPARE(kept.value(QStringLiteral("pi")), PlistValue(3.0));
}

void PlistCodecTest::dictionaryCopiesChangeIndependently_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("readFromFile");
    for (const int size : {3, 40}) {
        QTest::addRow("%d keys built", size) << size << false;
        QTest::addRow("%d keys read", size) << size << true;
    }
}

void PlistCodecTest::dictionaryCopiesChangeIndependently()
{
    QFETCH(int, size);
    QFETCH(bool, readFromFile);
    PlistDictionary built;
    for (int i = 0; i < size; ++i)
        built.insert(u"key " + QString::number(i), PlistValue::integer(i));
    const PlistDictionary original =
        readFromFile
            ? PlistReader::read(PlistWriter::writeBinary(PlistValue(built)))->toDictionary()
            : built;
    const QByteArray encoding = original.encoding();
    PlistDictionary changed = original;
    changed.insert(QStringLiteral("key 1"), PlistValue(true));
    changed.insert(QStringLiteral("added"), PlistValue(false));
    changed.remove({QStringLiteral("key 0")});
    PlistDictionary other = original;
    other.remove({QStringLiteral("key 2")});

    QCOMPARE(original, built);
    QCOMPARE(original.encoding(), encoding);
    QCOMPARE(original.value(QStringLiteral("key 1")), PlistValue::integer(1));
    QVERIFY(!original.contains(QStringLiteral("added")));
    QCOMPARE(changed.size(), size);
    QCOMPARE(changed.value(QStringLiteral("key 1")), PlistValue(true));
    QVERIFY(!changed.contains(QStringLiteral("key 0")));
    QVERIFY(changed.encoding().isEmpty());
    QCOMPARE(other.size(), size - 1);
    QVERIFY(other.contains(QStringLiteral("key 0")));
    // What was read from the file still answers for those bytes.
    if (readFromFile)
        QCOMPARE(PlistRecentReads::instance().find(encoding), std::optional(original));
}

void PlistCodecTest::dictionaryKeepsOrderAndOneValuePerKey_data()
{
    QTest::addColumn<int>("size");
    // Around the size where lookups switch from a scan to the index.
    for (const int size : {3, 8, 9, 40, 5000})
        QTest::addRow("%d keys", size) << size;
}

void PlistCodecTest::dictionaryKeepsOrderAndOneValuePerKey()
{
    QFETCH(int, size);
    PlistDictionary dictionary;
    for (int i = 0; i < size; ++i)
        dictionary.insert(u"key " + QString::number(i), PlistValue::integer(i));
    // Replacing keeps the first position; every key is there once.
    for (int i = 0; i < size; i += 2)
        dictionary.insert(u"key " + QString::number(i), PlistValue::integer(-i));
    QCOMPARE(dictionary.size(), size);
    QStringList removed;
    for (int i = 0; i < size; i += 3)
        removed.append(u"key " + QString::number(i));
    dictionary.remove(removed);
    dictionary.insert(QStringLiteral("added"), PlistValue(true));
    int expectedPosition = 0;
    for (int i = 0; i < size; ++i) {
        const QString key = u"key " + QString::number(i);
        if (i % 3 == 0) {
            QVERIFY(!dictionary.contains(key));
            continue;
        }
        QCOMPARE(dictionary.value(key), PlistValue::integer(i % 2 ? i : -i));
        QCOMPARE(dictionary.entries().at(expectedPosition++).first, key);
    }
    QCOMPARE(dictionary.entries().last().first, QStringLiteral("added"));
    QCOMPARE(dictionary.size(), expectedPosition + 1);
    QVERIFY(!dictionary.find(QStringLiteral("missing")));
}

QTEST_GUILESS_MAIN(PlistCodecTest)
#include "tst_plistcodec.moc"
