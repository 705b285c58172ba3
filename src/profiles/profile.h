#pragma once

#include "platform/filepath.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>

// One profile file. Its identity is `url`, the file's absolute local path.
struct Profile
{
    QString url;
    QDateTime modifiedAt;

    const QString& id() const { return url; }
    // The last path component: the file name with its extension.
    QString fileName() const;
    // The file name without its final extension: Work.plist is shown as Work.
    QString name() const;
    // The folder that holds the file.
    QString folder() const;

    friend bool operator==(const Profile& a, const Profile& b)
    {
        return a.url == b.url && a.modifiedAt == b.modifiedAt;
    }
};

size_t qHash(const Profile& profile, size_t seed = 0);
Q_DECLARE_METATYPE(Profile)
