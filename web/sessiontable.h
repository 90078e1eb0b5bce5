#ifndef MORVA_WEB_SESSIONTABLE_H
#define MORVA_WEB_SESSIONTABLE_H

#include "web/keyeddigest.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

// The sessions of browsers that logged in with the form: each a token of 32
// random bytes (64 hex digits) the browser keeps in a cookie, of which only
// a keyed digest is kept here. A session ends after 12 hours unused; a full
// table drops the session unused longest. Not thread-safe: its owner locks.
class SessionTable {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    static constexpr std::chrono::hours IdleLimit{12};

    explicit SessionTable(std::size_t capacity = 1000);

    // A new session's token.
    std::string Open(TimePoint now);
    // Whether `token` names a live session; it counts as used now.
    bool Use(const std::string& token, TimePoint now);
    void Close(const std::string& token);

    std::size_t size() const { return m_lastUse.size(); }

private:
    void makeRoom(TimePoint now);

    std::size_t m_capacity;
    KeyedDigest m_digest;
    std::unordered_map<std::string, TimePoint> m_lastUse; // by the token's digest
};

#endif
