#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace terminal_text {
// `text` with every control character written as a C escape (\n, \t, \r,
// \e, or \xHH) and a backslash as \\, so that what reaches a terminal is
// one line that moves no cursor and starts no escape sequence.
QString escaped(const QString& text);
// Writes the text in the locale's encoding, ending it with a line break.
void print(std::FILE* stream, const QString& text);
// Writes bytes as they are to standard output.
void write(const QByteArray& bytes);
// Flushes standard output. When anything written there was lost (a full
// disk, a closed output), says so on standard error as "write error:
// <reason>" and returns false: a command must not report success then.
bool finishOutput();
} // namespace terminal_text
