#include "buslib/protocol/serialportveloxprotocol.h"

#include "buslib/protocol/lsingle.h"
#include "buslib/serial/platform.h"

#include <wx/strconv.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

namespace morva_velox {

#define ENGINE_FAIL(code) fail((code), __FILE__, __LINE__)

namespace utf16 {

wxString decode(const std::uint8_t* bytes, std::size_t units)
{
    std::wstring out;
    out.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint16_t u = wire::le16(bytes + 2 * i);
        if (u == 0)
            break;
        if constexpr (sizeof(wchar_t) == 2) {
            out.push_back(static_cast<wchar_t>(u));
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const std::uint16_t low = wire::le16(bytes + 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
                ++i;
            } else {
                out.push_back(L'\uFFFD');
            }
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out.push_back(L'\uFFFD');
        } else {
            out.push_back(static_cast<wchar_t>(u));
        }
    }
    return wxString(out);
}

std::size_t encode(const wxString& text, std::uint8_t* out, std::size_t maxUnits)
{
    std::size_t n = 0;
    auto put = [&](std::uint32_t unit) {
        if (n < maxUnits)
            wire::putLe16(out + 2 * n, static_cast<std::uint16_t>(unit));
        ++n;
    };
    const std::wstring wide = text.ToStdWstring();
    for (const wchar_t c : wide) {
        const auto cp = static_cast<std::uint32_t>(c);
        if (sizeof(wchar_t) == 4 && cp > 0xFFFF) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        if (n > maxUnits)
            return maxUnits + 1;
    }
    return n;
}

} // namespace utf16

SerialPortVeloxProtocol::SerialPortVeloxProtocol(const std::string& portName, bool slow, int baud,
                                                 int parity, int byteSize, int stopBits)
    : m_timeoutBase(slow ? SlowTimeoutBaseMs : TimeoutBaseMs)
{
    setLastError(NoError);
    open(portName, baud, parity, byteSize, stopBits);
    m_reading = false;
}

SerialPortVeloxProtocol::SerialPortVeloxProtocol(const std::string& portName, bool slow)
    : SerialPortVeloxProtocol(portName, slow, 9600, 'N', 8, 0)
{
}

SerialPortVeloxProtocol::~SerialPortVeloxProtocol() = default;

void SerialPortVeloxProtocol::fail(std::uint32_t code, const char* file, int line)
{
    setLastError(static_cast<int>(code));
    throw Exception(file, line, code);
}

void SerialPortVeloxProtocol::trace(TraceDirection direction, const std::uint8_t* bytes,
                                    std::size_t count) const
{
    if (!m_trace || count == 0)
        return;
    if (!m_noteTraced) {
        m_noteTraced = true;
        const std::string note = latencyNote(latencyState());
        m_trace(TraceDirection::Note, reinterpret_cast<const std::uint8_t*>(note.data()), note.size());
    }
    m_trace(direction, bytes, count);
}

void SerialPortVeloxProtocol::transact(const std::uint8_t* header, const std::uint8_t* block,
                                       int blockLength)
{
    sendRequest(header, block, blockLength);
    receiveAnswer();
}

void SerialPortVeloxProtocol::sendRequest(const std::uint8_t* header, const std::uint8_t* block,
                                          int blockLength)
{
    m_lastHeader = header;
    m_lastBlock = block;
    m_lastBlockLength = blockLength;
    setLastError(NoError);
    clearErrors();
    // Whatever is still in the input (a late or broken answer to an earlier
    // attempt) would shift every later header: drop it before asking.
    purgePort();
    write(header, static_cast<int>(HeaderSize));
    trace(TraceDirection::Sent, header, HeaderSize);
    if (block && blockLength > 0) {
        write(block, blockLength);
        trace(TraceDirection::Sent, block, static_cast<std::size_t>(blockLength));
    }
}

