// The host's end of the line to a simulated unit, with plain termios, and
// the packets the tests send and expect.
#ifndef MORVA_SIM_TEST_HOSTLINE_H
#define MORVA_SIM_TEST_HOSTLINE_H

#include "buslib/protocol/address.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace unitsim_test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Generous: the tests also run under the sanitizers on a busy machine.
constexpr std::chrono::milliseconds AnswerTimeout = 3000ms;

class HostLine {
public:
    // Opens the port in raw mode; fails the test when it cannot.
    explicit HostLine(const std::string& path);
    ~HostLine();
    HostLine(const HostLine&) = delete;
    HostLine& operator=(const HostLine&) = delete;

    void send(const Bytes& bytes) const;
    // Up to count bytes, fewer when the timeout passes first.
    Bytes receive(std::size_t count, std::chrono::milliseconds timeout = AnswerTimeout) const;
    // Waits for the other end to go away.
    bool seesHangUp(std::chrono::milliseconds timeout = AnswerTimeout) const;

private:
    int m_fd = -1;
};

// A request from the host 001.001.001 to the unit 255.255.255.
Bytes request(std::uint8_t command, std::uint8_t type, const Bytes& data);
Bytes readRequest(std::uint8_t type, std::uint8_t variable);
Bytes writeWordRequest(std::uint8_t variable, std::uint16_t value);

// An answer of the unit 255.255.255 (or of a point) to the host.
Bytes answer(std::uint8_t command, std::uint8_t type, const Bytes& data,
             const morva_velox::Address& source = morva_velox::Address::broadcast());
Bytes errorAnswer(std::uint8_t variable, std::uint8_t code);
Bytes wordAnswer(std::uint8_t variable, std::uint16_t value);
Bytes textAnswer(std::uint8_t variable, const Bytes& utf16WithTerminator);
Bytes writeAnswer();

Bytes operator+(Bytes a, const Bytes& b);

} // namespace unitsim_test

#endif
