#include "plist/plistreader.h"

#include "plist/plistbinaryreader.h"
#include "plist/plisttextreader.h"
#include "plist/plistxmlreader.h"

namespace {

// After any byte-order mark and leading white space, XML starts with '<' and
// then '?', '!' or a letter; a text-form data block '<' is followed by hex
// digits or '>'.
bool looksLikeXml(const QByteArray& bytes)
{
    qsizetype position = 0;
    qsizetype step = 1;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        position = 3;
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        step = 2;
        position = bytes.startsWith("\xFF\xFE") ? 2 : 3;
    }
    auto byteAt = [&](qsizetype index) -> char {
        return index < bytes.size() ? bytes.at(index) : '\0';
    };
    while (position < bytes.size() && (byteAt(position) == ' ' || byteAt(position) == '\t' ||
                                       byteAt(position) == '\n' || byteAt(position) == '\r'))
        position += step;
    if (byteAt(position) != '<')
        return false;
    const char next = byteAt(position + step);
    if (next == '?' || next == '!')
        return true;
    QByteArray word;
    for (qsizetype index = position + step; word.size() < 8; index += step) {
        const char c = byteAt(index);
        if (c < 'a' || c > 'z')
            break;
        word.append(c);
    }
    static const QByteArrayList elements = {"plist", "dict",    "array", "string", "data",
                                            "date",  "integer", "real",  "true",   "false"};
    return elements.contains(word);
}

} // namespace

PlistReadResult PlistReader::read(const QByteArray& bytes)
{
    if (bytes.startsWith("bplist"))
        return PlistBinaryReader::read(bytes);
    if (looksLikeXml(bytes))
        return PlistXmlReader::read(bytes);
    return PlistTextReader::read(bytes);
}
