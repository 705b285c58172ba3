#include "plist/plisttextreader.h"

#include "plist/plistreader.h"

#include <QStringDecoder>

namespace {

bool isUnquotedCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u'_' || u == u'$' || u == u'/' || u == u':' || u == u'.' || u == u'-';
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool hasUnpairedSurrogate(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

Expected<QString, PlistReadError> decodeText(const QByteArray& bytes)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    QByteArrayView body(bytes);
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        body = body.sliced(2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        body = body.sliced(2);
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        body = body.sliced(3);
    }
    if (encoding != QStringConverter::Utf8 && body.size() % 2 != 0)
        return PlistReadError{PlistErrorCode::badEncoding, -1};
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(body);
    if (decoder.hasError() || hasUnpairedSurrogate(text))
        return PlistReadError{PlistErrorCode::badEncoding, -1};
    return text;
}

class TextParser
{
public:
    explicit TextParser(const QString& text) : m_text(text) {}

    PlistReadResult parse()
    {
        skipSpace();
        if (atEnd())
            return failed(PlistErrorCode::malformed);
        // A leading string followed by '=' or ';' is the strings-file form.
        if (peek() != u'{' && peek() != u'(' && peek() != u'<') {
            const qsizetype start = m_position;
            QString first;
            if (!parseString(&first))
                return m_error;
            skipSpace();
            if (!atEnd() && (peek() == u'=' || peek() == u';')) {
                m_position = start;
                PlistDictionary dictionary;
                if (!parseEntries(0, &dictionary, /*braced=*/false))
                    return m_error;
                return PlistValue(std::move(dictionary));
            }
            m_position = start;
        }
        PlistValue root;
        if (!parseValue(0, &root))
            return m_error;
        skipSpace();
        if (!atEnd())
            return failed(PlistErrorCode::trailingContent);
        return root;
    }

private:
    bool atEnd() const { return m_position >= m_text.size(); }
    QChar peek() const { return m_text.at(m_position); }

    // Malformed at the very end means the text stopped short.
    bool error(PlistErrorCode code)
    {
        if (code == PlistErrorCode::malformed && atEnd())
            code = PlistErrorCode::truncated;
        m_error = {code, m_position};
        return false;
    }

    PlistReadError failed(PlistErrorCode code)
    {
        error(code);
        return m_error;
    }

    void skipSpace()
    {
        while (!atEnd()) {
            const QChar c = peek();
            if (c.isSpace()) {
                ++m_position;
            } else if (c == u'/' && m_position + 1 < m_text.size() &&
                       m_text.at(m_position + 1) == u'/') {
                while (!atEnd() && peek() != u'\n' && peek() != u'\r')
                    ++m_position;
            } else if (c == u'/' && m_position + 1 < m_text.size() &&
                       m_text.at(m_position + 1) == u'*') {
                const qsizetype end = m_text.indexOf(u"*/", m_position + 2);
                m_position = end < 0 ? m_text.size() : end + 2;
            } else {
                return;
            }
        }
    }

    bool parseValue(int depth, PlistValue* out)
    {
        if (depth > PlistReader::maximumDepth)
            return error(PlistErrorCode::tooDeep);
        skipSpace();
        if (atEnd())
            return error(PlistErrorCode::truncated);
        const QChar c = peek();
        if (c == u'{') {
            ++m_position;
            PlistDictionary dictionary;
            if (!parseEntries(depth, &dictionary, /*braced=*/true))
                return false;
            *out = PlistValue(std::move(dictionary));
            return true;
        }
        if (c == u'(')
            return parseArray(depth, out);
        if (c == u'<')
            return parseData(out);
        QString text;
        if (!parseString(&text))
            return false;
        *out = PlistValue(std::move(text));
        return true;
    }

    bool parseEntries(int depth, PlistDictionary* dictionary, bool braced)
    {
        for (;;) {
            skipSpace();
            if (atEnd()) {
                if (braced)
                    return error(PlistErrorCode::truncated);
                return true;
            }
            if (braced && peek() == u'}') {
                ++m_position;
                return true;
            }
            QString key;
            if (!parseString(&key))
                return false;
            skipSpace();
            if (!atEnd() && peek() == u';' && !braced) {
                // Strings files allow a lone key that stands for itself.
                ++m_position;
                dictionary->insert(key, PlistValue(key));
                continue;
            }
            if (atEnd() || peek() != u'=')
                return error(PlistErrorCode::badDictionary);
            ++m_position;
            PlistValue value;
            if (!parseValue(depth + 1, &value))
                return false;
            dictionary->insert(key, std::move(value));
            skipSpace();
            if (!atEnd() && peek() == u';') {
                ++m_position;
            } else if (!(braced && !atEnd() && peek() == u'}')) {
                return error(PlistErrorCode::malformed);
            }
        }
    }

