#ifndef MORVA_VELOX_SERIALPORT_H
#define MORVA_VELOX_SERIALPORT_H

#include "buslib/serial/pace.h"
#include "buslib/serial/platform.h"

#include <wx/thread.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace morva_velox {

// One serial communications port with the few byte-level operations the bus
// protocol needs. Never throws: failures show in bool results and in
// lastError() (an Error code).
class SerialPort {
public:
    SerialPort();
    // The device's driver calls go through `control` in place of the system's.
    explicit SerialPort(std::unique_ptr<platform::DeviceControl> control);
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Flow control: 0 none, 1 hardware, 2 software (XON/XOFF).
    virtual void setFlowControl(int mode);
    // Parity letter: 'N' none, 'E' even, 'F' odd, 'G' mark, 'H' space.
    virtual void setParity(int code);
    // Data bits 5 to 8; refused together with a stop-bit code it cannot go with.
    virtual void setByteSize(int bits);
    // Stop bits: 0 one, 1 one and a half (5 data bits only), 2 two.
    virtual void setStopBits(int code);
    // The fixed time-outs: 6 ms between bytes, 500 ms + 1 ms a byte in all.
    virtual void setTimeouts();
    // Opens the named port ("COM3", or a device path) at `baud`, 8 data
    // bits, no parity, one stop bit, no flow control. Closes it first when
    // open. False, with last error SerialPortError, when it cannot.
    virtual bool open(const std::string& name, int baud, int parity, int byteSize, int stopBits);
    virtual void close();
    // Waits until every written byte has left.
    virtual void flush();
    virtual void clearErrors();
    virtual bool write(const std::uint8_t* buffer, int count);

    // Reads up to `count` bytes under the time-outs: in the design pace
    // after a pause of 20 ms, in the line pace at once (a read that brings
    // nothing still lasts 20 ms, so that a dead line is not polled
    // without pause).
    int read(std::uint8_t* buffer, int count);
    // The line pace also asks the driver to hand received bytes on at once
    // (a USB adapter's latency timer otherwise holds the tail of every
    // answer); the design pace leaves the driver's flags as they were.
    void setPace(Pace pace);
    Pace pace() const { return m_pace; }
    // What the open port's driver made of the line pace's request.
    const platform::LatencyState& latencyState() const { return m_latency; }
    // One line for support on the low-latency mode and the adapter's timer,
    // with the way to lower a timer that holds answers back.
    static std::string latencyNote(const platform::LatencyState& state);
    bool isOpen() const { return m_open.load(); }
    int lastError() const { return m_lastError.load(); }
    const std::string& portName() const { return m_name; }
    // Why the last open failed; reason None after a successful one.
    const platform::OpenFailure& openFailure() const { return m_device.openFailure(); }

    // Discards received bytes that nobody has read yet.
    void purgeInput();
    // Ends a read in progress at once; every later read and write of this
    // session fails at once. For a watchdog on another thread.
    void abort();
    bool isAborted() const;

    int flowControl() const { return m_flowControl; }
    int parity() const { return m_parity; }
    int byteSize() const { return m_byteSize; }
    int stopBits() const { return m_stopBits; }

    static constexpr unsigned ReadPauseMs = 20;
    // An adapter's latency timer above this is worth lowering.
    static constexpr unsigned AdapterTimerAdviceMs = 2;

protected:
    void setLastError(int code) { m_lastError = code; }

    // Waits until `due` on a fine clock (the tick count may advance in
    // steps of 16 ms), or less when the port is woken; true when woken.
    bool pauseUntil(std::chrono::steady_clock::time_point due) const;

private:
    static bool stopBitsFit(int byteSize, int stopBits);

    std::string m_name;
    int m_flowControl = 0;
    int m_parity = 'N';
    int m_byteSize = 8;
    int m_stopBits = 0;
    Pace m_pace = Pace::Design;
    platform::LatencyState m_latency;
    std::atomic<bool> m_open{false};
    std::atomic<int> m_lastError{0};
    wxCriticalSection m_lock;
    platform::SerialDevice m_device;
};

} // namespace morva_velox

#endif
