#ifndef MORVA_SIM_PACKETBYTES_H
#define MORVA_SIM_PACKETBYTES_H

#include "buslib/protocol/address.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morva_sim {

using Bytes = std::vector<std::uint8_t>;

// A whole packet: header, and when data is not empty the data block with
// its checksum.
Bytes makePacket(const morva_velox::Address& destination, const morva_velox::Address& source,
                 std::uint8_t command, std::uint8_t type, const Bytes& data);

// The unit's error answer to a request from destination: command 3, data
// [variable, code].
Bytes makeErrorPacket(const morva_velox::Address& destination, std::uint8_t variable,
                      std::uint8_t code);

// The packets one after another, as they go on the line.
Bytes concatenate(const std::vector<Bytes>& packets);

// UTF-16LE units of the text (characters beyond the basic plane as
// surrogate pairs) and a terminating zero unit. At most maxUnits units
// are taken before the terminator.
Bytes wideTextBytes(const wxString& text, std::size_t maxUnits);

} // namespace morva_sim

#endif
