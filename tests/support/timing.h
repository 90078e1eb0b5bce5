#ifndef MORVA_TESTS_TIMING_H
#define MORVA_TESTS_TIMING_H

// Clocks for tests and benchmarks.

#include <chrono>
#include <ctime>

namespace morva_test {

using Clock = std::chrono::steady_clock;

// Whole milliseconds since `start`.
inline long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// CPU time of the calling thread, in milliseconds.
inline double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace morva_test

#endif
