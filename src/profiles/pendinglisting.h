#pragma once

#include "profiles/profile.h"

#include <atomic>
#include <future>

// A listing of the profile folder whose display order is still open.
// Ordering thousands of names costs about as much as listing them (ICU
// builds a sort key per name) and needs nothing but the names, so any one
// thread can do it while the main thread goes on building the window.
// Whichever thread begins first orders the profiles; the other does not.
class PendingListing
{
public:
    explicit PendingListing(QList<Profile> unordered);
    PendingListing(const PendingListing&) = delete;
    PendingListing& operator=(const PendingListing&) = delete;

    // Puts the profiles in display order, unless a thread has begun to.
    void order();
    // The profiles in display order, ordered here unless another thread has
    // begun to, which this then waits for. Once only.
    QList<Profile> take();

private:
    std::atomic_flag m_claimed;
    QList<Profile> m_profiles;
    std::promise<void> m_ordered;
    std::future<void> m_orderedFuture = m_ordered.get_future();
};
