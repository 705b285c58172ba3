#pragma once

#include <QDateTime>
#include <QLocale>

// Dates as the desktop abbreviates them: ICU's medium date with its short
// time, in the user's locale and time zone. Opening an ICU formatter is
// costly, so one is kept for as long as the formatter lives.
class DateFormatter
{
public:
    explicit DateFormatter(const QLocale& locale = QLocale());
    ~DateFormatter();
    DateFormatter(const DateFormatter&) = delete;
    DateFormatter& operator=(const DateFormatter&) = delete;

    QString format(const QDateTime& when) const;

private:
    QLocale m_locale;
    void* m_format = nullptr;
};
