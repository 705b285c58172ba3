#pragma once

#include <QDateTime>
#include <QHash>
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
    static constexpr qsizetype maximumCachedTexts = 1024;
    QString formatted(const QDateTime& when) const;

    QLocale m_locale;
    void* m_format = nullptr;
    // By second since the epoch: rows saved together and rows painted
    // again are formatted once.
    mutable QHash<qint64, QString> m_texts;
};
