#include "web/loginthrottle.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

constexpr std::chrono::seconds LongestWait{60};
// An address that failed no more than this long ago is remembered.
constexpr std::chrono::minutes Memory{15};

std::chrono::seconds WaitAfter(unsigned failures)
{
    return failures > 6 ? LongestWait : std::min(LongestWait, std::chrono::seconds(1LL << (failures - 1)));
}

} // namespace

LoginThrottle::LoginThrottle(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

std::chrono::seconds LoginThrottle::RetryAfter(const std::string& client, TimePoint now) const
{
    const auto found = m_clients.find(client);
    if (found == m_clients.end() || found->second.until <= now)
        return std::chrono::seconds::zero();
    // Rounded up: a client that waits this long may try.
    const auto left = found->second.until - now;
    const auto whole = std::chrono::duration_cast<std::chrono::seconds>(left);
    return whole < left ? whole + std::chrono::seconds(1) : whole;
}

void LoginThrottle::Failed(const std::string& client, TimePoint now)
{
    if (m_clients.size() >= m_capacity && m_clients.find(client) == m_clients.end())
        forgetOld(now);
    Failures& failures = m_clients[client];
    if (failures.count > 0 && now - failures.last > Memory)
        failures.count = 0;
    failures.count = std::min(failures.count + 1, 1000u);
    failures.last = now;
    failures.until = now + WaitAfter(failures.count);
}

void LoginThrottle::Succeeded(const std::string& client)
{
    m_clients.erase(client);
}

void LoginThrottle::forgetOld(TimePoint now)
{
    for (auto it = m_clients.begin(); it != m_clients.end();)
        it = now - it->second.last > Memory ? m_clients.erase(it) : std::next(it);
    if (m_clients.size() < m_capacity)
        return;
    // All recent: the quarter that failed longest ago goes.
    std::vector<TimePoint> times;
    times.reserve(m_clients.size());
    for (const auto& entry : m_clients)
        times.push_back(entry.second.last);
    const auto cut = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 4);
    std::nth_element(times.begin(), cut, times.end());
    for (auto it = m_clients.begin(); it != m_clients.end();)
        it = it->second.last <= *cut ? m_clients.erase(it) : std::next(it);
}
