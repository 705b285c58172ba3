#pragma once

#include "platform/targetidentity.h"

#include <QString>
#include <QStringList>

namespace pelvaro {

// Pelvaro's bundle identifier, which is also its preferences domain.
inline const QString bundleIdentifier = QStringLiteral("com.corvandel.pelvaro");

// The names by which a running Pelvaro is recognised: exact and
// case-sensitive.
inline QStringList applicationNames()
{
    return {QStringLiteral("Pelvaro"), QStringLiteral("Pelvaro MD")};
}

// Pelvaro as the platform services know it.
inline TargetIdentity identity()
{
    return {bundleIdentifier, applicationNames()};
}

inline bool isApplicationName(const QString& name)
{
    return applicationNames().contains(name);
}

} // namespace pelvaro
