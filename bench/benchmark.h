#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

// Small helpers for the benchmarks: they print their figures and assert
// nothing.
namespace bench {

// A benchmark whose fixture cannot be made measures nothing: it stops.
inline void require(bool done, const char* what)
{
    if (!done) {
        std::fprintf(stderr, "benchmark fixture failed: %s\n", what);
        std::exit(2);
    }
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Median milliseconds of `runs` calls, after one warm-up call.
inline double medianMs(int runs, const std::function<void()>& prepare,
                       const std::function<void()>& work);

inline double medianMs(int runs, const std::function<void()>& work)
{
    return medianMs(
        runs, [] {}, work);
}

// The same, with `prepare` run untimed before each run of `work`.
inline double medianMs(int runs, const std::function<void()>& prepare,
                       const std::function<void()>& work)
{
    prepare();
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(times);
}

// Our code against a peer's: each timed in a block of `runs` (medianMs),
// the two blocks taken in turn, `rounds` times. A busier moment of the
// machine falls on one block and skews its round's ratio; the median of the
// rounds leaves it out. (Timed call by call in turn instead, each evicts
// the other's data from the caches and both read slower than a user's load.)
struct Comparison
{
    double ours = 0;
    double peer = 0;
    // The peer's time over ours, the median of the rounds.
    double ratio = 0;
};

inline Comparison compareInRounds(int rounds, int runs, const std::function<void()>& ours,
                                  const std::function<void()>& peer)
{
    std::vector<double> oursTimes;
    std::vector<double> peerTimes;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        oursTimes.push_back(medianMs(runs, ours));
        peerTimes.push_back(medianMs(runs, peer));
        ratios.push_back(peerTimes.back() / oursTimes.back());
    }
    return {median(oursTimes), median(peerTimes), median(ratios)};
}

// Runs the event loop, sleeping between events, until `condition` holds or
// the time is up.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

inline void line(const char* label, double value, const char* unit)
{
    std::printf("%-44s %10.3f %s\n", label, value, unit);
    std::fflush(stdout);
}

} // namespace bench
