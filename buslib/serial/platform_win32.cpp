// Win32 implementation of the platform layer: a communications device opened
// by name with CreateFileW, the line set through its DCB and COMMCONFIG, the
// driver's fixed COMMTIMEOUTS, GetTickCount and Sleep.
//
// The device is opened for overlapped I/O so that a read the driver never
// ends can be cancelled from another thread: every wait also watches a
// manual-reset cancel event, which wake() sets. No thread is ever killed.

#include "buslib/serial/platform.h"
#include "buslib/serial/portname.h"
#include "buslib/serial/widetext_win32.h"

#include <atomic>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include <windows.h>

namespace morva_velox {
namespace platform {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const
    {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle manualResetEvent()
{
    return UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

bool supportedBaud(int baud)
{
    switch (baud) {
    case 4800:
    case 9600:
    case 19200:
    case 38400:
    case 57600:
    case 115200: return true;
    default: return false;
    }
}

const char DevicePrefix[] = "\\\\.\\";

bool hasDevicePrefix(const std::string& name)
{
    return name.compare(0, sizeof DevicePrefix - 1, DevicePrefix) == 0;
}

// The system's own words for an error, in UTF-8 and without the final
// full stop and line break; "error <n>" when it has none.
std::string systemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = Utf8FromWide(text, length);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

// Sorts the error of a failed CreateFileW into the operator's cases. A
// communications device is opened without sharing, so a port that another
// program holds answers "access denied".
OpenFailure openFailureFor(DWORD error)
{
    OpenFailure failure;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NOT_READY:
    case ERROR_GEN_FAILURE: failure.reason = OpenFailure::NoDevice; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: failure.reason = OpenFailure::InUse; break;
    default:
        failure.reason = OpenFailure::Other;
        failure.systemMessage = systemMessage(error);
        break;
    }
    return failure;
}

// A read that the driver does not end within this much past its own total
// time-out is cancelled: the line is then as good as gone.
constexpr DWORD DriverGraceMs = 2000;

struct KeyCloser {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer<HKEY>::type, KeyCloser>;

// A subkey opened for reading; empty when it cannot be.
UniqueKey openKey(HKEY parent, const wchar_t* name)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(key);
}

// The names of a key's subkeys.
std::vector<std::wstring> subkeys(HKEY key)
{
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD size = sizeof name / sizeof name[0];
        const LONG r = ::RegEnumKeyExW(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r == ERROR_SUCCESS)
            names.emplace_back(name, size);
    }
    return names;
}

// The latency timer, in milliseconds, of the FTDI adapter (USB vendor id
// 0403) whose port is `comName` ("COM3"): read, never written, from the
// parameters that its driver keeps for each device. -1 when the port is no
// such adapter or the value is missing.
int ftdiLatencyTimerMs(const std::string& comName)
{
    const std::wstring port(comName.begin(), comName.end());
    const UniqueKey bus = openKey(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS");
    if (!bus)
        return -1;
    for (const std::wstring& device : subkeys(bus.get())) {
        if (::_wcsnicmp(device.c_str(), L"VID_0403", 8) != 0)
            continue;
        const UniqueKey instances = openKey(bus.get(), device.c_str());
        if (!instances)
            continue;
        for (const std::wstring& instance : subkeys(instances.get())) {
            const std::wstring parameters = instance + L"\\Device Parameters";
            wchar_t name[64] = {};
            DWORD size = sizeof name;
            if (::RegGetValueW(instances.get(), parameters.c_str(), L"PortName", RRF_RT_REG_SZ, nullptr, name, &size)
                    != ERROR_SUCCESS
                || ::_wcsicmp(name, port.c_str()) != 0)
                continue;
            DWORD timer = 0;
            size = sizeof timer;
            if (::RegGetValueW(instances.get(), parameters.c_str(), L"LatencyTimer", RRF_RT_REG_DWORD, nullptr,
                               &timer, &size)
                != ERROR_SUCCESS)
                return -1;
            return static_cast<int>(timer);
        }
    }
    return -1;
}

} // namespace

std::unique_ptr<DeviceControl> systemDeviceControl()
{
    // The DCB carries the modem lines here, and the driver has no
    // low-latency mode to ask for.
    return nullptr;
}

std::uint32_t tickCount() { return ::GetTickCount(); }

void sleepMs(unsigned milliseconds) { ::Sleep(milliseconds); }

std::string devicePath(const std::string& portName)
{
    if (hasDevicePrefix(portName) && portName.size() > sizeof DevicePrefix - 1)
        return portName;
    const int n = comPortNumber(portName);
    if (n == 0)
        return {};
    return "COM" + std::to_string(n);
}

class SerialDevice::Impl {
public:
    Impl() : cancel(manualResetEvent()), readDone(manualResetEvent()), writeDone(manualResetEvent()) {}

    HANDLE handle() const { return device.get(); }