void SerialPortVeloxProtocol::receiveAnswer()
{
    for (int attempt = 1;; ++attempt) {
        try {
            receiveOnce();
            return;
        } catch (const Exception&) {
            if (attempt >= MaxAttempts || isAborted())
                throw;
            // The rest of a spoilt answer may still be on its way: give it
            // the design pace's pause before the input is purged for the
            // resend, so that it cannot spoil the next answer in turn.
            if (pace() == Pace::Line)
                pauseMs(SerialPort::ReadPauseMs);
            sendRequest(m_lastHeader, m_lastBlock, m_lastBlockLength);
        }
    }
}

void SerialPortVeloxProtocol::receiveSingleAnswer() { receiveOnce(); }

void SerialPortVeloxProtocol::receiveOnce()
{
    setLastError(NoError);
    m_rxBlockLength = 0;
    readExactly(m_rxHeader.data(), HeaderSize);
    // A header that fails its checksum carries no trustworthy length: do not
    // wait for a data block that may never come.
    if (packetChecksum(m_rxHeader.data(), 10) != wire::le32(m_rxHeader.data() + 10))
        ENGINE_FAIL(HeaderCorrupted);
    const std::size_t n = headerDataLength(m_rxHeader.data());
    if (n != 0) {
        if (n + ChecksumSize > m_rxData.size()) {
            purgePort();
            ENGINE_FAIL(BufferOverflow);
        }
        readExactly(m_rxData.data(), n + ChecksumSize);
        m_rxBlockLength = n + ChecksumSize;
    }
    const std::uint32_t code = checkAnswer(m_rxHeader.data(), m_rxData.data(), m_rxBlockLength);
    if (code != NoError)
        ENGINE_FAIL(code);
}

void SerialPortVeloxProtocol::readExactly(std::uint8_t* buffer, std::size_t count)
{
    const std::uint32_t start = platform::tickCount();
    std::size_t received = 0;
    do {
        const std::uint32_t elapsed = platform::tickCount() - start;
        if (elapsed > m_timeoutBase + count || isAborted())
            ENGINE_FAIL(received == 0 ? NoAnswer : NotAllDataReceived);
        m_readStartTick = platform::tickCount();
        m_reading = true;
        const int got = readPort(buffer + received, static_cast<int>(count - received));
        m_reading = false;
        trace(TraceDirection::Received, buffer + received, static_cast<std::size_t>(got));
        received += static_cast<std::size_t>(got);
    } while (received < count);
}

int SerialPortVeloxProtocol::readPort(std::uint8_t* buffer, int count)
{
    return read(buffer, count);
}

void SerialPortVeloxProtocol::purgePort() { purgeInput(); }

void SerialPortVeloxProtocol::pauseMs(unsigned milliseconds) { platform::sleepMs(milliseconds); }

SerialPortVeloxProtocol::AnswerValue
SerialPortVeloxProtocol::readVariableBytes(const Address& unit, std::uint8_t type,
                                           std::uint8_t variable)
{
    const Header header = makeHeader(unit, m_ownAddress, CommandRead, type, 1);
    std::uint8_t block[1 + ChecksumSize] = {variable};
    sealDataBlock(block, 1);
    transact(header.data(), block, sizeof block);

    const std::uint8_t answerType = headerType(m_rxHeader.data());
    const std::uint16_t n = headerDataLength(m_rxHeader.data());
    const int size = answerValueSize(answerType, n);
    if (size < 0)
        ENGINE_FAIL(UnsupportedDataFormat);
    const std::size_t available = n > 0 ? n - 1u : 0u;
    if (static_cast<std::size_t>(size) > available)
        ENGINE_FAIL(BufferUnderflow);
    return AnswerValue{answerType, m_rxData.data() + 1, static_cast<std::size_t>(size)};
}

std::uint8_t SerialPortVeloxProtocol::readByte(const Address& unit, std::uint8_t variable)
{
    const AnswerValue v = readVariableBytes(unit, TypeByte, variable);
    // Only the first byte is the value; an answer without one is refused.
    if (v.size < 1)
        ENGINE_FAIL(BufferUnderflow);
    return v.data[0];
}

