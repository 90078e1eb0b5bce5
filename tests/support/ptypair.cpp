#include "ptypair.h"

#include <chrono>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace morva_test {

PtyPair::PtyPair()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        throw std::runtime_error("cannot open a pseudo-terminal");
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        throw std::runtime_error("cannot name the pseudo-terminal");
    m_slavePath = name;
    termios tio{};
    ::tcgetattr(m_master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_master, TCSANOW, &tio);
}

PtyPair::~PtyPair() { closeMaster(); }

void PtyPair::send(const std::vector<std::uint8_t>& bytes) const
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            throw std::runtime_error("pseudo-terminal write failed");
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PtyPair::receive(std::size_t count, int timeoutMs) const
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<std::uint8_t> out;
    while (out.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        std::uint8_t buf[4096];
        const ssize_t n = ::read(m_master, buf, std::min(sizeof buf, count - out.size()));
        if (n <= 0)
            break;
        out.insert(out.end(), buf, buf + n);
    }
    return out;
}

void PtyPair::closeMaster()
{
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

} // namespace morva_test