    // Lets `edit` change the DCB inside the device configuration and writes
    // the whole configuration back.
    template <typename Edit>
    void editConfig(Edit edit)
    {
        if (!device)
            return;
        edit(config.dcb);
        ::SetCommConfig(handle(), &config, config.dwSize);
    }

    // Waits for an overlapped operation, or for the cancel event, or for
    // `limitMs`; cancels the operation in the last two cases. Returns the
    // bytes transferred and whether the operation succeeded in full.
    bool finish(OVERLAPPED& overlapped, DWORD limitMs, DWORD& transferred)
    {
        HANDLE waits[2] = {overlapped.hEvent, cancel.get()};
        const DWORD r = ::WaitForMultipleObjects(2, waits, FALSE, limitMs);
        if (r != WAIT_OBJECT_0)
            ::CancelIoEx(handle(), &overlapped);
        transferred = 0;
        const BOOL ok = ::GetOverlappedResult(handle(), &overlapped, &transferred, TRUE);
        return ok && r == WAIT_OBJECT_0;
    }

    // Pauses, unless woken; true when woken.
    bool pause(unsigned ms) const
    {
        if (woken.load())
            return true;
        return ::WaitForSingleObject(cancel.get(), ms) == WAIT_OBJECT_0;
    }

    std::size_t read(std::uint8_t* buffer, std::size_t count, unsigned pauseMs)
    {
        if (pause(pauseMs) || !device || count == 0)
            return 0;
        OVERLAPPED overlapped{};
        overlapped.hEvent = readDone.get();
        ::ResetEvent(overlapped.hEvent);
        const DWORD wanted = static_cast<DWORD>(count);
        DWORD got = 0;
        if (::ReadFile(handle(), buffer, wanted, &got, &overlapped))
            return got;
        if (::GetLastError() != ERROR_IO_PENDING)
            return 0;
        const DWORD limit = timeouts.totalConstantMs + timeouts.totalPerByteMs * wanted + DriverGraceMs;
        finish(overlapped, limit, got);
        return got;
    }

    bool write(const std::uint8_t* buffer, std::size_t count)
    {
        if (!device || woken.load())
            return false;
        OVERLAPPED overlapped{};
        overlapped.hEvent = writeDone.get();
        ::ResetEvent(overlapped.hEvent);
        const DWORD wanted = static_cast<DWORD>(count);
        DWORD written = 0;
        if (!::WriteFile(handle(), buffer, wanted, &written, &overlapped)) {
            if (::GetLastError() != ERROR_IO_PENDING)
                return false;
            const DWORD limit = timeouts.writeConstantMs + timeouts.writePerByteMs * wanted + DriverGraceMs;
            if (!finish(overlapped, limit, written))
                return false;
        }
        return written == wanted;
    }

