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

// Each of `works` timed in a block of `runs` (medianMs), the blocks taken in
// turn, `rounds` times: per work, the median of each round. A busier moment
// of the machine falls on one block and skews its round; a median over the
// rounds (medianRatio) leaves it out. (Timed call by call in turn instead,
// each work evicts the other's data from the caches, and both read slower
// than a user's load does.)
inline std::vector<std::vector<double>>
blocksInRounds(int rounds, int runs, const std::vector<std::function<void()>>& works)
{
    std::vector<std::vector<double>> medians(works.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t w = 0; w < works.size(); ++w)
            medians[w].push_back(medianMs(runs, works[w]));
    }
    return medians;
}

// The median over the rounds of `a` / `b`.
inline double medianRatio(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        ratios.push_back(a[i] / b[i]);
    return median(ratios);
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
