#ifndef MORVA_VELOX_SERIALPORTVELOXPROTOCOL_H
#define MORVA_VELOX_SERIALPORTVELOXPROTOCOL_H

#include "buslib/protocol/address.h"
#include "buslib/protocol/datatypes.h"
#include "buslib/protocol/exception.h"
#include "buslib/protocol/frame.h"
#include "buslib/serial/serialport.h"

#include <wx/string.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace morva_velox {

// The protocol engine: a serial port that frames requests, sends them, and
// collects and checks the unit's answers, sending a request up to six times.
// Every failure that survives the resends is thrown as Exception.
//
// One engine serves one reading or one clearing of a unit, driven by one
// thread; only isReading() and readStartTick() may be read from another.
class SerialPortVeloxProtocol : public SerialPort {
public:
    // Raised by the validation of port settings.
    class ConfiguratorException {
    public:
        explicit ConfiguratorException(const wxString& message) : m_message(message) {}
        wxString message() const { return m_message; }

    private:
        wxString m_message;
    };

    // A value as it stands in the last answer: its type and its bytes after
    // the variable code. Valid until the next transaction.
    struct AnswerValue {
        std::uint8_t type;
        const std::uint8_t* data;
        std::size_t size;
    };

    // Note: a line of text for support, once before the first packet: what
    // became of the line pace's low-latency request (SerialPort::latencyNote).
    enum class TraceDirection { Sent, Received, Note };
    // Sees every byte written to and read from the port.
    using Trace = std::function<void(TraceDirection, const std::uint8_t*, std::size_t)>;

    static constexpr int MaxAttempts = 6;
    static constexpr unsigned TimeoutBaseMs = 40;
    static constexpr unsigned SlowTimeoutBaseMs = 200;
    // Room for a text value in UTF-16 units, the terminator included.
    static constexpr std::size_t TextCapacity = 1024;
    static constexpr unsigned StatusTimeoutMs = 10000;
    static constexpr unsigned NoStatusWaitMs = 1000;
    // In the line pace, a record that is not ready has its status asked
    // no more often than this.
    static constexpr unsigned StatusPollSpacingMs = 20;

    SerialPortVeloxProtocol(const std::string& portName, bool slow, int baud, int parity,
                            int byteSize, int stopBits);
    SerialPortVeloxProtocol(const std::string& portName, bool slow);
    ~SerialPortVeloxProtocol() override;

    // Sends a request and waits for its good answer. `block` is the data
    // block with its checksum (blockLength = N + 4), or null and 0.
    void transact(const std::uint8_t* header, const std::uint8_t* block, int blockLength);
    void sendRequest(const std::uint8_t* header, const std::uint8_t* block, int blockLength);
    void receiveAnswer();
    // Waits for one answer without asking again: for listening on the bus,
    // where there is no request to repeat.
    void receiveSingleAnswer();

    bool isReading() const { return m_reading.load(); }
    std::uint32_t readStartTick() const { return m_readStartTick.load(); }

    // Generic variable access.
    AnswerValue readVariableBytes(const Address& unit, std::uint8_t type, std::uint8_t variable);
    Value readVariable(const Address& unit, std::uint8_t type, std::uint8_t variable);
    void writeVariable(const Address& unit, std::uint8_t type, std::uint8_t variable,
                       const Value& value);
    std::uint8_t readByte(const Address& unit, std::uint8_t variable);
    std::uint16_t readWord(const Address& unit, std::uint8_t variable);
    wxString readText(const Address& unit, std::uint8_t variable);
    void writeByte(const Address& unit, std::uint8_t variable, std::uint8_t value);
    void writeWord(const Address& unit, std::uint8_t variable, std::uint16_t value);

    // The unit's nonvolatile memory.
    void selectTable(std::uint16_t table);
    wxString readTableHeader();
    std::uint16_t readRecordCount();
    wxString readRecord(std::uint16_t index);
    void clearMemory();

    // The last answer.
    const Header& answerHeader() const { return m_rxHeader; }
    const std::uint8_t* answerBlock() const { return m_rxData.data(); }
    std::size_t answerBlockLength() const { return m_rxBlockLength; }

    void setTrace(Trace trace) { m_trace = std::move(trace); }

protected:
    // Reads a whole `count` bytes within the deadline, or throws.
    void readExactly(std::uint8_t* buffer, std::size_t count);

    // The line under the transactions: one read of the port, discarding
    // unread input, and a plain wait. A derived class may put another
    // line in their place (writes go through the virtual write()).
    virtual int readPort(std::uint8_t* buffer, int count);
    virtual void purgePort();
    virtual void pauseMs(unsigned milliseconds);

private:
    void writeValue(const Address& unit, std::uint8_t type, std::uint8_t variable,
                    const std::uint8_t* value, std::size_t size);
    void receiveOnce();
    wxString textValue(const AnswerValue& value);
    // Waits, in the line pace, until the next status poll is due.
    void spaceStatusPoll(std::chrono::steady_clock::time_point lastPollStart);
    [[noreturn]] void fail(std::uint32_t code, const char* file, int line);
    void trace(TraceDirection direction, const std::uint8_t* bytes, std::size_t count) const;

    Address m_ownAddress = Address::host();
    Header m_rxHeader{};
    std::array<std::uint8_t, BlockCapacity> m_rxData{};
    std::size_t m_rxBlockLength = 0;
    unsigned m_timeoutBase;
    std::atomic<std::uint32_t> m_readStartTick{0};
    std::atomic<bool> m_reading{false};
    const std::uint8_t* m_lastHeader = nullptr;
    const std::uint8_t* m_lastBlock = nullptr;
    int m_lastBlockLength = 0;
    std::array<std::uint8_t, BlockCapacity> m_txData{};
    Trace m_trace;
    mutable bool m_noteTraced = false;
};

// Wide text to and from UTF-16LE units, surrogate pairs included.
namespace utf16 {
// Decodes up to `units` units, stopping at a zero unit. A lone surrogate
// becomes U+FFFD.
wxString decode(const std::uint8_t* bytes, std::size_t units);
// Encodes `text` at `out` (room for 2 * maxUnits bytes); returns the units
// written, or maxUnits + 1 when the text does not fit.
std::size_t encode(const wxString& text, std::uint8_t* out, std::size_t maxUnits);
} // namespace utf16

} // namespace morva_velox

#endif
