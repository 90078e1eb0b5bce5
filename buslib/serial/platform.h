#ifndef MORVA_VELOX_PLATFORM_H
#define MORVA_VELOX_PLATFORM_H

// The operating system's side of the bus library: a millisecond clock, a
// pause, and one serial device. Each platform implements this interface in
// one source file of its own.

#include "buslib/serial/devicecontrol.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace morva_velox {
namespace platform {

// Milliseconds of a monotonic clock, truncated to 32 bits: differences are
// taken in unsigned arithmetic and survive the wrap-around.
std::uint32_t tickCount();

void sleepMs(unsigned milliseconds);

// The device path that a port name opens: "COMn" (n = 1 to LastComPort) maps to the
// platform's n-th serial port; other platform-specific forms may be
// accepted. Empty when the name is not a port name.
std::string devicePath(const std::string& portName);

// Read time-outs in the manner of a communications port: a read returns
// when all bytes have arrived, when more than `intervalMs` pass after a byte
// without the next, or when totalConstantMs + totalPerByteMs * count have
// passed in all.
struct ReadTimeouts {
    unsigned intervalMs = 6;
    unsigned totalPerByteMs = 1;
    unsigned totalConstantMs = 500;
    unsigned writePerByteMs = 25;
    unsigned writeConstantMs = 1;
};

// Line settings, in the codes of SerialPort's setters.
struct LineSettings {
    int baud = 9600;
    int flowControl = 0;
    int parity = 'N';
    int byteSize = 8;
    int stopBits = 0;
};

// Why a device did not open: the system's answer, sorted into the cases an
// operator can act on.
struct OpenFailure {
    enum Reason {
        None,
        NoDevice,          // nothing by that name, or no hardware behind it
        AccessDenied,      // the user may not open it
        InUse,             // another program holds it
        NotSerialPort,     // it opened, but is no serial line
        BaudRateUnsupported,
        Other
    };
    Reason reason = None;
    // The group that owns the device node, when access was denied (empty
    // where the platform has no such thing).
    std::string deviceGroup;
    // The system's own words, for Other.
    std::string systemMessage;
};

// The operating system's own driver calls (none on a system whose line
// settings carry the modem lines themselves).
std::unique_ptr<DeviceControl> systemDeviceControl();

// What the line pace's request for low latency came to: the driver's
// low-latency mode, and the latency timer of a USB adapter where the system
// tells it.
struct LatencyState {
    enum Mode {
        NotAsked,    // the design pace: nothing asked, nothing changed
        Set,         // the driver hands bytes on at once
        Unavailable  // the driver refused or has no such mode
    };
    Mode mode = NotAsked;
    // The adapter's latency timer in milliseconds; -1 when not known.
    int adapterTimerMs = -1;
};

// One serial communications device. Not copyable; closed on destruction.
class SerialDevice {
public:
    SerialDevice();
    // The driver calls go through `control` in place of the system's.
    explicit SerialDevice(std::unique_ptr<DeviceControl> control);
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens the device for exclusive use in raw mode with the given baud
    // rate, byte size and stop bits; false when it cannot be opened or the
    // baud rate is not supported.
    bool open(const std::string& path, int baud, int byteSize, int stopBits);
    // Why the last open failed; reason None after a successful one.
    const OpenFailure& openFailure() const;
    void close();
    bool isOpen() const;

    void applyFlowControl(int mode);
    void applyParity(int code);
    void applyByteSize(int bits);
    void applyStopBits(int code);
    void applyTimeouts(const ReadTimeouts& timeouts);
    // true: asks the driver to hand received bytes on at once; false: puts
    // back the driver's flags as they were before (closing does so too).
    LatencyState applyLowLatency(bool on);

    // Pauses `pauseMs`, then reads under the time-outs. Returns what arrived;
    // returns early when the line hangs up or fails, or when woken.
    std::size_t read(std::uint8_t* buffer, std::size_t count, unsigned pauseMs);
    // Waits `pauseMs`, or less when woken; true when woken.
    bool pause(unsigned pauseMs) const;
    // Writes every byte within the write time-out; false when that fails.
    bool write(const std::uint8_t* buffer, std::size_t count);
    // Waits until every written byte has been sent.
    void drain();
    void clearErrors();
    // Discards whatever has been received and not yet read.
    void purgeInput();

    // Ends a read in progress at once, and makes every later read and write
    // fail at once, until the device is opened again. Safe from any thread.
    void wake();
    bool woken() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
} // namespace morva_velox

#endif
