#ifndef MORVA_PACKETTRACE_H
#define MORVA_PACKETTRACE_H

#include "buslib/protocol/serialportveloxprotocol.h"
#include "buslib/serial/pace.h"

#include <cstdint>
#include <fstream>
#include <string>

// Writes every packet to a file: time in ms, direction, bytes in hex.
class PacketTrace {
public:
    // The first line names the pace of the reads.
    PacketTrace(const std::string& path, morva_velox::Pace pace);
    bool good() const { return m_file.good(); }

    // The protocol's trace callback; valid while this trace lives.
    morva_velox::SerialPortVeloxProtocol::Trace function();

private:
    void write(morva_velox::SerialPortVeloxProtocol::TraceDirection direction, const std::uint8_t* bytes,
               std::size_t count);

    std::ofstream m_file;
    std::uint32_t m_start;
};

#endif
