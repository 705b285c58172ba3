#include "state/valuetext.h"

#include <QDateTime>

#include <cmath>

namespace {

// Seconds from 1970-01-01 to the property lists' reference date, 2001-01-01.
constexpr qint64 secondsFrom1970To2001 = 978'307'200;
constexpr qsizetype previewBytes = 8;

// Controls (C0, DEL, C1), format characters and separators that move text.
bool needsEscape(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u < 0xA0) || c.category() == QChar::Other_Format ||
           c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph;
}

QString escapeOf(QChar c)
{
    return u"\\u" + QString::number(c.unicode(), 16).rightJustified(4, u'0');
}

QString quoted(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += u"\\\"";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\t':
            out += u"\\t";
            break;
        case u'\r':
            out += u"\\r";
            break;
        default:
            if (needsEscape(c))
                out += escapeOf(c);
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

// Every non-ASCII character written as an escape: two texts that read the
// same but differ in their code points read differently this way.
QString allEscaped(const QString& text)
{
    QString out;
    for (const QChar c : text)
        out += c.unicode() < 0x80 && !needsEscape(c) ? QString(c) : escapeOf(c);
    return out;
}

QString typeName(PlistValue::Type type)
{
    switch (type) {
    case PlistValue::Type::boolean:
        return QStringLiteral("boolean");
    case PlistValue::Type::integer:
        return QStringLiteral("integer");
    case PlistValue::Type::real:
        return QStringLiteral("real");
    case PlistValue::Type::date:
        return QStringLiteral("date");
    case PlistValue::Type::string:
        return QStringLiteral("string");
    case PlistValue::Type::data:
        return QStringLiteral("data");
    case PlistValue::Type::array:
        return QStringLiteral("array");
    case PlistValue::Type::dictionary:
        return QStringLiteral("dictionary");
    case PlistValue::Type::uid:
        return QStringLiteral("UID");
    case PlistValue::Type::invalid:
        break;
    }
    return {};
}

// A value in full: the exact real with its sign, the date to the
// microsecond in UTC, every byte of data, every code point of a text.
QString exactly(const PlistValue& value, const QLocale& locale)
{
    switch (value.type()) {
    case PlistValue::Type::real: {
        const double real = value.toReal();
        const QString text = QString::number(real, 'g', 17);
        return std::signbit(real) && real == 0 ? QStringLiteral("-0") : text;
    }
    case PlistValue::Type::date: {
        const double seconds = value.toDate().secondsSinceReference;
        const qint64 micro = qint64(std::llround(seconds * 1e6));
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(
            (micro - micro % 1000) / 1000 + secondsFrom1970To2001 * 1000, Qt::UTC);
        return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) +
               QString::number(std::abs(micro % 1000)).rightJustified(3, u'0') + u" UTC";
    }
    case PlistValue::Type::string:
        return u'"' + allEscaped(value.toString()) + u'"';
    case PlistValue::Type::data:
        return QString::fromLatin1(value.toData().toHex(' '));
    default:
        return ValueText::describe(value, locale);
    }
}

} // namespace

QString ValueText::describe(const PlistValue& value, const QLocale& locale)
{
    switch (value.type()) {
    case PlistValue::Type::invalid:
        return QString();
    case PlistValue::Type::boolean:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case PlistValue::Type::integer: {
        const PlistInteger integer = value.toInteger();
        return integer.isUnsignedAboveSignedRange ? QString::number(integer.unsignedValue())
                                                  : QString::number(integer.bits);
    }
    case PlistValue::Type::real:
        return QString::number(value.toReal(), 'g', 17);
    case PlistValue::Type::date: {
        const double seconds = value.toDate().secondsSinceReference;
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(
            qint64((seconds + double(secondsFrom1970To2001)) * 1000.0), Qt::UTC);
        return locale.toString(when.toLocalTime(), QLocale::ShortFormat);
    }
    case PlistValue::Type::string:
        return quoted(value.toStringView());
    case PlistValue::Type::data: {
        const QByteArray data = value.toData();
        const QString preview = QString::fromLatin1(data.left(previewBytes).toHex(' '));
        const QString size =
            data.size() == 1 ? tr("1 byte") : tr("%1 bytes").arg(locale.toString(data.size()));
        return data.isEmpty() ? size
                              : size + u": " + preview + (data.size() > previewBytes ? u" …" : u"");
    }
    case PlistValue::Type::array:
        return value.toArray().size() == 1
                   ? tr("array of 1 item")
                   : tr("array of %1 items").arg(locale.toString(value.toArray().size()));
    case PlistValue::Type::dictionary:
        return value.toDictionary().size() == 1
                   ? tr("dictionary of 1 key")
                   : tr("dictionary of %1 keys").arg(locale.toString(value.toDictionary().size()));
    case PlistValue::Type::uid:
        return tr("UID %1").arg(value.toUid().value);
    }
    return QString();
}

std::pair<QString, QString>
ValueText::describeChange(const PlistValue& before, const PlistValue& after, const QLocale& locale)
{
    QString first = describe(before, locale);
    QString second = describe(after, locale);
    // Texts that differ only in composition read the same on screen.
    if (first.normalized(QString::NormalizationForm_C) !=
            second.normalized(QString::NormalizationForm_C) ||
        !before.isValid() || !after.isValid())
        return {first, second};
    if (before.type() != after.type())
        return {first + u" (" + typeName(before.type()) + u')',
                second + u" (" + typeName(after.type()) + u')'};
    return {exactly(before, locale), exactly(after, locale)};
}

QString ValueText::key(const QString& key)
{
    const bool composed = key.normalized(QString::NormalizationForm_C) == key;
    QString out;
    out.reserve(key.size());
    for (const QChar c : key) {
        if (c == u'\\')
            out += u"\\\\";
        else if (needsEscape(c) || (!composed && c.unicode() >= 0x80))
            out += escapeOf(c);
        else
            out += c;
    }
    return out;
}
