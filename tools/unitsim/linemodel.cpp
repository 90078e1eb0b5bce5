#include "tools/unitsim/linemodel.h"

#include <algorithm>

namespace morva_sim {

LineModel::Clock::duration LineModel::transferTime(std::size_t bytes) const
{
    if (instant())
        return Clock::duration::zero();
    const std::chrono::nanoseconds time(static_cast<std::chrono::nanoseconds::rep>(
        bytes * BitsPerByte * 1000000000ull / m_baud));
    return std::chrono::duration_cast<Clock::duration>(time);
}

LineModel::Clock::time_point LineModel::receive(std::size_t bytes, Clock::time_point now)
{
    m_receivedUntil = std::max(now, m_receivedUntil) + transferTime(bytes);
    return m_receivedUntil;
}

std::size_t LineModel::burstSize() const
{
    return std::max<std::size_t>(1, m_baud / (BitsPerByte * 1000));
}

} // namespace morva_sim