    bool parseArray(int depth, PlistValue* out)
    {
        ++m_position;
        PlistArray array;
        for (;;) {
            skipSpace();
            if (atEnd())
                return error(PlistErrorCode::truncated);
            if (peek() == u')') {
                ++m_position;
                break;
            }
            PlistValue value;
            if (!parseValue(depth + 1, &value))
                return false;
            array.append(std::move(value));
            skipSpace();
            if (!atEnd() && peek() == u',') {
                ++m_position;
            } else if (atEnd() || peek() != u')') {
                return error(PlistErrorCode::malformed);
            }
        }
        *out = PlistValue(std::move(array));
        return true;
    }

    bool parseData(PlistValue* out)
    {
        ++m_position;
        QByteArray data;
        int pending = -1;
        for (;;) {
            skipSpace();
            if (atEnd())
                return error(PlistErrorCode::truncated);
            const QChar c = peek();
            ++m_position;
            if (c == u'>')
                break;
            const int value = hexValue(c);
            if (value < 0)
                return error(PlistErrorCode::badValue);
            if (pending < 0) {
                pending = value;
            } else {
                data.append(char(pending << 4 | value));
                pending = -1;
            }
        }
        if (pending >= 0)
            return error(PlistErrorCode::badValue);
        *out = PlistValue(std::move(data));
        return true;
    }

    bool parseString(QString* out)
    {
        skipSpace();
        if (atEnd())
            return error(PlistErrorCode::malformed);
        const QChar quote = peek();
        if (quote != u'"' && quote != u'\'') {
            const qsizetype start = m_position;
            while (!atEnd() && isUnquotedCharacter(peek()))
                ++m_position;
            if (m_position == start)
                return error(PlistErrorCode::malformed);
            *out = m_text.mid(start, m_position - start);
            return true;
        }
        ++m_position;
        QString text;
        for (;;) {
            if (atEnd())
                return error(PlistErrorCode::truncated);
            const QChar c = peek();
            ++m_position;
            if (c == quote)
                break;
            if (c != u'\\') {
                text.append(c);
                continue;
            }
            if (atEnd())
                return error(PlistErrorCode::truncated);
            if (!parseEscape(&text))
                return false;
        }
        if (hasUnpairedSurrogate(text))
            return error(PlistErrorCode::badEncoding);
        *out = std::move(text);
        return true;
    }

    bool parseEscape(QString* text)
    {
        const QChar c = peek();
        ++m_position;
        switch (c.unicode()) {
        case u'a':
            text->append(QChar(0x07));
            return true;
        case u'b':
            text->append(QChar(0x08));
            return true;
        case u'f':
            text->append(QChar(0x0C));
            return true;
        case u'n':
            text->append(QChar(0x0A));
            return true;
        case u'r':
            text->append(QChar(0x0D));
            return true;
        case u't':
            text->append(QChar(0x09));
            return true;
        case u'v':
            text->append(QChar(0x0B));
            return true;
        case u'U':
        case u'u': {
            char16_t value = 0;
            int digits = 0;
            while (digits < 4 && !atEnd() && hexValue(peek()) >= 0) {
                value = char16_t(value << 4 | hexValue(peek()));
                ++m_position;
                ++digits;
            }
            if (digits == 0)
                return error(PlistErrorCode::badValue);
            text->append(QChar(value));
            return true;
        }
        default:
            break;
        }
        if (c >= u'0' && c <= u'7') {
            int value = c.unicode() - u'0';
            for (int digits = 1; digits < 3 && !atEnd() && peek() >= u'0' && peek() <= u'7';
                 ++digits) {
                value = value * 8 + (peek().unicode() - u'0');
                ++m_position;
            }
            text->append(QChar(char16_t(value & 0xFF)));
            return true;
        }
        text->append(c);
        return true;
    }

    const QString& m_text;
    PlistReadError m_error;
    qsizetype m_position = 0;
};

} // namespace

PlistReadResult PlistTextReader::read(const QByteArray& bytes)
{
    const Expected<QString, PlistReadError> text = decodeText(bytes);
    if (!text)
        return text.error();
    return TextParser(*text).parse();
}
