#ifndef MORVA_SIM_RECEIVEDREQUEST_H
#define MORVA_SIM_RECEIVEDREQUEST_H

#include "buslib/protocol/frame.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace morva_sim {

// A request packet as the unit received it: header, data block and data
// checksum, and when its last byte was read.
struct ReceivedRequest {
    std::vector<std::uint8_t> bytes;
    std::chrono::steady_clock::time_point time;

    std::uint8_t command() const { return morva_velox::headerCommand(bytes.data()); }
    std::uint8_t type() const { return morva_velox::headerType(bytes.data()); }
    // Data byte 0, when the request has a data block.
    std::optional<std::uint8_t> variable() const
    {
        if (bytes.size() <= morva_velox::HeaderSize)
            return std::nullopt;
        return bytes[morva_velox::HeaderSize];
    }
};

} // namespace morva_sim

#endif
