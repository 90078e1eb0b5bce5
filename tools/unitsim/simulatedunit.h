#ifndef MORVA_SIM_SIMULATEDUNIT_H
#define MORVA_SIM_SIMULATEDUNIT_H

#include "tools/unitsim/faultrule.h"
#include "tools/unitsim/filedescriptor.h"
#include "tools/unitsim/linemodel.h"
#include "tools/unitsim/pseudoterminal.h"
#include "tools/unitsim/receivedrequest.h"
#include "tools/unitsim/statusentry.h"
#include "tools/unitsim/unitmemory.h"
#include "tools/unitsim/unitresponder.h"

#include "buslib/protocol/address.h"
#include "buslib/protocol/datatypes.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace morva_sim {

// A measuring unit on the far end of a pseudo-terminal. The host opens
// portPath() as its serial port (as often as it likes) and talks the bus
// protocol; the unit answers from its memory on a thread of its own until
// it is unplugged or destroyed. Behaviour switches and scripted faults may
// be changed while it serves; every request is logged for inspection.
class SimulatedUnit {
public:
    using Clock = std::chrono::steady_clock;

    // Throws std::system_error when no pseudo-terminal can be had.
    explicit SimulatedUnit(UnitMemory memory = {});
    ~SimulatedUnit();

    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    // The slave side, e.g. /dev/pts/7.
    const std::string& portPath() const { return m_portPath; }

    // Stops serving and closes the pseudo-terminal: the host sees a hang-up.
    void unplug();

    // false: every selection of a table is answered "Unknown variable" and
    // the memory is read as its table 0 alone.
    void setHasTableSelection(bool has);
    // false: every read of the record status is answered "Unknown variable".
    void setHasStatusVariable(bool has);
    // After each record selection the status reads 2 (busy) for this many
    // polls, then 0; a negative count: the record never gets ready.
    void setStatusBusyPolls(int polls);
    // The points that answer a bus search, in the order they answer.
    void setSearchAnswers(std::vector<morva_velox::Address> points);
    // A variable of the unit beyond its memory variables: reads give this
    // type and value; writes replace them.
    void setVariable(std::uint8_t variable, morva_velox::DataType type, std::vector<std::uint8_t> value);
    // The point's status table: 250 its size, a write of i to 251 selects
    // entry i, then 251 reads its text and 249 its message kind.
    void setStatusTable(std::vector<StatusEntry> entries);
    // Every answer this much late.
    void setAnswerLatency(std::chrono::milliseconds latency);
    // A line with a speed: each request is taken in, and each answer sent,
    // no faster than `baud` allows at 10 bits a byte. 0, as at
    // construction: the instant line of the pseudo-terminal.
    void setLineBaud(unsigned baud);
    // The host behind a USB serial adapter whose latency timer is `timer`:
    // the answers' bytes reach it 62 at a time, the rest when the timer has
    // run out since the last byte. 0, as at construction: no adapter.
    void setAdapterTimer(std::chrono::milliseconds timer);
    void addFault(const FaultRule& rule);
    // Starts over as a new unit with this memory: the switches as at
    // construction, no faults, no latency, an instant line without an
    // adapter, an empty request log.
    void reset(UnitMemory memory);

    // The requests received since the start or the last clearRequests(), in
    // order. Input thrown away for a bad header checksum is not a request.
    std::vector<ReceivedRequest> requests() const;
    std::size_t requestCount() const;
    // Waits until at least n requests have been logged.
    bool waitForRequests(std::size_t n, std::chrono::milliseconds timeout) const;
    void clearRequests();

    UnitMemory memory() const;

private:
    // What goes on the line for one request, how late, and how fast.
    struct Reaction {
        std::chrono::milliseconds delay{0};
        Bytes bytes;
        LineModel line;
    };

    void stop();
    void serve();
    // When the bytes just read have crossed the line.
    Clock::time_point received(std::size_t bytes);
    // Answers a request whose last byte crossed the line at `arrived`.
    // False when the unit was told to stop meanwhile.
    bool handle(const Bytes& request, Clock::time_point arrived);
    Reaction react(const Bytes& request);
    FaultRule* matchingFault(std::size_t index, const Bytes& request);
    void discardPendingInput() const;
    // Waits on the stop signal until `deadline` (time_point::max(): for
    // good); false when the signal came.
    bool pauseUntil(Clock::time_point deadline) const;
    // Puts the bytes on the line no faster than it carries them; false when
    // the unit was told to stop meanwhile.
    bool send(const Bytes& bytes, const LineModel& line) const;
    bool writeAll(const std::uint8_t* bytes, std::size_t count) const;

    PseudoTerminal m_pty;
    std::string m_portPath;
    FileDescriptor m_stopSignal;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_requestLogged;
    UnitResponder m_responder;
    std::vector<FaultRule> m_faults;
    std::vector<ReceivedRequest> m_requests;
    std::chrono::milliseconds m_latency{0};
    LineModel m_line;

    std::thread m_thread;
};

} // namespace morva_sim

#endif
