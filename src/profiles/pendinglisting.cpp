#include "profiles/pendinglisting.h"

#include "profiles/profilesorter.h"

PendingListing::PendingListing(QList<Profile> unordered) : m_profiles(std::move(unordered)) {}

void PendingListing::order()
{
    if (m_claimed.test_and_set())
        return;
    // A sorter of its own: the collator of the main thread's listings is
    // not to be used by two threads at once.
    ProfileSorter().sort(m_profiles);
    m_ordered.set_value();
}

QList<Profile> PendingListing::take()
{
    order();
    m_orderedFuture.wait();
    return std::move(m_profiles);
}
