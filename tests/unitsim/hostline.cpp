#include "tests/unitsim/hostline.h"

#include "buslib/protocol/datatypes.h"
#include "buslib/protocol/frame.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace unitsim_test {

using namespace morva_velox;
using Clock = std::chrono::steady_clock;

HostLine::HostLine(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC))
{
    EXPECT_GE(m_fd, 0) << "cannot open " << path << ": " << std::strerror(errno);
    termios tio{};
    if (m_fd >= 0 && tcgetattr(m_fd, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        tcsetattr(m_fd, TCSANOW, &tio);
    }
}

HostLine::~HostLine()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void HostLine::send(const Bytes& bytes) const
{
    ASSERT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

Bytes HostLine::receive(std::size_t count, std::chrono::milliseconds timeout) const
{
    const Clock::time_point deadline = Clock::now() + timeout;
    Bytes got;
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0 || !(fd.revents & POLLIN))
            break;
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0)
            break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

bool HostLine::seesHangUp(std::chrono::milliseconds timeout) const
{
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(timeout.count())) <= 0 || !(fd.revents & (POLLHUP | POLLERR)))
        return false;
    std::uint8_t byte = 0;
    return ::read(m_fd, &byte, 1) <= 0;
}

Bytes request(std::uint8_t command, std::uint8_t type, const Bytes& data)
{
    const Header h = makeHeader(Address::broadcast(), Address::host(), command, type,
                                static_cast<std::uint16_t>(data.size()));
    Bytes packet(h.begin(), h.end());
    if (!data.empty()) {
        packet.insert(packet.end(), data.begin(), data.end());
        packet.resize(packet.size() + ChecksumSize);
        sealDataBlock(packet.data() + HeaderSize, data.size());
    }
    return packet;
}

Bytes readRequest(std::uint8_t type, std::uint8_t variable) { return request(CommandRead, type, {variable}); }

Bytes writeWordRequest(std::uint8_t variable, std::uint16_t value)
{
    return request(CommandWrite, TypeWord,
                   {variable, static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
}

Bytes answer(std::uint8_t command, std::uint8_t type, const Bytes& data, const Address& source)
{
    const Header h = makeHeader(Address::host(), source, command, type, static_cast<std::uint16_t>(data.size()));
    Bytes packet(h.begin(), h.end());
    if (!data.empty()) {
        packet.insert(packet.end(), data.begin(), data.end());
        packet.resize(packet.size() + ChecksumSize);
        sealDataBlock(packet.data() + HeaderSize, data.size());
    }
    return packet;
}

Bytes errorAnswer(std::uint8_t variable, std::uint8_t code) { return answer(CommandError, TypeByte, {variable, code}); }

Bytes wordAnswer(std::uint8_t variable, std::uint16_t value)
{
    return answer(CommandRead, TypeWord,
                  {variable, static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)});
}

Bytes textAnswer(std::uint8_t variable, const Bytes& utf16WithTerminator)
{
    return answer(CommandRead, TypeWideText, Bytes{variable} + utf16WithTerminator);
}

Bytes writeAnswer() { return answer(CommandWrite, TypeWord, {}); }

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace unitsim_test