std::uint16_t SerialPortVeloxProtocol::readWord(const Address& unit, std::uint8_t variable)
{
    const AnswerValue v = readVariableBytes(unit, TypeWord, variable);
    std::uint8_t bytes[2] = {0, 0};
    std::memcpy(bytes, v.data, std::min<std::size_t>(v.size, 2));
    return wire::le16(bytes);
}

wxString SerialPortVeloxProtocol::textValue(const AnswerValue& v)
{
    if (v.type == TypeText8)
        return wxString(reinterpret_cast<const char*>(v.data), wxConvISO8859_1,
                        std::find(v.data, v.data + v.size, 0) - v.data);
    if (v.type != TypeWideText)
        ENGINE_FAIL(UnsupportedDataFormat);
    const std::size_t units = v.size / 2;
    std::size_t length = 0;
    while (length < units && wire::le16(v.data + 2 * length) != 0)
        ++length;
    // The text and its terminator must fit the text buffer.
    if (v.size > 2 * TextCapacity || length >= TextCapacity)
        ENGINE_FAIL(BufferOverflow);
    return utf16::decode(v.data, length);
}

wxString SerialPortVeloxProtocol::readText(const Address& unit, std::uint8_t variable)
{
    return textValue(readVariableBytes(unit, TypeWideText, variable));
}

Value SerialPortVeloxProtocol::readVariable(const Address& unit, std::uint8_t type,
                                            std::uint8_t variable)
{
    const AnswerValue v = readVariableBytes(unit, type, variable);
    switch (v.type) {
    case TypeByte:
        if (v.size == 1)
            return Value(static_cast<unsigned char>(v.data[0]));
        return Value(ByteBlock(v.data, v.data + v.size));
    case TypeText8:
    case TypeWideText: return Value(textValue(v));
    case TypeWord: return Value(wire::le16(v.data));
    case TypeLong: return Value(static_cast<std::int32_t>(wire::le32(v.data)));
    case TypeLSingle: return Value(LSingle{wire::le32(v.data)});
    case TypeFloat: {
        float f;
        const std::uint32_t bits = wire::le32(v.data);
        std::memcpy(&f, &bits, sizeof f);
        return Value(f);
    }
    case TypeQuad: return Value(Quad{wire::le32(v.data), wire::le32(v.data + 4)});
    default: ENGINE_FAIL(UnsupportedDataFormat);
    }
}

void SerialPortVeloxProtocol::writeValue(const Address& unit, std::uint8_t type,
                                         std::uint8_t variable, const std::uint8_t* value,
                                         std::size_t size)
{
    const std::size_t n = 1 + size;
    if (n + ChecksumSize > m_txData.size())
        ENGINE_FAIL(BufferOverflow);
    m_txData[0] = variable;
    std::memcpy(m_txData.data() + 1, value, size);
    const std::size_t blockLength = sealDataBlock(m_txData.data(), n);
    const Header header
        = makeHeader(unit, m_ownAddress, CommandWrite, type, static_cast<std::uint16_t>(n));
    transact(header.data(), m_txData.data(), static_cast<int>(blockLength));
}

