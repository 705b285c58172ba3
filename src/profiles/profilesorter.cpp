#include "profiles/profilesorter.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

QLocale collationLocale(const QLocale& locale)
{
    if (locale.language() == QLocale::C || locale.name() == u"C" || locale.name() == u"POSIX")
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

} // namespace

ProfileSorter::ProfileSorter() : ProfileSorter(QLocale::system()) {}

ProfileSorter::ProfileSorter(const QLocale& locale) : m_collator(collationLocale(locale))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);
    m_collator.setIgnorePunctuation(false);
}

bool ProfileSorter::lessThan(const QString& a, const QString& b) const
{
    return m_collator.compare(a, b) < 0;
}

void ProfileSorter::sort(QList<Profile>& profiles) const
{
    // One collation key per name, so that sorting thousands of names does
    // not collate each pair from scratch.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(profiles.size());
    for (const Profile& profile : std::as_const(profiles))
        keys.push_back(m_collator.sortKey(profile.fileName()));
    std::vector<qsizetype> order(profiles.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
    QList<Profile> sorted;
    sorted.reserve(profiles.size());
    for (const qsizetype index : order)
        sorted.append(std::move(profiles[index]));
    profiles = std::move(sorted);
}
