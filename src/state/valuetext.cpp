#include "state/valuetext.h"

#include <QDateTime>

namespace {

// Seconds from 1970-01-01 to the property lists' reference date, 2001-01-01.
constexpr qint64 secondsFrom1970To2001 = 978'307'200;
constexpr qsizetype previewBytes = 8;

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
            if (c.unicode() < 0x20 || c.category() == QChar::Other_Format)
                out += u"\\u" + QString::number(c.unicode(), 16).rightJustified(4, u'0');
            else
                out += c;
        }
    }
    out += u'"';
    return out;
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
