#ifndef MORVA_SIM_REMOTEUNIT_H
#define MORVA_SIM_REMOTEUNIT_H

#include "tools/unitsim/faultrule.h"
#include "tools/unitsim/receivedrequest.h"
#include "tools/unitsim/unitmemory.h"

#include "buslib/protocol/datatypes.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace morva_sim {

// A simulated unit in another process (the morva_unit_sim program started
// with --control), driven through its control channel with the methods of
// SimulatedUnit. Constructing one resets that unit to the given memory, so
// a test starts from a new unit as it would with SimulatedUnit.
//
// Where the unit is comes from the environment: MORVA_UNIT_CONTROL, the
// control channel's TCP port on 127.0.0.1, and MORVA_UNIT_PORT, the name
// under which the host opens the unit's line (COM1 when not set).
class RemoteUnit {
public:
    // Throws std::runtime_error when the unit cannot be reached or refuses.
    explicit RemoteUnit(const UnitMemory& memory = {});
    RemoteUnit(const UnitMemory& memory, std::string portName, std::uint16_t controlPort);
    ~RemoteUnit();

    RemoteUnit(const RemoteUnit&) = delete;
    RemoteUnit& operator=(const RemoteUnit&) = delete;

    const std::string& portPath() const { return m_portName; }

    void setHasTableSelection(bool has);
    void setHasStatusVariable(bool has);
    void setStatusBusyPolls(int polls);
    void setVariable(std::uint8_t variable, morva_velox::DataType type, std::vector<std::uint8_t> value);
    void setAnswerLatency(std::chrono::milliseconds latency);
    void addFault(const FaultRule& rule);

    // The request bytes as the unit logged them; their times are not carried.
    std::vector<ReceivedRequest> requests() const;
    std::size_t requestCount() const;
    bool waitForRequests(std::size_t n, std::chrono::milliseconds timeout) const;
    void clearRequests();

private:
    class Connection;

    // Sends one command line and returns the answer's results (what follows
    // "ok"); throws std::runtime_error on an error answer.
    std::string command(const std::string& line) const;

    std::string m_portName;
    std::unique_ptr<Connection> m_connection;
};

} // namespace morva_sim

#endif
