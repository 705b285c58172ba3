#include "plist/plistxmlfastreader.h"

#include "plist/plistreader.h"
#include "plist/plistxmlreader.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

void appendUtf8(QByteArray* text, char32_t code)
{
    if (code < 0x80) {
        text->append(char(code));
    } else if (code < 0x800) {
        text->append(char(0xC0 | (code >> 6)));
        text->append(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        text->append(char(0xE0 | (code >> 12)));
        text->append(char(0x80 | ((code >> 6) & 0x3F)));
        text->append(char(0x80 | (code & 0x3F)));
    } else {
        text->append(char(0xF0 | (code >> 18)));
        text->append(char(0x80 | ((code >> 12) & 0x3F)));
        text->append(char(0x80 | ((code >> 6) & 0x3F)));
        text->append(char(0x80 | (code & 0x3F)));
    }
}

// QString::fromUtf8 takes a leading U+FEFF for a byte-order mark and drops
// it; inside a document it is an ordinary character of the text.
QString textFromUtf8(QByteArrayView utf8)
{
    static constexpr char byteOrderMark[] = "\xEF\xBB\xBF";
    if (!utf8.startsWith(QByteArrayView(byteOrderMark, 3)))
        return QString::fromUtf8(utf8);
    return QString(QChar(0xFEFF)) + textFromUtf8(utf8.sliced(3));
}

} // namespace