void SerialPortVeloxProtocol::writeVariable(const Address& unit, std::uint8_t type,
                                            std::uint8_t variable, const Value& value)
{
    std::uint8_t bytes[8] = {};
    switch (type) {
    case TypeByte:
        bytes[0] = boost::any_cast<unsigned char>(value);
        return writeValue(unit, type, variable, bytes, 1);
    case TypeWord:
        wire::putLe16(bytes, boost::any_cast<std::uint16_t>(value));
        return writeValue(unit, type, variable, bytes, 2);
    case TypeLong:
        wire::putLe32(bytes, static_cast<std::uint32_t>(boost::any_cast<std::int32_t>(value)));
        return writeValue(unit, type, variable, bytes, 4);
    case TypeLSingle:
        wire::putLe32(bytes, boost::any_cast<LSingle>(value).pattern & 0xFFFFu);
        return writeValue(unit, type, variable, bytes, 4);
    case TypeFloat: {
        const float f = boost::any_cast<float>(value);
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        wire::putLe32(bytes, bits);
        return writeValue(unit, type, variable, bytes, 4);
    }
    case TypeQuad: {
        const Quad q = boost::any_cast<Quad>(value);
        wire::putLe32(bytes, q[0]);
        wire::putLe32(bytes + 4, q[1]);
        return writeValue(unit, type, variable, bytes, 8);
    }
    case TypeAddress:
        boost::any_cast<Address>(value).toWire(bytes);
        return writeValue(unit, type, variable, bytes, 3);
    case TypeWideText: {
        const wxString text = boost::any_cast<wxString>(value);
        // Variable code, the text with its terminator, and the checksum must
        // fit the request buffer.
        const std::size_t maxUnits = (BlockCapacity - 1 - ChecksumSize) / 2 - 1;
        std::string encoded(2 * (maxUnits + 1), '\0');
        auto* out = reinterpret_cast<std::uint8_t*>(&encoded[0]);
        const std::size_t units = utf16::encode(text, out, maxUnits);
        if (units > maxUnits)
            ENGINE_FAIL(BufferOverflow);
        wire::putLe16(out + 2 * units, 0);
        return writeValue(unit, type, variable, out, 2 * (units + 1));
    }
    default: ENGINE_FAIL(UnsupportedDataFormat);
    }
}

void SerialPortVeloxProtocol::writeByte(const Address& unit, std::uint8_t variable,
                                        std::uint8_t value)
{
    writeValue(unit, TypeByte, variable, &value, 1);
}

void SerialPortVeloxProtocol::writeWord(const Address& unit, std::uint8_t variable,
                                        std::uint16_t value)
{
    std::uint8_t bytes[2];
    wire::putLe16(bytes, value);
    writeValue(unit, TypeWord, variable, bytes, 2);
}

void SerialPortVeloxProtocol::selectTable(std::uint16_t table)
{
    writeWord(Address::broadcast(), VarTable, table);
}

wxString SerialPortVeloxProtocol::readTableHeader()
{
    return readText(Address::broadcast(), VarTable);
}

std::uint16_t SerialPortVeloxProtocol::readRecordCount()
{
    return readWord(Address::broadcast(), VarRecordCount);
}

wxString SerialPortVeloxProtocol::readRecord(std::uint16_t index)
{
    writeWord(Address::broadcast(), VarRecord, index);

    std::uint8_t status = 1;
    // A fine clock: the tick count may advance in steps of 16 ms.
    std::chrono::steady_clock::time_point pollStart = std::chrono::steady_clock::now();
    try {
        status = readByte(Address::broadcast(), VarRecordStatus);
    } catch (const Exception& e) {
        if (e.code() != UnknownVariable)
            throw;
        status = UnknownVariable;
    }
    if (status == UnknownVariable) {
        // No status variable: give the unit a fixed time to prepare.
        pauseMs(NoStatusWaitMs);
    } else {
        const std::uint32_t start = platform::tickCount();
        while (status != 0) {
            spaceStatusPoll(pollStart);
            pollStart = std::chrono::steady_clock::now();
            status = readByte(Address::broadcast(), VarRecordStatus);
            if (platform::tickCount() - start > StatusTimeoutMs)
                ENGINE_FAIL(NotAllDataReceived);
        }
    }
    return readText(Address::broadcast(), VarRecord);
}

void SerialPortVeloxProtocol::spaceStatusPoll(std::chrono::steady_clock::time_point lastPollStart)
{
    // The design pace's reads space the polls by themselves.
    if (pace() != Pace::Line)
        return;
    pauseUntil(lastPollStart + std::chrono::milliseconds(StatusPollSpacingMs));
}

void SerialPortVeloxProtocol::clearMemory()
{
    writeWord(Address::broadcast(), VarRecordCount, 0);
}

} // namespace morva_velox
