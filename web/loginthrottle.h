#ifndef MORVA_WEB_LOGINTHROTTLE_H
#define MORVA_WEB_LOGINTHROTTLE_H

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

// Failed log-ins per client address: after the n-th failure in a row an
// address waits min(2^(n-1), 60) seconds before its next attempt counts. A
// success forgets the address; so does time, and a full table forgets the
// addresses that failed longest ago. Not thread-safe: its owner locks.
class LoginThrottle {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit LoginThrottle(std::size_t capacity = 10000);

    // How long `client` must still wait; zero when it may try.
    std::chrono::seconds RetryAfter(const std::string& client, TimePoint now) const;
    void Failed(const std::string& client, TimePoint now);
    void Succeeded(const std::string& client);

    std::size_t size() const { return m_clients.size(); }

private:
    struct Failures {
        unsigned count = 0;
        TimePoint last;
        TimePoint until;
    };

    void forgetOld(TimePoint now);

    std::size_t m_capacity;
    std::unordered_map<std::string, Failures> m_clients;
};

#endif
