#include "tools/unitsim/requestparser.h"

#include "buslib/protocol/frame.h"

namespace morva_sim {

using namespace morva_velox;

namespace {

bool headerChecksumGood(const std::uint8_t* header)
{
    return packetChecksum(header, 10) == wire::le32(header + 10);
}

std::size_t packetSize(const std::uint8_t* header)
{
    const std::size_t n = headerDataLength(header);
    return n == 0 ? HeaderSize : HeaderSize + n + ChecksumSize;
}

} // namespace

RequestParser::Result RequestParser::feed(const std::uint8_t* bytes, std::size_t count)
{
    m_pending.insert(m_pending.end(), bytes, bytes + count);
    Result result;
    while (m_pending.size() >= HeaderSize) {
        if (!headerChecksumGood(m_pending.data())) {
            m_pending.clear();
            result.headerCorrupted = true;
            break;
        }
        const std::size_t size = packetSize(m_pending.data());
        if (m_pending.size() < size)
            break;
        result.packets.emplace_back(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(size));
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(size));
    }
    return result;
}

bool dataChecksumGood(const Bytes& packet)
{
    if (packet.size() <= HeaderSize)
        return true;
    const std::size_t n = packet.size() - HeaderSize - ChecksumSize;
    const std::uint8_t* block = packet.data() + HeaderSize;
    return packetChecksum(block, n) == wire::le32(block + n);
}

} // namespace morva_sim
