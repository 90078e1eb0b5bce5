#ifndef MORVA_WEB_LOGINGATE_H
#define MORVA_WEB_LOGINGATE_H

#include "web/keyeddigest.h"
#include "web/loginthrottle.h"
#include "web/sessiontable.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_set>

// Who may see the web view's pages: a browser or script that gives the
// password (HTTP Basic, or the log-in form and then its session cookie).
// Failed log-ins slow an address down without holding a thread. Plain
// text in and out, no HTTP library; thread-safe. Without a password hash
// everyone is let in (the server allows that only on loopback).
class LoginGate {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    enum class Verdict { Admitted, Refused, Throttled };

    // The cookie that carries a session.
    static const char* const CookieName;

    explicit LoginGate(std::string passwordHash, Clock clock = std::chrono::steady_clock::now);
    LoginGate(const LoginGate&) = delete;
    LoginGate& operator=(const LoginGate&) = delete;

    bool NeedsPassword() const { return !m_passwordHash.empty(); }

    // An Authorization header's value, "Basic base64(user:password)"; the
    // user name is not looked at. `client` is the peer's address.
    Verdict Basic(const std::string& authorizationHeader, const std::string& client);
    // A Cookie header's value: admitted when it holds a live session.
    Verdict Session(const std::string& cookieHeader) const;
    // The log-in form's password. When admitted, `setCookie` is the value of
    // the Set-Cookie header that starts the session (left empty when no
    // password is needed).
    Verdict LogIn(const std::string& password, const std::string& client, std::string& setCookie);
    // Ends the session a Cookie header names; the Set-Cookie value that
    // clears it in the browser.
    std::string LogOut(const std::string& cookieHeader);

    // How long `client` must wait before its next log-in counts (for a
    // Retry-After header); zero when it may try now.
    std::chrono::seconds RetryAfter(const std::string& client) const;

private:
    // Checks `password` against the hash for `client`, counting a failure.
    Verdict check(const std::string& password, const std::string& client);
    void rememberAdmitted(const std::string& digest);

    const std::string m_passwordHash;
    const Clock m_clock;
    const KeyedDigest m_digest;
    mutable std::mutex m_mutex;
    LoginThrottle m_throttle;
    mutable SessionTable m_sessions;
    // Digests of Basic headers that were let in, so a script's or browser's
    // every request does not pay for the slow hash again.
    std::unordered_set<std::string> m_admittedHeaders;
};

#endif
