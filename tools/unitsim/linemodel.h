#ifndef MORVA_SIM_LINEMODEL_H
#define MORVA_SIM_LINEMODEL_H

#include <chrono>
#include <cstddef>

namespace morva_sim {

// The timing of a serial line at a baud rate, 10 bits a byte (a start bit,
// eight data bits, a stop bit), one byte after the other. Baud 0 is an
// instant line: a pseudo-terminal as it is.
class LineModel {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr unsigned BitsPerByte = 10;

    explicit LineModel(unsigned baud = 0) : m_baud(baud) {}

    unsigned baud() const { return m_baud; }
    bool instant() const { return m_baud == 0; }

    // How long `bytes` take on the line.
    Clock::duration transferTime(std::size_t bytes) const;

    // `bytes` that the far end put on the line reached us at `now` (a
    // pseudo-terminal carries them at once): when the last of them has in
    // truth crossed the line, behind whatever came before.
    Clock::time_point receive(std::size_t bytes, Clock::time_point now);

    // How many bytes a sender hands over at once: about a millisecond's worth.
    std::size_t burstSize() const;

private:
    unsigned m_baud;
    Clock::time_point m_receivedUntil{};
};

} // namespace morva_sim

#endif
