#pragma once

#include "profiles/profile.h"

#include <QCollator>

// Orders profiles the way the desktop's file browser orders names: letters
// without regard to case, runs of digits by their numeric value, the rest by
// the locale's collation. The sort is stable.
class ProfileSorter
{
public:
    // Under the C or POSIX locale the collation of English is used, since
    // plain code-point order would put "Profile 10" before "profile 2".
    ProfileSorter();
    explicit ProfileSorter(const QLocale& locale);

    void sort(QList<Profile>& profiles) const;
    bool lessThan(const QString& a, const QString& b) const;

private:
    QCollator m_collator;
};
