#ifndef MORVA_VELOX_ADDRESS_H
#define MORVA_VELOX_ADDRESS_H

#include <wx/string.h>

#include <cstdint>

namespace morva_velox {

// Three-byte bus address of a unit or of the host. On the wire: the 16-bit
// part little-endian, then the 8-bit part.
struct Address {
    std::uint16_t word = 0;
    std::uint8_t byte = 0;

    static constexpr std::size_t WireSize = 3;

    static constexpr Address fromBytes(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2)
    {
        return Address{static_cast<std::uint16_t>(b0 | (b1 << 8)), b2};
    }
    static Address fromWire(const std::uint8_t* bytes)
    {
        return fromBytes(bytes[0], bytes[1], bytes[2]);
    }
    void toWire(std::uint8_t* bytes) const
    {
        bytes[0] = static_cast<std::uint8_t>(word & 0xFF);
        bytes[1] = static_cast<std::uint8_t>(word >> 8);
        bytes[2] = byte;
    }

    // The host's own address, 001.001.001.
    static constexpr Address host() { return fromBytes(1, 1, 1); }
    // The address every memory operation is sent to, 255.255.255.
    static constexpr Address broadcast() { return fromBytes(255, 255, 255); }
    // The address of the bus search request, 000.000.000.
    static constexpr Address none() { return fromBytes(0, 0, 0); }

    // "%03d.%03d.%03d" of the three wire bytes.
    wxString text() const;

    friend constexpr bool operator==(const Address& a, const Address& b)
    {
        return a.word == b.word && a.byte == b.byte;
    }
    friend constexpr bool operator!=(const Address& a, const Address& b) { return !(a == b); }
};

} // namespace morva_velox

#endif