    UniqueHandle device;
    UniqueHandle cancel;
    UniqueHandle readDone;
    UniqueHandle writeDone;
    COMMCONFIG config{};
    // The open device's path, \\.\COM3.
    std::string path;
    std::atomic<bool> woken{false};
    ReadTimeouts timeouts;
    OpenFailure failure;
};

SerialDevice::SerialDevice() : m_impl(std::make_unique<Impl>()) {}

SerialDevice::SerialDevice(std::unique_ptr<DeviceControl>) : SerialDevice() {}

SerialDevice::~SerialDevice() = default;

bool SerialDevice::open(const std::string& path, int baud, int byteSize, int stopBits)
{
    close();
    OpenFailure& failure = m_impl->failure;
    failure = OpenFailure{};
    if (path.empty())
        failure.reason = OpenFailure::NoDevice;
    else if (!supportedBaud(baud))
        failure.reason = OpenFailure::BaudRateUnsupported;
    if (failure.reason != OpenFailure::None)
        return false;
    // "\\.\" in front, so that COM10 and above open too.
    const std::string devicePath = hasDevicePrefix(path) ? path : DevicePrefix + path;
    UniqueHandle device(::CreateFileW(WideFromUtf8(devicePath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (device.get() == INVALID_HANDLE_VALUE) {
        failure = openFailureFor(::GetLastError());
        return false;
    }
    const HANDLE h = device.get();

    ::SetCommMask(h, EV_RXCHAR);
    COMMCONFIG& config = m_impl->config;
    config = COMMCONFIG{};
    config.dwSize = sizeof config;
    DWORD size = sizeof config;
    ::GetCommConfig(h, &config, &size);
    config.dwSize = sizeof config;
    DCB& dcb = config.dcb;
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(h, &dcb)) {
        failure.reason = OpenFailure::NotSerialPort;
        return false;
    }
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.fBinary = 1;
    dcb.fInX = 0;
    dcb.fOutX = 0;
    dcb.fAbortOnError = 0;
    dcb.fNull = 0;
    dcb.fParity = 0;
    dcb.StopBits = static_cast<BYTE>(stopBits);
    dcb.ByteSize = static_cast<BYTE>(byteSize);
    // Not examined: drivers that cannot drive the modem lines (DTR) refuse
    // the whole call after they have set the line itself.
    ::SetCommState(h, &dcb);
    ::PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);

    m_impl->device = std::move(device);
    m_impl->path = devicePath;
    // A wake-up belongs to the last session of the port.
    ::ResetEvent(m_impl->cancel.get());
    m_impl->woken = false;
    return true;
}

const OpenFailure& SerialDevice::openFailure() const { return m_impl->failure; }

void SerialDevice::close() { m_impl->device.reset(); }

bool SerialDevice::isOpen() const { return static_cast<bool>(m_impl->device); }

void SerialDevice::applyFlowControl(int mode)
{
    // RTS (fRtsControl) stays as the driver has it, which is on.
    m_impl->editConfig([mode](DCB& dcb) {
        switch (mode) {
        case 0:
            dcb.fOutxCtsFlow = 0;
            dcb.fDtrControl = DTR_CONTROL_DISABLE;
            dcb.fOutX = 0;
            dcb.fInX = 0;
            break;
        case 1:
            dcb.fOutxCtsFlow = 1;
            dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
            dcb.fOutX = 0;
            dcb.fInX = 0;
            break;
        case 2:
            dcb.fOutxCtsFlow = 0;
            dcb.fDtrControl = DTR_CONTROL_DISABLE;
            dcb.fOutX = 1;
            dcb.fInX = 1;
            break;
        default: break;
        }
    });
}

void SerialDevice::applyParity(int code)
{
    m_impl->editConfig([code](DCB& dcb) {
        switch (code) {
        case 'N': dcb.Parity = NOPARITY; dcb.fParity = 0; break;
        case 'E': dcb.Parity = EVENPARITY; dcb.fParity = 1; break;
        case 'F': dcb.Parity = ODDPARITY; dcb.fParity = 1; break;
        case 'G': dcb.Parity = MARKPARITY; dcb.fParity = 1; break;
        case 'H': dcb.Parity = SPACEPARITY; dcb.fParity = 1; break;
        default: break;
        }
    });
}

void SerialDevice::applyByteSize(int bits)
{
    m_impl->editConfig([bits](DCB& dcb) {
        if (bits >= 5 && bits <= 8)
            dcb.ByteSize = static_cast<BYTE>(bits);
    });
}

void SerialDevice::applyStopBits(int code)
{
    m_impl->editConfig([code](DCB& dcb) {
        switch (code) {
        case 0: dcb.StopBits = ONESTOPBIT; break;
        case 1: dcb.StopBits = ONE5STOPBITS; break;
        case 2: dcb.StopBits = TWOSTOPBITS; break;
        default: break;
        }
    });
}

void SerialDevice::applyTimeouts(const ReadTimeouts& timeouts)
{
    m_impl->timeouts = timeouts;
    if (!m_impl->device)
        return;
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = timeouts.intervalMs;
    t.ReadTotalTimeoutMultiplier = timeouts.totalPerByteMs;
    t.ReadTotalTimeoutConstant = timeouts.totalConstantMs;
    t.WriteTotalTimeoutMultiplier = timeouts.writePerByteMs;
    t.WriteTotalTimeoutConstant = timeouts.writeConstantMs;
    ::SetCommTimeouts(m_impl->handle(), &t);
}

LatencyState SerialDevice::applyLowLatency(bool on)
{
    // The driver has no low-latency mode to ask for; an FTDI adapter holds
    // received bytes for as long as its latency timer says, a setting that
    // needs the operator's administrator rights.
    LatencyState state;
    if (!on || !m_impl->device)
        return state;
    state.mode = LatencyState::Unavailable;
    state.adapterTimerMs = ftdiLatencyTimerMs(m_impl->path.substr(sizeof DevicePrefix - 1));
    return state;
}

std::size_t SerialDevice::read(std::uint8_t* buffer, std::size_t count, unsigned pauseMs)
{
    return m_impl->read(buffer, count, pauseMs);
}

bool SerialDevice::pause(unsigned pauseMs) const { return m_impl->pause(pauseMs); }

bool SerialDevice::write(const std::uint8_t* buffer, std::size_t count)
{
    return m_impl->write(buffer, count);
}

void SerialDevice::drain()
{
    if (m_impl->device)
        ::FlushFileBuffers(m_impl->handle());
}

void SerialDevice::clearErrors()
{
    if (!m_impl->device)
        return;
    DWORD errors = 0;
    COMSTAT status{};
    ::ClearCommError(m_impl->handle(), &errors, &status);
}

void SerialDevice::purgeInput()
{
    if (m_impl->device)
        ::PurgeComm(m_impl->handle(), PURGE_RXCLEAR);
}

void SerialDevice::wake()
{
    m_impl->woken = true;
    ::SetEvent(m_impl->cancel.get());
}

bool SerialDevice::woken() const { return m_impl->woken.load(); }

} // namespace platform
} // namespace morva_velox
