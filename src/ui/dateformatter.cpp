#include "ui/dateformatter.h"

#include <unicode/udat.h>

DateFormatter::DateFormatter(const QLocale& locale) : m_locale(locale)
{
    // Under the C locale, English as the desktop would show it.
    const QByteArray name =
        locale.language() == QLocale::C ? QByteArray("en_US") : locale.name().toLatin1();
    UErrorCode status = U_ZERO_ERROR;
    UDateFormat* format =
        udat_open(UDAT_SHORT, UDAT_MEDIUM, name.constData(), nullptr, -1, nullptr, -1, &status);
    if (U_SUCCESS(status))
        m_format = format;
    else if (format)
        udat_close(format);
}

DateFormatter::~DateFormatter()
{
    if (m_format)
        udat_close(static_cast<UDateFormat*>(m_format));
}

QString DateFormatter::format(const QDateTime& when) const
{
    // The formats show no fractions of a second: one text per second.
    const qint64 milliseconds = when.toMSecsSinceEpoch();
    const qint64 second = milliseconds / 1000 - (milliseconds % 1000 < 0 ? 1 : 0);
    if (const auto found = m_texts.constFind(second); found != m_texts.constEnd())
        return *found;
    if (m_texts.size() >= maximumCachedTexts)
        m_texts.clear();
    const QString text = formatted(when);
    m_texts.insert(second, text);
    return text;
}

QString DateFormatter::formatted(const QDateTime& when) const
{
    if (m_format) {
        UChar buffer[128];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length =
            udat_format(static_cast<const UDateFormat*>(m_format), UDate(when.toMSecsSinceEpoch()),
                        buffer, 128, nullptr, &status);
        if (U_SUCCESS(status))
            return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), length);
    }
    return m_locale.toString(when.toLocalTime(), QLocale::ShortFormat);
}
