// Fuzz target: arbitrary bytes arrive as the unit's answers to one
// operation of the protocol engine, and go through its real checking and
// value extraction.
//
// Input: byte 0 picks the operation, byte 1 is its argument (a table or
// record number, or the data type asked for), the rest is everything the
// line delivers, answers and resends included.
//
// What must hold: nothing crashes or trips a sanitizer, every failure is an
// Exception whose code is one of the protocol's codes and is also the
// engine's last error, and no text value is longer than the text buffer.
#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/exception.h"
#include "buslib/protocol/serialportveloxprotocol.h"

#include <wx/string.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace morva_velox;

namespace {

// A protocol engine whose line is a block of bytes in memory. Reads take
// from it as far as it goes; writes and purges do nothing, so that every
// byte the engine sees is the fuzzer's. When the bytes are used up the line
// goes dead (the engine's abort), so a missing answer costs no waiting.
class MemoryLineProtocol : public SerialPortVeloxProtocol {
public:
    MemoryLineProtocol(const std::uint8_t* bytes, std::size_t size)
        : SerialPortVeloxProtocol(std::string(), false)
        , m_bytes(bytes)
        , m_size(size)
    {
    }

    bool write(const std::uint8_t*, int) override { return true; }
    void clearErrors() override {}

protected:
    int readPort(std::uint8_t* buffer, int count) override
    {
        const std::size_t n = std::min(static_cast<std::size_t>(count), m_size - m_position);
        if (n == 0) {
            abort();
            return 0;
        }
        std::memcpy(buffer, m_bytes + m_position, n);
        m_position += n;
        return static_cast<int>(n);
    }
    void purgePort() override {}
    void pauseMs(unsigned) override {}

private:
    const std::uint8_t* m_bytes;
    std::size_t m_size;
    std::size_t m_position = 0;
};

[[noreturn]] void violated(const char* what, unsigned long value)
{
    std::fprintf(stderr, "invariant violated: %s (%lu)\n", what, value);
    std::abort();
}

bool isProtocolCode(std::uint32_t code)
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
    case UnknownError:
    case NoAnswer:
    case NotAllDataReceived:
    case WriteError:
    case SerialPortError:
    case UnsupportedDataType:
    case BufferOverflow:
    case BufferUnderflow: return true;
    default: return false;
    }
}

// A text value with its terminator must fit the 1024-unit buffer.
void checkText(const wxString& text)
{
    std::size_t units = 0;
    for (const wxUniChar c : text)
        units += c.GetValue() > 0xFFFF ? 2 : 1;
    if (units >= SerialPortVeloxProtocol::TextCapacity)
        violated("text longer than its buffer", units);
}

void checkValue(const Value& value)
{
    if (const wxString* text = boost::any_cast<wxString>(&value))
        checkText(*text);
}

void runOperation(SerialPortVeloxProtocol& protocol, std::uint8_t operation, std::uint8_t argument)
{
    switch (operation % 6) {
    case 0: protocol.selectTable(argument); break;
    case 1: checkText(protocol.readTableHeader()); break;
    case 2: protocol.readRecordCount(); break;
    case 3: checkText(protocol.readRecord(argument)); break;
    case 4: protocol.clearMemory(); break;
    case 5: checkValue(protocol.readVariable(Address::broadcast(), argument, VarRecord)); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    MemoryLineProtocol protocol(data + 2, size - 2);
    try {
        runOperation(protocol, data[0], data[1]);
    } catch (const Exception& e) {
        if (!isProtocolCode(e.code()))
            violated("failure code outside the protocol's codes", e.code());
        if (static_cast<std::uint32_t>(protocol.lastError()) != e.code())
            violated("last error differs from the failure", static_cast<unsigned long>(protocol.lastError()));
    }
    return 0;
}
