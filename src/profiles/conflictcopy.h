#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <QTime>

#include <optional>

// A copy that a sync client left beside a profile when both machines had
// changed it:
//   Syncthing:            Work.sync-conflict-20261207-101010-ABCDEF1.plist
//   Nextcloud, ownCloud:  Work (conflicted copy 2026-12-07 101010).plist
//   Dropbox:              Work (Anna's conflicted copy 2026-12-07).plist
// Names that only look alike ("Work (copy).plist",
// "Work.sync-conflict.plist") are none.
struct ConflictCopy
{
    enum class Client
    {
        syncthing,
        nextcloud,
        dropbox,
    };

    Client client = Client::syncthing;
    // The file name of the profile it is a copy of: Work.plist.
    QString profileFileName;
    // When the client made the copy, in the clock of the machine that did.
    QDate date;
    // Dropbox names no time.
    std::optional<QTime> time;

    static std::optional<ConflictCopy> recognise(QStringView fileName);
    // The client's own name: "Syncthing", "Nextcloud", "Dropbox".
    static QString clientName(Client client);
};
