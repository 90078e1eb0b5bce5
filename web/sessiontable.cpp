#include "web/sessiontable.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace {

constexpr std::size_t TokenBytes = 32;

std::string Hex(const unsigned char* bytes, std::size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0xf];
    }
    return text;
}

} // namespace

SessionTable::SessionTable(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

std::string SessionTable::Open(TimePoint now)
{
    unsigned char bytes[TokenBytes];
    if (RAND_bytes(bytes, sizeof bytes) != 1)
        throw std::runtime_error("no random bytes for a session");
    std::string token = Hex(bytes, sizeof bytes);
    OPENSSL_cleanse(bytes, sizeof bytes);
    if (m_lastUse.size() >= m_capacity)
        makeRoom(now);
    m_lastUse[m_digest(token)] = now;
    return token;
}

bool SessionTable::Use(const std::string& token, TimePoint now)
{
    const auto found = m_lastUse.find(m_digest(token));
    if (found == m_lastUse.end())
        return false;
    if (now - found->second >= IdleLimit) {
        m_lastUse.erase(found);
        return false;
    }
    found->second = std::max(found->second, now);
    return true;
}

void SessionTable::Close(const std::string& token)
{
    m_lastUse.erase(m_digest(token));
}

void SessionTable::makeRoom(TimePoint now)
{
    for (auto it = m_lastUse.begin(); it != m_lastUse.end();)
        it = now - it->second >= IdleLimit ? m_lastUse.erase(it) : std::next(it);
    if (m_lastUse.size() < m_capacity)
        return;
    const auto oldest = std::min_element(m_lastUse.begin(), m_lastUse.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; });
    m_lastUse.erase(oldest);
}
