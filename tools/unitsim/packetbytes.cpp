#include "tools/unitsim/packetbytes.h"

#include "buslib/protocol/datatypes.h"
#include "buslib/protocol/frame.h"

namespace morva_sim {

using namespace morva_velox;

Bytes makePacket(const Address& destination, const Address& source, std::uint8_t command,
                 std::uint8_t type, const Bytes& data)
{
    const Header header = makeHeader(destination, source, command, type,
                                     static_cast<std::uint16_t>(data.size()));
    Bytes packet(header.begin(), header.end());
    if (!data.empty()) {
        packet.insert(packet.end(), data.begin(), data.end());
        packet.resize(packet.size() + ChecksumSize);
        sealDataBlock(packet.data() + HeaderSize, data.size());
    }
    return packet;
}

Bytes makeErrorPacket(const Address& destination, std::uint8_t variable, std::uint8_t code)
{
    return makePacket(destination, Address::broadcast(), CommandError, TypeByte, {variable, code});
}

Bytes concatenate(const std::vector<Bytes>& packets)
{
    Bytes all;
    for (const Bytes& packet : packets)
        all.insert(all.end(), packet.begin(), packet.end());
    return all;
}

Bytes wideTextBytes(const wxString& text, std::size_t maxUnits)
{
    std::vector<std::uint16_t> units;
    for (const wxUniChar c : text) {
        const std::uint32_t code = c.GetValue();
        if (code > 0xFFFF) {
            const std::uint32_t v = code - 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 | (v >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 | (v & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(code));
        }
    }
    if (units.size() > maxUnits) {
        units.resize(maxUnits);
        // Never end on half of a surrogate pair.
        if (!units.empty() && (units.back() & 0xFC00) == 0xD800)
            units.pop_back();
    }
    units.push_back(0);

    Bytes bytes(units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i)
        wire::putLe16(bytes.data() + 2 * i, units[i]);
    return bytes;
}

} // namespace morva_sim
