#include "profiles/profilenames.h"

#include <QList>

bool profile_names::isWhitespaceOrNewline(char32_t c)
{
    return c == U' ' || c == U'\t' || (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 ||
           c == 0x2029 || QChar::category(c) == QChar::Separator_Space;
}

bool profile_names::isControl(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

QString profile_names::trimmed(QStringView name)
{
    // All of the white space is in the Basic Multilingual Plane, so trimming
    // by UTF-16 unit never splits a surrogate pair.
    qsizetype start = 0;
    qsizetype end = name.size();
    while (start < end && isWhitespaceOrNewline(name.at(start).unicode()))
        ++start;
    while (end > start && isWhitespaceOrNewline(name.at(end - 1).unicode()))
        --end;
    return name.mid(start, end - start).toString();
}

bool profile_names::containsForbiddenCharacter(QStringView name)
{
    for (const char32_t c : name.toUcs4()) {
        if (c == U'/' || c == U':' || isControl(c))
            return true;
    }
    return false;
}

QString profile_names::profileFileName(QStringView name)
{
    const QString trimmedName = trimmed(name);
    if (trimmedName.isEmpty())
        return {};
    if (trimmedName.endsWith(u".plist", Qt::CaseInsensitive))
        return trimmedName;
    return trimmedName + u".plist";
}
