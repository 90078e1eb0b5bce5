#ifndef MORVA_SIM_REQUESTPARSER_H
#define MORVA_SIM_REQUESTPARSER_H

#include "tools/unitsim/packetbytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morva_sim {

// Cuts the byte stream from the host into request packets: a 14-byte
// header, then, when its data length N is not 0, N data bytes and their
// 4-byte checksum. There is nothing to resynchronise on but the header
// checksum: a header whose checksum is wrong throws away everything
// pending.
class RequestParser {
public:
    struct Result {
        std::vector<Bytes> packets;     // complete packets with a good header, in order
        bool headerCorrupted = false;   // pending input was thrown away
    };

    Result feed(const std::uint8_t* bytes, std::size_t count);

    // Part of a packet is waiting for the rest.
    bool hasPartialPacket() const { return !m_pending.empty(); }
    void discard() { m_pending.clear(); }

private:
    Bytes m_pending;
};

// True when the packet's data block (if any) matches its checksum.
bool dataChecksumGood(const Bytes& packet);

} // namespace morva_sim

#endif
