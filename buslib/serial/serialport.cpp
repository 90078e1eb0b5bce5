#include "buslib/serial/serialport.h"

#include "buslib/serial/error.h"

#include <chrono>

namespace morva_velox {

SerialPort::SerialPort() = default;

SerialPort::SerialPort(std::unique_ptr<platform::DeviceControl> control) : m_device(std::move(control)) {}

SerialPort::~SerialPort() { SerialPort::close(); }

bool SerialPort::stopBitsFit(int byteSize, int stopBits)
{
    return !(stopBits == 2 && byteSize == 5) && !(stopBits == 1 && byteSize != 5);
}

void SerialPort::setFlowControl(int mode)
{
    m_flowControl = mode;
    if (isOpen())
        m_device.applyFlowControl(mode);
}

void SerialPort::setParity(int code)
{
    m_parity = code;
    if (isOpen())
        m_device.applyParity(code);
}

void SerialPort::setByteSize(int bits)
{
    if (!stopBitsFit(bits, m_stopBits))
        return;
    m_byteSize = bits;
    if (isOpen())
        m_device.applyByteSize(bits);
}

void SerialPort::setStopBits(int code)
{
    if (!stopBitsFit(m_byteSize, code))
        return;
    m_stopBits = code;
    if (isOpen())
        m_device.applyStopBits(code);
}

void SerialPort::setTimeouts()
{
    if (isOpen())
        m_device.applyTimeouts(platform::ReadTimeouts{});
}

bool SerialPort::open(const std::string& name, int baud, int /*parity*/, int byteSize, int stopBits)
{
    if (isOpen())
        close();
    m_name = name;
    wxCriticalSectionLocker lock(m_lock);
    if (!m_device.open(platform::devicePath(name), baud, byteSize, stopBits)) {
        m_lastError = SerialPortError;
        return false;
    }
    m_open = true;
    setTimeouts();
    setByteSize(m_byteSize);
    setParity(m_parity);
    setFlowControl(m_flowControl);
    setStopBits(m_stopBits);
    if (m_pace == Pace::Line)
        m_latency = m_device.applyLowLatency(true);
    return true;
}

void SerialPort::close()
{
    if (!isOpen())
        return;
    wxCriticalSectionLocker lock(m_lock);
    m_device.close();
    m_open = false;
    m_latency = platform::LatencyState{};
}

void SerialPort::setPace(Pace pace)
{
    const bool changed = pace != m_pace;
    m_pace = pace;
    if (!changed || !isOpen())
        return;
    wxCriticalSectionLocker lock(m_lock);
    m_latency = m_device.applyLowLatency(pace == Pace::Line);
}

std::string SerialPort::latencyNote(const platform::LatencyState& state)
{
    std::string note;
    switch (state.mode) {
    case platform::LatencyState::NotAsked: note = "low-latency mode not asked for (design pace)"; break;
    case platform::LatencyState::Set: note = "low-latency mode set"; break;
    case platform::LatencyState::Unavailable: note = "low-latency mode not available from the driver"; break;
    }
    if (state.adapterTimerMs > static_cast<int>(AdapterTimerAdviceMs))
        note += "; the USB adapter's latency timer is " + std::to_string(state.adapterTimerMs)
            + " ms: lower it to 1 ms in Device Manager > the port > Port Settings > Advanced > Latency Timer";
    else if (state.adapterTimerMs >= 0)
        note += "; the USB adapter's latency timer is " + std::to_string(state.adapterTimerMs) + " ms";
    return note;
}

void SerialPort::flush()
{
    if (!isOpen())
        return;
    wxCriticalSectionLocker lock(m_lock);
    m_device.drain();
}

void SerialPort::clearErrors() { m_device.clearErrors(); }

bool SerialPort::write(const std::uint8_t* buffer, int count)
{
    if (!isOpen()) {
        m_lastError = SerialPortError;
        return false;
    }
    wxCriticalSectionLocker lock(m_lock);
    if (!m_device.write(buffer, count > 0 ? static_cast<std::size_t>(count) : 0)) {
        m_lastError = WriteError;
        return false;
    }
    m_lastError = NoError;
    return true;
}

int SerialPort::read(std::uint8_t* buffer, int count)
{
    const std::size_t wanted = count > 0 ? static_cast<std::size_t>(count) : 0;
    std::size_t got = 0;
    if (isOpen()) {
        if (m_pace == Pace::Design) {
            got = m_device.read(buffer, wanted, ReadPauseMs);
        } else {
            const auto start = std::chrono::steady_clock::now();
            got = m_device.read(buffer, wanted, 0);
            // A read that brought nothing lasts the design pace's pause all
            // the same, unless the port is woken: a dead line is not polled
            // without a break.
            if (got == 0)
                pauseUntil(start + std::chrono::milliseconds(ReadPauseMs));
        }
    } else {
        platform::sleepMs(ReadPauseMs);
    }
    if (got == wanted)
        m_lastError = NoError;
    else if (got == 0)
        m_lastError = NoAnswer;
    return static_cast<int>(got);
}

bool SerialPort::pauseUntil(std::chrono::steady_clock::time_point due) const
{
    for (auto now = std::chrono::steady_clock::now(); now < due; now = std::chrono::steady_clock::now()) {
        if (m_device.pause(static_cast<unsigned>(std::chrono::ceil<std::chrono::milliseconds>(due - now).count())))
            return true;
    }
    return false;
}

void SerialPort::purgeInput()
{
    if (isOpen())
        m_device.purgeInput();
}

void SerialPort::abort() { m_device.wake(); }

bool SerialPort::isAborted() const { return m_device.woken(); }

} // namespace morva_velox
