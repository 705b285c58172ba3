#include "plist/plistxmlreader.h"

#include "plist/plistreader.h"
#include "plist/plistxmlfastreader.h"

#include <QXmlStreamReader>

#include <cmath>

namespace {

constexpr qint64 secondsFrom1970To2001 = 978307200;

qint64 daysFromCivil(qint64 year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = unsigned(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + qint64(dayOfEra) - 719468;
}

std::optional<PlistInteger> parseIntegerText(QStringView text)
{
    text = text.trimmed();
    bool ok = false;
    const bool negative = text.startsWith(u'-');
    QStringView digits = (negative || text.startsWith(u'+')) ? text.mid(1) : text;
    int base = 10;
    if (digits.startsWith(u"0x") || digits.startsWith(u"0X")) {
        base = 16;
        digits = digits.mid(2);
    }
    if (digits.isEmpty())
        return std::nullopt;
    const quint64 magnitude = digits.toULongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    if (!negative)
        return PlistInteger::fromUnsigned(magnitude);
    if (magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
        return std::nullopt;
    return PlistInteger::fromSigned(qint64(0 - magnitude));
}

std::optional<double> parseRealText(QStringView text)
{
    text = text.trimmed();
    const QString lower = text.toString().toLower();
    if (lower == u"nan")
        return std::nan("");
    if (lower == u"inf" || lower == u"+inf" || lower == u"infinity" || lower == u"+infinity")
        return std::numeric_limits<double>::infinity();
    if (lower == u"-inf" || lower == u"-infinity")
        return -std::numeric_limits<double>::infinity();
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

class XmlParser
{
public:
    explicit XmlParser(const QByteArray& bytes) : m_reader(bytes) {}

    PlistReadResult parse()
    {
        while (!m_reader.atEnd()) {
            const QXmlStreamReader::TokenType token = m_reader.readNext();
            if (token == QXmlStreamReader::DTD && !m_reader.entityDeclarations().isEmpty()) {
                return failure(PlistErrorCode::unsupported);
            }
            if (token == QXmlStreamReader::EntityReference) {
                return failure(PlistErrorCode::unsupported);
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            PlistValue root;
            if (m_reader.name() == u"plist") {
                if (!nextElement() || !parseValue(0, &root))
                    return failure();
                // Nothing but the end of <plist> may follow the root value.
                if (nextElement() || m_reader.hasError())
                    return failure(PlistErrorCode::trailingContent);
            } else if (!parseValue(0, &root)) {
                return failure();
            }
            while (!m_reader.atEnd()) {
                if (m_reader.readNext() == QXmlStreamReader::StartElement)
                    return failure(PlistErrorCode::trailingContent);
            }
            if (m_reader.hasError())
                return failure();
            return root;
        }
        return failure(PlistErrorCode::truncated);
    }

private:
    // The first fault found, else the stream reader's own.
    PlistReadError failure(std::optional<PlistErrorCode> code = std::nullopt)
    {
        if (code)
            error(*code);
        if (m_error)
            return *m_error;
        const PlistErrorCode readerCode =
            m_reader.error() == QXmlStreamReader::PrematureEndOfDocumentError
                ? PlistErrorCode::truncated
                : PlistErrorCode::malformed;
        return {readerCode, qsizetype(m_reader.characterOffset())};
    }

    bool error(PlistErrorCode code)
    {
        if (!m_error)
            m_error = PlistReadError{code, qsizetype(m_reader.characterOffset())};
        return false;
    }

    // Moves to the next start element of the current level; false at the
    // end of the enclosing element or on an error.
    bool nextElement()
    {
        while (!m_reader.atEnd()) {
            switch (m_reader.readNext()) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
                return false;
            case QXmlStreamReader::Characters:
                if (!m_reader.isWhitespace())
                    return error(PlistErrorCode::malformed);
                break;
            case QXmlStreamReader::EntityReference:
                return error(PlistErrorCode::unsupported);
            default:
                break;
            }
        }
        return false;
    }

    bool readText(QString* text)
    {
        *text = m_reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_reader.hasError())
            return error(PlistErrorCode::malformed);
        return true;
    }

    bool parseValue(int depth, PlistValue* out)
    {
        if (depth > PlistReader::maximumDepth)
            return error(PlistErrorCode::tooDeep);
        const QStringView name = m_reader.name();
        if (name == u"dict")
            return parseDictionary(depth, out);
        if (name == u"array")
            return parseArray(depth, out);
        QString text;
        if (name == u"true" || name == u"false") {
            const bool value = name == u"true";
            if (!readText(&text) || !text.trimmed().isEmpty())
                return error(PlistErrorCode::badValue);
            *out = PlistValue(value);
            return true;
        }
        if (name == u"string") {
            if (!readText(&text))
                return false;
            *out = PlistValue(std::move(text));
            return true;
        }
        if (name == u"integer") {
            if (!readText(&text))
                return false;
            const std::optional<PlistInteger> value = parseIntegerText(text);
            if (!value)
                return error(PlistErrorCode::badValue);
            *out = PlistValue(*value);
            return true;
        }
        if (name == u"real") {
            if (!readText(&text))
                return false;
            const std::optional<double> value = parseRealText(text);
            if (!value)
                return error(PlistErrorCode::badValue);
            *out = PlistValue(*value);
            return true;
        }
        if (name == u"date") {
            if (!readText(&text))
                return false;
            const std::optional<double> value = parsePlistDateText(QStringView(text).trimmed());
            if (!value)
                return error(PlistErrorCode::badValue);
            *out = PlistValue(PlistDate{*value});
            return true;
        }
        if (name == u"data") {
            if (!readText(&text))
                return false;
            text.remove(u' ').remove(u'\n').remove(u'\t').remove(u'\r');
            const auto decoded = QByteArray::fromBase64Encoding(
                text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                return error(PlistErrorCode::badValue);
            *out = PlistValue(decoded.decoded);
            return true;
        }
        return error(PlistErrorCode::unsupported);
    }

    bool parseArray(int depth, PlistValue* out)
    {
        PlistArray array;
        while (nextElement()) {
            PlistValue value;
            if (!parseValue(depth + 1, &value))
                return false;
            array.append(std::move(value));
        }
        if (m_reader.hasError() || m_error)
            return false;
        *out = PlistValue(std::move(array));
        return true;
    }

    bool parseDictionary(int depth, PlistValue* out)
    {
        PlistDictionary dictionary;
        while (nextElement()) {
            if (m_reader.name() != u"key")
                return error(PlistErrorCode::badDictionary);
            QString key;
            if (!readText(&key))
                return false;
            if (!nextElement())
                return error(PlistErrorCode::badDictionary);
            PlistValue value;
            if (!parseValue(depth + 1, &value))
                return false;
            dictionary.insert(key, std::move(value));
        }
        if (m_reader.hasError() || m_error)
            return false;
        *out = PlistValue(std::move(dictionary));
        return true;
    }

    QXmlStreamReader m_reader;
    std::optional<PlistReadError> m_error;
};

} // namespace

std::optional<double> parsePlistDateText(QStringView text)
{
    // YYYY-MM-DDTHH:MM:SS[.fraction]Z
    if (text.size() < 20 || !text.endsWith(u'Z') || text[4] != u'-' || text[7] != u'-' ||
        text[10] != u'T' || text[13] != u':' || text[16] != u':')
        return std::nullopt;
    bool ok = true;
    auto number = [&](qsizetype from, qsizetype length) {
        bool good = false;
        const int value = text.mid(from, length).toInt(&good);
        ok = ok && good;
        return value;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    const int hour = number(11, 2);
    const int minute = number(14, 2);
    const int second = number(17, 2);
    if (!ok || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 60)
        return std::nullopt;
    double fraction = 0;
    const QStringView rest = text.mid(19, text.size() - 20);
    if (!rest.isEmpty()) {
        if (!rest.startsWith(u'.') || rest.size() < 2)
            return std::nullopt;
        fraction = rest.mid(1).toString().prepend(u"0.").toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    const qint64 days = daysFromCivil(year, unsigned(month), unsigned(day));
    const qint64 seconds = days * 86400 + hour * 3600 + minute * 60 + second;
    return double(seconds - secondsFrom1970To2001) + fraction;
}

PlistReadResult PlistXmlReader::read(const QByteArray& bytes)
{
    if (std::optional<PlistReadResult> fast = PlistXmlFastReader::read(bytes))
        return std::move(*fast);
    return readWithStreamReader(bytes);
}

PlistReadResult PlistXmlReader::readWithStreamReader(const QByteArray& bytes)
{
    return XmlParser(bytes).parse();
}
