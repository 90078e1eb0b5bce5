#ifndef MORVA_SIM_LINEMODEL_H
#define MORVA_SIM_LINEMODEL_H

#include <chrono>
#include <cstddef>
#include <vector>

namespace morva_sim {

// The timing of a serial line at a baud rate, 10 bits a byte (a start bit,
// eight data bits, a stop bit), one byte after the other. Baud 0 is an
// instant line: a pseudo-terminal as it is.
//
// The host may sit behind a USB serial adapter with a latency timer: the
// adapter holds the bytes that reach it until a packet's worth has
// gathered or the timer has run out since the last of them. Timer 0: no
// adapter, each byte goes on as it crosses.
class LineModel {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr unsigned BitsPerByte = 10;
    // The data bytes of a USB packet of 64 bytes, two of which carry the
    // adapter's status (FTDI).
    static constexpr std::size_t AdapterPacketBytes = 62;

    explicit LineModel(unsigned baud = 0, unsigned adapterTimerMs = 0)
        : m_baud(baud), m_adapterTimer(adapterTimerMs)
    {
    }

    unsigned baud() const { return m_baud; }
    bool instant() const { return m_baud == 0; }
    unsigned adapterTimerMs() const { return static_cast<unsigned>(m_adapterTimer.count()); }

    // How long `bytes` take on the line.
    Clock::duration transferTime(std::size_t bytes) const;

    // `bytes` that the far end put on the line reached us at `now` (a
    // pseudo-terminal carries them at once): when the last of them has in
    // truth crossed the line, behind whatever came before.
    Clock::time_point receive(std::size_t bytes, Clock::time_point now);

    // How many bytes a sender hands over at once: about a millisecond's worth.
    std::size_t burstSize() const;

    // The host gets the first `bytes` bytes of a send `after` its start.
    struct Handover {
        std::size_t bytes;
        Clock::duration after;
    };
    // When the host gets the bytes of one send of `count` bytes, in order;
    // the last hands over all of them. Without an adapter, in bursts as they
    // cross; behind one, a packet's worth at a time, and the rest when the
    // timer runs out.
    std::vector<Handover> handovers(std::size_t count) const;

private:
    std::vector<Handover> adapterHandovers(std::size_t count) const;

    unsigned m_baud;
    std::chrono::milliseconds m_adapterTimer;
    Clock::time_point m_receivedUntil{};
};

} // namespace morva_sim

#endif
