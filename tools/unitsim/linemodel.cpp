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

std::vector<LineModel::Handover> LineModel::handovers(std::size_t count) const
{
    if (m_adapterTimer.count() > 0)
        return adapterHandovers(count);
    if (instant())
        return {{count, Clock::duration::zero()}};
    std::vector<Handover> out;
    const std::size_t burst = burstSize();
    for (std::size_t sent = 0; sent < count;) {
        sent = std::min(count, sent + burst);
        out.push_back({sent, transferTime(sent)});
    }
    return out;
}

std::vector<LineModel::Handover> LineModel::adapterHandovers(std::size_t count) const
{
    std::vector<Handover> out;
    std::size_t held = 0;
    Clock::duration last = Clock::duration::zero();
    for (std::size_t i = 1; i <= count; ++i) {
        const Clock::duration crossed = transferTime(i);
        // The timer ran out between two bytes of a slow line.
        if (held > 0 && crossed > last + m_adapterTimer) {
            out.push_back({i - 1, last + m_adapterTimer});
            held = 0;
        }
        last = crossed;
        if (++held == AdapterPacketBytes) {
            out.push_back({i, crossed});
            held = 0;
        }
    }
    if (held > 0)
        out.push_back({count, last + m_adapterTimer});
    return out;
}

} // namespace morva_sim
