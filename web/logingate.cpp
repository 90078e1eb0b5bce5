#include "web/logingate.h"

#include "web/base64.h"
#include "web/passwordhash.h"
#include "web/secrettext.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

namespace {

// So many Basic headers are remembered at most.
constexpr std::size_t MostAdmittedHeaders = 64;
// Longer headers or cookies are no log-in of ours.
constexpr std::size_t LongestCredentials = 4096;

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The password in an Authorization header's value; false when it is no
// well-formed Basic credential.
bool BasicPassword(const std::string& header, std::string& password)
{
    const std::string scheme = "Basic ";
    if (header.size() > LongestCredentials || !StartsWithNoCase(header, scheme))
        return false;
    SecretText decoded;
    if (!DecodeBase64(Trimmed(header.substr(scheme.size())), decoded.text()))
        return false;
    const auto colon = decoded.text().find(':');
    if (colon == std::string::npos)
        return false;
    password.assign(decoded.text(), colon + 1);
    return true;
}

// The well-formed session tokens a Cookie header's value holds.
std::vector<std::string> SessionTokens(const std::string& header)
{
    std::vector<std::string> tokens;
    if (header.size() > LongestCredentials)
        return tokens;
    const std::string name = std::string(LoginGate::CookieName) + "=";
    std::size_t start = 0;
    while (start <= header.size()) {
        const auto end = std::min(header.find(';', start), header.size());
        const std::string cookie = Trimmed(header.substr(start, end - start));
        if (cookie.compare(0, name.size(), name) == 0) {
            std::string token = cookie.substr(name.size());
            if (token.size() == 64 && token.find_first_not_of("0123456789abcdef") == std::string::npos)
                tokens.push_back(std::move(token));
        }
        start = end + 1;
    }
    return tokens;
}

std::string CookieAttributes()
{
    return "; Path=/; HttpOnly; Secure; SameSite=Strict";
}

} // namespace

const char* const LoginGate::CookieName = "morva_session";

LoginGate::LoginGate(std::string passwordHash, Clock clock)
    : m_passwordHash(std::move(passwordHash)), m_clock(std::move(clock))
{
}

LoginGate::Verdict LoginGate::Basic(const std::string& authorizationHeader, const std::string& client)
{
    if (!NeedsPassword())
        return Verdict::Admitted;
    SecretText password;
    if (!BasicPassword(authorizationHeader, password.text()))
        return Verdict::Refused;
    const std::string digest = m_digest(authorizationHeader);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_throttle.RetryAfter(client, m_clock()) > std::chrono::seconds::zero())
            return Verdict::Throttled;
        if (m_admittedHeaders.count(digest)) {
            m_throttle.Succeeded(client);
            return Verdict::Admitted;
        }
    }
    const Verdict verdict = check(password.text(), client);
    if (verdict == Verdict::Admitted)
        rememberAdmitted(digest);
    return verdict;
}

LoginGate::Verdict LoginGate::Session(const std::string& cookieHeader) const
{
    if (!NeedsPassword())
        return Verdict::Admitted;
    const std::vector<std::string> tokens = SessionTokens(cookieHeader);
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto now = m_clock();
    for (const std::string& token : tokens) {
        if (m_sessions.Use(token, now))
            return Verdict::Admitted;
    }
    return Verdict::Refused;
}

LoginGate::Verdict LoginGate::LogIn(const std::string& password, const std::string& client, std::string& setCookie)
{
    setCookie.clear();
    if (!NeedsPassword())
        return Verdict::Admitted;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_throttle.RetryAfter(client, m_clock()) > std::chrono::seconds::zero())
            return Verdict::Throttled;
    }
    const Verdict verdict = check(password, client);
    if (verdict == Verdict::Admitted) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        setCookie = std::string(CookieName) + "=" + m_sessions.Open(m_clock()) + CookieAttributes();
    }
    return verdict;
}

std::string LoginGate::LogOut(const std::string& cookieHeader)
{
    const std::vector<std::string> tokens = SessionTokens(cookieHeader);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (const std::string& token : tokens)
            m_sessions.Close(token);
    }
    return std::string(CookieName) + "=; Max-Age=0" + CookieAttributes();
}

std::chrono::seconds LoginGate::RetryAfter(const std::string& client) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_throttle.RetryAfter(client, m_clock());
}

LoginGate::Verdict LoginGate::check(const std::string& password, const std::string& client)
{
    // The slow hash runs unlocked: other requests go on meanwhile.
    const bool matches = password.size() <= LongestCredentials && PasswordMatches(password, m_passwordHash);
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (matches) {
        m_throttle.Succeeded(client);
        return Verdict::Admitted;
    }
    m_throttle.Failed(client, m_clock());
    return Verdict::Refused;
}

void LoginGate::rememberAdmitted(const std::string& digest)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_admittedHeaders.size() >= MostAdmittedHeaders)
        m_admittedHeaders.clear();
    m_admittedHeaders.insert(digest);
}
