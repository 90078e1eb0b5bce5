#ifndef MORVA_VELOX_FRAME_H
#define MORVA_VELOX_FRAME_H

#include "buslib/protocol/address.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace morva_velox {

// A packet is a 14-byte header, optionally followed by a data block of N
// bytes and the 4-byte checksum of those bytes.
//
//   0..2  destination address      8..9   data length N (little-endian)
//   3..5  source address           10..13 checksum of bytes 0..9
//   6     command                  then   N data bytes + their checksum
//   7     data type
constexpr std::size_t HeaderSize = 14;
constexpr std::size_t ChecksumSize = 4;
// Room for a data block with its checksum, in either direction.
constexpr std::size_t BlockCapacity = 32 * 1024;

using Header = std::array<std::uint8_t, HeaderSize>;

namespace wire {
inline std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
        | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void putLe16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putLe32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
} // namespace wire

// Rotate-and-xor checksum over big-endian byte pairs; an odd length takes
// its first byte as the leftover.
std::uint32_t packetChecksum(const std::uint8_t* bytes, std::size_t n);

// A complete header, checksum included.
Header makeHeader(const Address& destination, const Address& source, std::uint8_t command,
                  std::uint8_t type, std::uint16_t dataLength);

// Writes the checksum of the first n bytes of block right after them and
// returns the block's length on the wire, n + 4.
std::size_t sealDataBlock(std::uint8_t* block, std::size_t n);

inline std::uint16_t headerDataLength(const std::uint8_t* header) { return wire::le16(header + 8); }
inline std::uint8_t headerCommand(const std::uint8_t* header) { return header[6]; }
inline std::uint8_t headerType(const std::uint8_t* header) { return header[7]; }
inline Address headerSource(const std::uint8_t* header) { return Address::fromWire(header + 3); }

// Checks a received answer: header checksum, data checksum (when a block of
// blockLength = N + 4 bytes was received), then the error command. Returns
// NoError for a good answer, else the failure's code.
std::uint32_t checkAnswer(const std::uint8_t* header, const std::uint8_t* block,
                          std::size_t blockLength);

// Value bytes (after the variable code) that an answer of this type carries,
// given its data length; -1 for a type the host cannot size.
int answerValueSize(std::uint8_t type, std::uint16_t dataLength);

// Value bytes of a write request of this type (textUnits: UTF-16 units of a
// wide text, terminator excluded); -1 for a type that cannot be written.
int writeValueSize(std::uint8_t type, std::size_t textUnits = 0);

} // namespace morva_velox

#endif
