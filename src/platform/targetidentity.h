#pragma once

#include <QString>
#include <QStringList>

// The application the launcher manages, as the platform needs to know it:
// its preferences domain and the names its running processes take.
struct TargetIdentity
{
    QString bundleIdentifier;
    QStringList applicationNames;
};
