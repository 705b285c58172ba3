#pragma once

#include <QString>

// The rules that turn a typed name into a profile file name.
namespace profile_names {

// White space and line breaks: space, tab, the space separators (Zs),
// U+000A to U+000D, U+0085, U+2028 and U+2029.
bool isWhitespaceOrNewline(char32_t c);
// Control characters: the categories Cc and Cf.
bool isControl(char32_t c);

QString trimmed(QStringView name);
bool containsForbiddenCharacter(QStringView name);
// The trimmed name, with ".plist" appended unless it already ends in it in
// any letter case; empty for an empty name.
QString profileFileName(QStringView name);

} // namespace profile_names
