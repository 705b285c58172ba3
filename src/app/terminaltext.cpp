#include "app/terminaltext.h"

#include <QCoreApplication>

#include <cerrno>

namespace {

// The first reason a write to standard output failed, or 0.
int outputError = 0;

void noteResult(std::FILE* stream, bool complete)
{
    if (!complete && stream == stdout && outputError == 0)
        outputError = errno != 0 ? errno : EIO;
}

} // namespace

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
    errno = 0;
    bool complete =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    if (complete && !text.endsWith(u'\n'))
        complete = std::fputc('\n', stream) != EOF;
    noteResult(stream, complete);
}

void terminal_text::write(const QByteArray& bytes)
{
    errno = 0;
    noteResult(stdout, std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) ==
                           size_t(bytes.size()));
}

bool terminal_text::finishOutput()
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        noteResult(stdout, false);
    if (outputError == 0)
        return true;
    print(stderr, QCoreApplication::translate("CommandLine", "write error: %1")
                      .arg(qt_error_string(outputError)));
    return false;
}
