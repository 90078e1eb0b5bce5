#include "tools/unitsim/faultrule.h"

#include "buslib/protocol/frame.h"

#include <algorithm>

namespace morva_sim {

using namespace morva_velox;

namespace {

void invert(Bytes& bytes, std::size_t from, std::size_t count)
{
    for (std::size_t i = from; i < from + count && i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
}

Bytes hugeLengthHeader(const Bytes& packet)
{
    Bytes header(packet.begin(), packet.begin() + HeaderSize);
    wire::putLe16(header.data() + 8, 0xFFFF);
    wire::putLe32(header.data() + 10, packetChecksum(header.data(), 10));
    return header;
}

} // namespace

Bytes Fault::spoil(const std::vector<Bytes>& answers) const
{
    if (answers.empty() || kind == Kind::Silence)
        return {};
    std::vector<Bytes> packets = answers;
    Bytes& first = packets.front();
    const auto blockBegin = first.begin() + HeaderSize;

    switch (kind) {
    case Kind::PartialHeader:
        return Bytes(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(std::min(count, HeaderSize)));
    case Kind::BadHeaderChecksum:
        invert(first, HeaderSize - ChecksumSize, ChecksumSize);
        break;
    case Kind::BadDataChecksum:
        if (first.size() > HeaderSize)
            invert(first, first.size() - ChecksumSize, ChecksumSize);
        break;
    case Kind::HugeLength: {
        Bytes spoilt = hugeLengthHeader(first);
        spoilt.insert(spoilt.end(), blockBegin, first.end());
        return spoilt;
    }
    case Kind::StaleBytesBefore:
        packets.insert(packets.begin(), bytes);
        break;
    case Kind::TruncatedData: {
        const std::size_t kept = std::min(count, first.size() - HeaderSize);
        return Bytes(first.begin(), blockBegin + static_cast<std::ptrdiff_t>(kept));
    }
    case Kind::Silence:
    case Kind::ErrorAnswer:
    case Kind::Latency:
        break;
    }
    return concatenate(packets);
}

FaultRule FaultRule::onRequest(std::size_t index, Fault fault)
{
    FaultRule rule;
    rule.fault = std::move(fault);
    rule.requestIndex = index;
    return rule;
}

FaultRule FaultRule::onCommand(std::uint8_t command, Fault fault)
{
    FaultRule rule;
    rule.fault = std::move(fault);
    rule.command = command;
    return rule;
}

FaultRule FaultRule::onVariable(std::uint8_t variable, Fault fault)
{
    FaultRule rule;
    rule.fault = std::move(fault);
    rule.variable = variable;
    return rule;
}

bool FaultRule::matches(std::size_t index, const Bytes& request) const
{
    if (requestIndex && *requestIndex != index)
        return false;
    if (command && *command != headerCommand(request.data()))
        return false;
    if (variable && (request.size() <= HeaderSize || request[HeaderSize] != *variable))
        return false;
    return true;
}

void FaultRule::use()
{
    if (times > 0)
        --times;
}

} // namespace morva_sim
