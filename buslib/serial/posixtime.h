#ifndef MORVA_VELOX_POSIXTIME_H
#define MORVA_VELOX_POSIXTIME_H

#include <chrono>
#include <ctime>

namespace morva_velox {

// A time span as the POSIX waits take it (ppoll, nanosleep); a span already
// past is zero.
inline timespec toTimespec(std::chrono::nanoseconds d)
{
    if (d < std::chrono::nanoseconds::zero())
        d = std::chrono::nanoseconds::zero();
    return timespec{static_cast<time_t>(d.count() / 1000000000), static_cast<long>(d.count() % 1000000000)};
}

} // namespace morva_velox

#endif
