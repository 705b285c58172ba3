#include "app/terminaltext.h"

QString terminal_text::escaped(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            result += u"\\\\";
        else if (u == u'\n')
            result += u"\\n";
        else if (u == u'\t')
            result += u"\\t";
        else if (u == u'\r')
            result += u"\\r";
        else if (u == 0x1B)
            result += u"\\e";
        else if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            result += u"\\x" + QString::number(u, 16).rightJustified(2, u'0');
        else
            result += c;
    }
    return result;
}

void terminal_text::print(std::FILE* stream, const QString& text)
{
    if (text.isEmpty())
        return;
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (!text.endsWith(u'\n'))
        std::fputc('\n', stream);
}
