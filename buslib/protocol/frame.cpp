#include "buslib/protocol/frame.h"

#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"

namespace morva_velox {

std::uint32_t packetChecksum(const std::uint8_t* bytes, std::size_t n)
{
    std::uint32_t h = 0;
    std::size_t i = 0;
    if (n % 2 != 0) {
        h = bytes[0];
        i = 1;
    }
    for (; i < n; i += 2) {
        h = (h << 5) | (h >> 27);
        h ^= static_cast<std::uint32_t>(bytes[i]) << 8 | bytes[i + 1];
    }
    return h;
}

Header makeHeader(const Address& destination, const Address& source, std::uint8_t command,
                  std::uint8_t type, std::uint16_t dataLength)
{
    Header h{};
    destination.toWire(h.data());
    source.toWire(h.data() + 3);
    h[6] = command;
    h[7] = type;
    wire::putLe16(h.data() + 8, dataLength);
    wire::putLe32(h.data() + 10, packetChecksum(h.data(), 10));
    return h;
}

std::size_t sealDataBlock(std::uint8_t* block, std::size_t n)
{
    wire::putLe32(block + n, packetChecksum(block, n));
    return n + ChecksumSize;
}

namespace {

// The codes a unit may send in an error answer.
bool isUnitErrorCode(std::uint32_t code)
{
    switch (code) {
    case UnsupportedCommand:
    case UnsupportedDataFormat:
    case HeaderCorrupted:
    case UnknownVariable:
    case BusyCannotAnswer:
    case BusyWillAnswerLater:
    case DataCorrupted:
    case WrongRedirect:
    case UnknownError: return true;
    default: return false;
    }
}

} // namespace

std::uint32_t checkAnswer(const std::uint8_t* header, const std::uint8_t* block,
                          std::size_t blockLength)
{
    if (packetChecksum(header, 10) != wire::le32(header + 10))
        return HeaderCorrupted;
    std::size_t n = 0;
    if (blockLength >= ChecksumSize) {
        n = blockLength - ChecksumSize;
        if (packetChecksum(block, n) != wire::le32(block + n))
            return DataCorrupted;
    }
    if (headerCommand(header) == CommandError) {
        // An error answer without its code byte, or with a code that is not
        // one of the unit's (0 included), still reports a failure.
        const std::uint32_t code = n >= 2 ? block[1] : std::uint32_t{UnknownError};
        return isUnitErrorCode(code) ? code : std::uint32_t{UnknownError};
    }
    return NoError;
}

int answerValueSize(std::uint8_t type, std::uint16_t dataLength)
{
    switch (type) {
    case TypeByte:
    case TypeText8:
    case TypeWideText: return dataLength > 0 ? dataLength - 1 : 0;
    case TypeWord: return 2;
    case TypeLong:
    case TypeLSingle:
    case TypeFloat: return 4;
    case TypeQuad: return 8;
    default: return -1;
    }
}

int writeValueSize(std::uint8_t type, std::size_t textUnits)
{
    switch (type) {
    case TypeByte: return 1;
    case TypeWord: return 2;
    case TypeLong:
    case TypeLSingle:
    case TypeFloat: return 4;
    case TypeQuad: return 8;
    case TypeAddress: return 3;
    case TypeWideText: return static_cast<int>(2 * (textUnits + 1));
    default: return -1;
    }
}

} // namespace morva_velox