bool isValidUtf8(const char* data, qsizetype size)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data);
    qsizetype i = 0;
    while (i < size) {
        // Eight ASCII bytes at a time.
        if (i + 8 <= size) {
            quint64 chunk;
            std::memcpy(&chunk, bytes + i, 8);
            if ((chunk & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        const uchar c = bytes[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t minimum = 0;
        char32_t code = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            minimum = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            minimum = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            minimum = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > size)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (bytes[i + k] & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

class FastParser
{
public:
    explicit FastParser(const QByteArray& bytes)
        : m_begin(bytes.constData()), m_p(bytes.constData()),
          m_end(bytes.constData() + bytes.size())
    {
    }

    std::optional<PlistReadResult> parse()
    {
        PlistValue root;
        switch (parse(&root)) {
        case Outcome::value:
            return PlistReadResult(std::move(root));
        case Outcome::error:
            return PlistReadResult(m_error);
        case Outcome::unsupported:
            break;
        }
        return std::nullopt;
    }

private:
    enum class Outcome
    {
        value,
        error,
        unsupported
    };

    Outcome parse(PlistValue* out)
    {
        if (remaining() >= 3 && std::memcmp(m_p, "\xEF\xBB\xBF", 3) == 0)
            m_p += 3;
        if (!skipProlog())
            return m_unsupported ? Outcome::unsupported : Outcome::error;
        QByteArrayView name;
        bool empty = false;
        if (!readStartTag(&name, &empty))
            return Outcome::error;
        if (name == "plist") {
            if (empty)
                return fail(PlistErrorCode::malformed), Outcome::error;
            skipMisc();
            if (!readStartTag(&name, &empty) || !parseValue(name, empty, 0, out))
                return Outcome::error;
            skipMisc();
            if (!expectEndTag("plist"))
                return Outcome::error;
        } else if (!parseValue(name, empty, 0, out)) {
            return Outcome::error;
        }
        skipMisc();
        if (m_p != m_end)
            return fail(PlistErrorCode::trailingContent), Outcome::error;
        return Outcome::value;
    }

    qsizetype remaining() const { return m_end - m_p; }
    bool startsWith(const char* text) const
    {
        const size_t length = std::strlen(text);
        return size_t(remaining()) >= length && std::memcmp(m_p, text, length) == 0;
    }

    // The first fault found is the one reported. Malformed at the very end
    // means the document stopped short.
    bool fail(PlistErrorCode code)
    {
        if (code == PlistErrorCode::malformed && m_p >= m_end)
            code = PlistErrorCode::truncated;
        if (!m_failed)
            m_error = {code, m_p - m_begin};
        m_failed = true;
        return false;
    }

    bool skipPast(const char* terminator)
    {
        const size_t length = std::strlen(terminator);
        for (const char* q = m_p; q + length <= m_end; ++q) {
            if (std::memcmp(q, terminator, length) == 0) {
                m_p = q + length;
                return true;
            }
        }
        return fail(PlistErrorCode::truncated);
    }

    // White space, comments and processing instructions.
    void skipMisc()
    {
        for (;;) {
            while (m_p < m_end && isSpace(*m_p))
                ++m_p;
            if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return;
            } else if (startsWith("<?")) {
                if (!skipPast("?>"))
                    return;
            } else {
                return;
            }
        }
    }

    bool skipProlog()
    {
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
        if (startsWith("<?xml")) {
            const char* start = m_p;
            if (!skipPast("?>"))
                return false;
            const QByteArray declaration = QByteArray(start, m_p - start).toLower();
            const qsizetype encoding = declaration.indexOf("encoding");
            if (encoding >= 0 && !declaration.mid(encoding).contains("utf-8")) {
                m_unsupported = true;
                return false;
            }
        }
        for (;;) {
            skipMisc();
            if (!startsWith("<!DOCTYPE"))
                return true;
            // Only a document type without an internal subset is passed over.
            const char* q = m_p;
            while (q < m_end && *q != '>' && *q != '[')
                ++q;
            if (q == m_end)
                return fail(PlistErrorCode::truncated);
            if (*q == '[') {
                m_unsupported = true;
                return false;
            }
            m_p = q + 1;
        }
    }

    bool readName(QByteArrayView* name)
    {
        const char* start = m_p;
        while (m_p < m_end && ((*m_p >= 'a' && *m_p <= 'z') || (*m_p >= 'A' && *m_p <= 'Z') ||
                               (*m_p >= '0' && *m_p <= '9') || *m_p == '-' || *m_p == '_' ||
                               *m_p == ':' || *m_p == '.'))
            ++m_p;
        if (m_p == start)
            return fail(PlistErrorCode::malformed);
        *name = QByteArrayView(start, m_p - start);
        return true;
    }

    bool readStartTag(QByteArrayView* name, bool* empty)
    {
        if (m_p >= m_end || *m_p != '<')
            return fail(PlistErrorCode::malformed);
        ++m_p;
        if (!readName(name))
            return false;
        // Attributes are passed over: no plist element gives them meaning.
        char quote = 0;
        while (m_p < m_end) {
            const char c = *m_p;
            if (quote) {
                if (c == quote)
                    quote = 0;
                else if (c == '<')
                    return fail(PlistErrorCode::malformed);
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                *empty = false;
                ++m_p;
                return true;
            } else if (c == '/' && m_p + 1 < m_end && m_p[1] == '>') {
                *empty = true;
                m_p += 2;
                return true;
            } else if (c == '<') {
                return fail(PlistErrorCode::truncated);
            }
            ++m_p;
        }
        return fail(PlistErrorCode::truncated);
    }

    bool expectEndTag(const char* name)
    {
        if (!startsWith("</"))
            return fail(PlistErrorCode::malformed);
        m_p += 2;
        QByteArrayView found;
        if (!readName(&found) || found != QByteArrayView(name))
            return fail(PlistErrorCode::malformed);
        while (m_p < m_end && isSpace(*m_p))
            ++m_p;
        if (m_p >= m_end || *m_p != '>')
            return fail(PlistErrorCode::truncated);
        ++m_p;
        return true;
    }

    bool appendReference(QByteArray* text)
    {
        const char* semicolon = static_cast<const char*>(
            std::memchr(m_p, ';', size_t(std::min<qsizetype>(remaining(), 12))));
        if (!semicolon)
            return fail(PlistErrorCode::malformed);
        const QByteArrayView entity(m_p + 1, semicolon - m_p - 1);
        m_p = semicolon + 1;
        if (entity == "lt")
            text->append('<');
        else if (entity == "gt")
            text->append('>');
        else if (entity == "amp")
            text->append('&');
        else if (entity == "quot")
            text->append('"');
        else if (entity == "apos")
            text->append('\'');
        else if (entity.startsWith('#')) {
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            const QByteArrayView digits = entity.sliced(hex ? 2 : 1);
            uint32_t code = 0;
            const auto [end, status] =
                std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (status != std::errc() || end != digits.data() + digits.size() || code == 0 ||
                code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                return fail(PlistErrorCode::malformed);
            appendUtf8(text, code);
        } else {
            // Entities are never expanded.
            return fail(PlistErrorCode::unsupported);
        }
        return true;
    }

    // The raw UTF-8 text of an element up to its end tag.
    bool readText(const char* element, QByteArray* out, bool* plain, QByteArrayView* view)
    {
        const char* start = m_p;
        while (m_p < m_end && *m_p != '<' && *m_p != '&')
            ++m_p;
        if (m_p < m_end && *m_p == '<' && m_p + 1 < m_end && m_p[1] == '/') {
            *plain = true;
            *view = QByteArrayView(start, m_p - start);
            return expectEndTag(element);
        }
        *plain = false;
        out->append(start, m_p - start);
        while (m_p < m_end) {
            if (*m_p == '&') {
                if (!appendReference(out))
                    return false;
            } else if (startsWith("<![CDATA[")) {
                const char* content = m_p + 9;
                if (!skipPast("]]>"))
                    return false;
                out->append(content, m_p - 3 - content);
            } else if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return false;
            } else if (startsWith("</")) {
                return expectEndTag(element);
            } else if (*m_p == '<') {
                return fail(PlistErrorCode::malformed);
            } else {
                const char* run = m_p;
                while (m_p < m_end && *m_p != '<' && *m_p != '&')
                    ++m_p;
                out->append(run, m_p - run);
            }
        }
        return fail(PlistErrorCode::truncated);
    }

    bool readTextAsBytes(const char* element, bool empty, QByteArray* storage, QByteArrayView* text)
    {
        if (empty) {
            *text = {};
            return true;
        }
        bool plain = false;
        if (!readText(element, storage, &plain, text))
            return false;
        if (!plain)
            *text = *storage;
        return true;
    }

    bool parseValue(QByteArrayView name, bool empty, int depth, PlistValue* out)
    {
        if (depth > PlistReader::maximumDepth)
            return fail(PlistErrorCode::tooDeep);
        if (name == "dict")
            return parseDictionary(empty, depth, out);
        if (name == "array")
            return parseArray(empty, depth, out);
        if (name == "true" || name == "false") {
            if (!empty && !expectEndTag(name == "true" ? "true" : "false"))
                return false;
            *out = PlistValue(name == "true");
            return true;
        }
        QByteArray storage;
        QByteArrayView text;
        if (name == "string") {
            if (!readTextAsBytes("string", empty, &storage, &text))
                return false;
            *out = PlistValue(textFromUtf8(text));
            return true;
        }
        if (name == "integer") {
            if (!readTextAsBytes("integer", empty, &storage, &text))
                return false;
            return parseInteger(text.trimmed(), out);
        }
        if (name == "real") {
            if (!readTextAsBytes("real", empty, &storage, &text))
                return false;
            return parseReal(text.trimmed(), out);
        }
        if (name == "date") {
            if (!readTextAsBytes("date", empty, &storage, &text))
                return false;
            const std::optional<double> seconds =
                parsePlistDateText(QString::fromLatin1(text.trimmed()));
            if (!seconds)
                return fail(PlistErrorCode::badValue);
            *out = PlistValue(PlistDate{*seconds});
            return true;
        }
        if (name == "data") {
            if (!readTextAsBytes("data", empty, &storage, &text))
                return false;
            QByteArray compact;
            compact.reserve(text.size());
            for (const char c : text) {
                if (!isSpace(c))
                    compact.append(c);
            }
            const auto decoded =
                QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                return fail(PlistErrorCode::badValue);
            *out = PlistValue(decoded.decoded);
            return true;
        }
        return fail(PlistErrorCode::unsupported);
    }

    bool parseInteger(QByteArrayView text, PlistValue* out)
    {
        bool negative = false;
        if (!text.isEmpty() && (text[0] == '-' || text[0] == '+')) {
            negative = text[0] == '-';
            text = text.sliced(1);
        }
        int base = 10;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            base = 16;
            text = text.sliced(2);
        }
        quint64 magnitude = 0;
        const auto [end, status] =
            std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
        if (text.isEmpty() || status != std::errc() || end != text.data() + text.size())
            return fail(PlistErrorCode::badValue);
        if (!negative) {
            *out = PlistValue::unsignedInteger(magnitude);
            return true;
        }
        if (magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
            return fail(PlistErrorCode::badValue);
        *out = PlistValue::integer(qint64(0 - magnitude));
        return true;
    }

    bool parseReal(QByteArrayView text, PlistValue* out)
    {
        const QByteArray lower = text.toByteArray().toLower();
        if (lower == "nan") {
            *out = PlistValue(std::nan(""));
            return true;
        }
        if (lower == "inf" || lower == "+inf" || lower == "infinity" || lower == "+infinity") {
            *out = PlistValue(std::numeric_limits<double>::infinity());
            return true;
        }
        if (lower == "-inf" || lower == "-infinity") {
            *out = PlistValue(-std::numeric_limits<double>::infinity());
            return true;
        }
        if (!text.isEmpty() && text[0] == '+')
            text = text.sliced(1);
        double value = 0;
        const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.isEmpty() || status != std::errc() || end != text.data() + text.size())
            return fail(PlistErrorCode::badValue);
        *out = PlistValue(value);
        return true;
    }

    bool nextChild(const char* container, QByteArrayView* name, bool* empty, bool* done)
    {
        skipMisc();
        if (startsWith("</")) {
            *done = true;
            return expectEndTag(container);
        }
        *done = false;
        if (m_p < m_end && *m_p != '<')
            return fail(PlistErrorCode::malformed);
        return readStartTag(name, empty);
    }

    bool parseArray(bool empty, int depth, PlistValue* out)
    {
        PlistArray array;
        if (!empty) {
            for (;;) {
                QByteArrayView name;
                bool childEmpty = false;
                bool done = false;
                if (!nextChild("array", &name, &childEmpty, &done))
                    return false;
                if (done)
                    break;
                PlistValue value;
                if (!parseValue(name, childEmpty, depth + 1, &value))
                    return false;
                array.append(std::move(value));
            }
        }
        *out = PlistValue(std::move(array));
        return true;
    }

    bool parseDictionary(bool empty, int depth, PlistValue* out)
    {
        PlistDictionary dictionary;
        if (!empty) {
            for (;;) {
                QByteArrayView name;
                bool childEmpty = false;
                bool done = false;
                if (!nextChild("dict", &name, &childEmpty, &done))
                    return false;
                if (done)
                    break;
                if (name != "key")
                    return fail(PlistErrorCode::badDictionary);
                QByteArray storage;
                QByteArrayView keyText;
                if (!readTextAsBytes("key", childEmpty, &storage, &keyText))
                    return false;
                const QString key = textFromUtf8(keyText);
                if (!nextChild("dict", &name, &childEmpty, &done))
                    return false;
                if (done)
                    return fail(PlistErrorCode::badDictionary);
                PlistValue value;
                if (!parseValue(name, childEmpty, depth + 1, &value))
                    return false;
                dictionary.insert(key, std::move(value));
            }
        }
        *out = PlistValue(std::move(dictionary));
        return true;
    }

    const char* m_begin;
    const char* m_p;
    const char* m_end;
    PlistReadError m_error;
    bool m_failed = false;
    bool m_unsupported = false;
};

} // namespace

std::optional<PlistReadResult> PlistXmlFastReader::read(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return std::nullopt;
    if (!isValidUtf8(bytes.constData(), bytes.size()))
        return PlistReadResult(PlistReadError{PlistErrorCode::badEncoding, -1});
    return FastParser(bytes).parse();
}
