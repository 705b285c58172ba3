#include "profiles/conflictcopy.h"

#include <QRegularExpression>

namespace {

struct Pattern
{
    ConflictCopy::Client client;
    QRegularExpression expression;
};

// Each captures the stem, the date, the time when there is one, and the
// extension, by name.
const QList<Pattern>& patterns()
{
    static const QList<Pattern> all{
        {ConflictCopy::Client::syncthing,
         QRegularExpression(QStringLiteral(
             R"(^(?<stem>.+)\.sync-conflict-(?<date>\d{8})-(?<time>\d{6})-[A-Z0-9]{7}(?<ext>\.[^.]+)$)"))},
        {ConflictCopy::Client::nextcloud,
         QRegularExpression(QStringLiteral(
             R"(^(?<stem>.+) \(conflicted copy (?<date>\d{4}-\d{2}-\d{2}) (?<time>\d{6})\)(?<ext>\.[^.]+)$)"))},
        {ConflictCopy::Client::dropbox,
         QRegularExpression(QStringLiteral(
             R"(^(?<stem>.+) \(.+['’]s conflicted copy (?<date>\d{4}-\d{2}-\d{2})\)(?<ext>\.[^.]+)$)"))},
    };
    return all;
}

} // namespace

std::optional<ConflictCopy> ConflictCopy::recognise(QStringView fileName)
{
    // Most names are none of these: a look for the words spares the
    // expressions.
    if (!fileName.contains(u"sync-conflict-") && !fileName.contains(u"conflicted copy "))
        return std::nullopt;
    for (const Pattern& pattern : patterns()) {
        const QRegularExpressionMatch match = pattern.expression.match(fileName.toString());
        if (!match.hasMatch())
            continue;
        const QString dateText = match.captured(u"date");
        const QDate date =
            QDate::fromString(dateText, dateText.contains(u'-') ? QStringLiteral("yyyy-MM-dd")
                                                                : QStringLiteral("yyyyMMdd"));
        if (!date.isValid())
            return std::nullopt;
        ConflictCopy copy;
        copy.client = pattern.client;
        copy.profileFileName = match.captured(u"stem") + match.captured(u"ext");
        copy.date = date;
        if (const QString timeText = match.captured(u"time"); !timeText.isEmpty()) {
            const QTime time = QTime::fromString(timeText, QStringLiteral("HHmmss"));
            if (!time.isValid())
                return std::nullopt;
            copy.time = time;
        }
        return copy;
    }
    return std::nullopt;
}

QString ConflictCopy::clientName(Client client)
{
    switch (client) {
    case Client::syncthing:
        return QStringLiteral("Syncthing");
    case Client::nextcloud:
        return QStringLiteral("Nextcloud");
    case Client::dropbox:
        return QStringLiteral("Dropbox");
    }
    return {};
}
