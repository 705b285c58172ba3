#include "plist/plistxmlwriter.h"

#include <QDateTime>

#include <charconv>
#include <cmath>

namespace {

// Seconds from 1970-01-01 to the property lists' reference date, 2001-01-01.
constexpr qint64 secondsFrom1970To2001 = 978'307'200;

class XmlWriter
{
public:
    bool writeDocument(const PlistValue& root)
    {
        m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                 "<plist version=\"1.0\">\n";
        if (!writeValue(root, 0))
            return false;
        m_out += "</plist>\n";
        return true;
    }

    QByteArray take() { return std::move(m_out); }

private:
    void indent(int depth) { m_out.append(depth, '\t'); }

    // Escapes the text for an element's content; false when XML cannot
    // carry one of its characters.
    bool appendText(const QString& text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate()) {
                if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                    return false;
                m_out += QStringView(text).mid(i, 2).toUtf8();
                ++i;
                continue;
            }
            if (c.isLowSurrogate())
                return false;
            const char16_t unit = c.unicode();
            switch (unit) {
            case u'&':
                m_out += "&amp;";
                continue;
            case u'<':
                m_out += "&lt;";
                continue;
            case u'>':
                m_out += "&gt;";
                continue;
            case u'\r':
                // A raw one would come back as a line feed.
                m_out += "&#13;";
                continue;
            case u'\t':
            case u'\n':
                m_out += char(unit);
                continue;
            default:
                break;
            }
            if (unit < 0x20 || unit == 0xFFFE || unit == 0xFFFF)
                return false;
            if (unit < 0x80)
                m_out += char(unit);
            else
                m_out += QStringView(&c, 1).toUtf8();
        }
        return true;
    }

    bool writeElement(const char* name, const QString& text, int depth)
    {
        indent(depth);
        m_out += '<';
        m_out += name;
        m_out += '>';
        if (!appendText(text))
            return false;
        m_out += "</";
        m_out += name;
        m_out += ">\n";
        return true;
    }

    void writeRawElement(const char* name, const QByteArray& text, int depth)
    {
        indent(depth);
        m_out += '<';
        m_out += name;
        m_out += '>';
        m_out += text;
        m_out += "</";
        m_out += name;
        m_out += ">\n";
    }

    static QByteArray realText(double value)
    {
        if (std::isnan(value))
            return "nan";
        if (std::isinf(value))
            return value > 0 ? "inf" : "-inf";
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        QByteArray text(buffer, result.ptr - buffer);
        // "1e+20" reads as a real anywhere; "1" alone would read as a real
        // by the format's own rule (the element says so), but keep a point
        // for people reading it.
        if (!text.contains('.') && !text.contains('e') && !text.contains('n'))
            text += ".0";
        return text;
    }

    static std::optional<QByteArray> dateText(double seconds)
    {
        if (!std::isfinite(seconds))
            return std::nullopt;
        const double since1970 = std::floor(seconds) + double(secondsFrom1970To2001);
        // The format's years have four digits.
        if (since1970 < -62'135'596'800.0 || since1970 > 253'402'300'799.0)
            return std::nullopt;
        const QDateTime when = QDateTime::fromSecsSinceEpoch(qint64(since1970), Qt::UTC);
        return when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toLatin1();
    }

    bool writeValue(const PlistValue& value, int depth)
    {
        switch (value.type()) {
        case PlistValue::Type::invalid:
            return false;
        case PlistValue::Type::boolean:
            indent(depth);
            m_out += value.toBool() ? "<true/>\n" : "<false/>\n";
            return true;
        case PlistValue::Type::integer: {
            const PlistInteger integer = value.toInteger();
            writeRawElement("integer",
                            integer.isUnsignedAboveSignedRange
                                ? QByteArray::number(integer.unsignedValue())
                                : QByteArray::number(integer.bits),
                            depth);
            return true;
        }
        case PlistValue::Type::real:
            writeRawElement("real", realText(value.toReal()), depth);
            return true;
        case PlistValue::Type::date: {
            const std::optional<QByteArray> text = dateText(value.toDate().secondsSinceReference);
            if (!text)
                return false;
            writeRawElement("date", *text, depth);
            return true;
        }
        case PlistValue::Type::string:
            return writeElement("string", value.toStringView(), depth);
        case PlistValue::Type::data:
            writeData(value.toData(), depth);
            return true;
        case PlistValue::Type::array:
            return writeArray(value.toArray(), depth);
        case PlistValue::Type::dictionary:
            return writeDictionary(value.toDictionary(), depth);
        case PlistValue::Type::uid:
            indent(depth);
            m_out += "<dict>\n";
            indent(depth + 1);
            m_out += "<key>CF$UID</key>\n";
            writeRawElement("integer", QByteArray::number(value.toUid().value), depth + 1);
            indent(depth);
            m_out += "</dict>\n";
            return true;
        }
        return false;
    }

    void writeData(const QByteArray& data, int depth)
    {
        indent(depth);
        m_out += "<data>\n";
        const QByteArray encoded = data.toBase64();
        constexpr qsizetype lineLength = 76;
        for (qsizetype at = 0; at < encoded.size(); at += lineLength) {
            indent(depth);
            m_out += encoded.mid(at, lineLength);
            m_out += '\n';
        }
        indent(depth);
        m_out += "</data>\n";
    }

    bool writeArray(const PlistArray& array, int depth)
    {
        indent(depth);
        if (array.isEmpty()) {
            m_out += "<array/>\n";
            return true;
        }
        m_out += "<array>\n";
        for (const PlistValue& element : array) {
            if (!writeValue(element, depth + 1))
                return false;
        }
        indent(depth);
        m_out += "</array>\n";
        return true;
    }

    bool writeDictionary(const PlistDictionary& dictionary, int depth)
    {
        indent(depth);
        if (dictionary.isEmpty()) {
            m_out += "<dict/>\n";
            return true;
        }
        m_out += "<dict>\n";
        for (const PlistDictionary::Entry& entry : dictionary.entries()) {
            if (!writeElement("key", entry.first, depth + 1) ||
                !writeValue(entry.second, depth + 1))
                return false;
        }
        indent(depth);
        m_out += "</dict>\n";
        return true;
    }

    QByteArray m_out;
};

} // namespace

std::optional<QByteArray> PlistXmlWriter::write(const PlistValue& root)
{
    XmlWriter writer;
    if (!writer.writeDocument(root))
        return std::nullopt;
    return writer.take();
}
