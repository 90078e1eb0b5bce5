// POSIX implementation of the platform layer: termios and poll for the
// serial device, an eventfd to wake a blocked read, CLOCK_MONOTONIC for ticks.

#include "buslib/serial/platform.h"
#include "buslib/serial/portname.h"
#include "buslib/serial/posixtime.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

namespace morva_velox {
namespace platform {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

speed_t speedFor(int baud)
{
    switch (baud) {
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
    }
}

// The name of the group that owns the file at `path`; empty when unknown,
// and for the superuser's group, which nobody should join to reach a port.
std::string ownerGroup(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || st.st_gid == 0)
        return {};
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    while (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    return found ? std::string(found->gr_name) : std::to_string(st.st_gid);
}

OpenFailure because(OpenFailure::Reason reason)
{
    OpenFailure failure;
    failure.reason = reason;
    return failure;
}

// Sorts the error of a failed open(2) into the operator's cases.
OpenFailure openFailureFor(int error, const std::string& path)
{
    OpenFailure failure;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
    case EIO: failure.reason = OpenFailure::NoDevice; break;
    case EACCES:
    case EPERM:
    case EROFS:
        failure.reason = OpenFailure::AccessDenied;
        failure.deviceGroup = ownerGroup(path);
        break;
    case EBUSY: failure.reason = OpenFailure::InUse; break;
    default:
        failure.reason = OpenFailure::Other;
        failure.systemMessage = std::strerror(error);
        break;
    }
    return failure;
}

// Whether another open file of the terminal has asked for exclusive use.
// Such a holder keeps everyone but a privileged user out; this program does
// not share a line even where it could.
bool heldExclusively(int fd)
{
#ifdef TIOCGEXCL
    int exclusive = 0;
    return ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
#else
    (void)fd;
    return false;
#endif
}

// The modem lines and the low-latency flag through the terminal's ioctls.
class IoctlDeviceControl : public DeviceControl {
public:
    bool modemLines(int device, int& lines) override
    {
        int bits = 0;
        if (::ioctl(device, TIOCMGET, &bits) != 0)
            return false;
        lines = ((bits & TIOCM_DTR) != 0 ? ModemDtr : 0) | ((bits & TIOCM_RTS) != 0 ? ModemRts : 0);
        return true;
    }

    bool raiseModemLines(int device, int lines) override
    {
        const int bits = modemBits(lines);
        return ::ioctl(device, TIOCMBIS, &bits) == 0;
    }

    bool lowerModemLines(int device, int lines) override
    {
        const int bits = modemBits(lines);
        return ::ioctl(device, TIOCMBIC, &bits) == 0;
    }

#ifdef __linux__
    bool lowLatency(int device, bool& on) override
    {
        serial_struct serial{};
        if (::ioctl(device, TIOCGSERIAL, &serial) != 0)
            return false;
        on = (serial.flags & ASYNC_LOW_LATENCY) != 0;
        return true;
    }

    bool setLowLatency(int device, bool on) override
    {
        serial_struct serial{};
        if (::ioctl(device, TIOCGSERIAL, &serial) != 0)
            return false;
        if (on)
            serial.flags |= ASYNC_LOW_LATENCY;
        else
            serial.flags &= ~ASYNC_LOW_LATENCY;
        return ::ioctl(device, TIOCSSERIAL, &serial) == 0;
    }
#else
    bool lowLatency(int, bool&) override { return false; }
    bool setLowLatency(int, bool) override { return false; }
#endif

private:
    static int modemBits(int lines)
    {
        return ((lines & ModemDtr) != 0 ? TIOCM_DTR : 0) | ((lines & ModemRts) != 0 ? TIOCM_RTS : 0);
    }
};

// The modem lines that the flow-control modes of a communications port's
// settings give: DTR off but in the hardware mode, RTS on as the driver
// raises it (under hardware flow control the driver drives it).
int modemLinesFor(int mode) { return mode == 1 ? ModemDtr | ModemRts : ModemRts; }

} // namespace

std::unique_ptr<DeviceControl> systemDeviceControl() { return std::make_unique<IoctlDeviceControl>(); }

std::uint32_t tickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u
        + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

void sleepMs(unsigned milliseconds)
{
    timespec ts{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

std::string devicePath(const std::string& portName)
{
    if (!portName.empty() && portName[0] == '/')
        return portName;
    const int n = comPortNumber(portName);
    if (n == 0)
        return {};
    return "/dev/ttyS" + std::to_string(n - 1);
}

class SerialDevice::Impl {
public:
    explicit Impl(std::unique_ptr<DeviceControl> driver)
        : wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), control(std::move(driver))
    {
    }
    ~Impl()
    {
        closeDevice();
        if (wakeFd >= 0)
            ::close(wakeFd);
    }

    void closeDevice()
    {
        if (fd >= 0) {
            restoreLatency();
            ::ioctl(fd, TIOCNXCL);
            ::close(fd);
            fd = -1;
        }
    }

    // Reads the line settings, lets `edit` change them, and writes them back.
    template <typename Edit>
    void editSettings(Edit edit)
    {
        if (fd < 0)
            return;
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0)
            return;
        edit(tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }

    // Sets the modem lines as the flow-control mode has them; a device
    // without modem lines is left as it is.
    void applyModemLines(int mode)
    {
        int lines = 0;
        if (fd < 0 || mode < 0 || mode > 2 || !control->modemLines(fd, lines))
            return;
        const int wanted = modemLinesFor(mode);
        if ((wanted & ~lines) != 0)
            control->raiseModemLines(fd, wanted & ~lines);
        if ((lines & ~wanted) != 0)
            control->lowerModemLines(fd, lines & ~wanted);
    }

    LatencyState requestLowLatency()
    {
        LatencyState state;
        state.mode = LatencyState::Unavailable;
        bool on = false;
        if (fd < 0 || !control->lowLatency(fd, on))
            return state;
        if (!on) {
            if (!control->setLowLatency(fd, true))
                return state;
            lowLatencyOurs = true;
        }
        state.mode = LatencyState::Set;
        return state;
    }

    // Clears the low-latency flag where this program set it. Tried even
    // when the device is gone: the driver then refuses, and nothing is lost.
    void restoreLatency()
    {
        if (!lowLatencyOurs)
            return;
        lowLatencyOurs = false;
        control->setLowLatency(fd, false);
    }

    // Waits for the wake-up descriptor alone; true when woken.
    bool pause(unsigned ms) const
    {
        if (woken.load())
            return true;
        pollfd p{wakeFd, POLLIN, 0};
        const Clock::time_point end = Clock::now() + milliseconds(ms);
        for (;;) {
            const timespec ts = toTimespec(end - Clock::now());
            const int r = ::ppoll(&p, 1, &ts, nullptr);
            if (r > 0)
                return true;
            if (r == 0 || (r < 0 && errno != EINTR))
                return woken.load();
        }
    }

    std::size_t read(std::uint8_t* buffer, std::size_t count, unsigned pauseMs)
    {
        if (pause(pauseMs) || fd < 0 || count == 0)
            return 0;
        const Clock::time_point start = Clock::now();
        const Clock::time_point totalEnd = start
            + milliseconds(timeouts.totalConstantMs + timeouts.totalPerByteMs * count);
        const auto gap = milliseconds(timeouts.intervalMs);
        Clock::time_point lastByte{};
        std::size_t got = 0;
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        while (got < count) {
            Clock::time_point end = totalEnd;
            if (got > 0 && lastByte + gap < end)
                end = lastByte + gap;
            const Clock::time_point now = Clock::now();
            if (now >= end)
                break;
            const timespec ts = toTimespec(end - now);
            const int r = ::ppoll(fds, 2, &ts, nullptr);
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            if (r == 0)
                continue; // the loop's deadline test decides
            if (fds[1].revents != 0)
                break;
            if (fds[0].revents & POLLIN) {
                const ssize_t n = ::read(fd, buffer + got, count - got);
                if (n > 0) {
                    got += static_cast<std::size_t>(n);
                    lastByte = Clock::now();
                    continue;
                }
                if (n < 0 && (errno == EAGAIN || errno == EINTR))
                    continue;
                break; // end of file or an error: the line is gone
            }
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
                break;
        }
        return got;
    }

    bool write(const std::uint8_t* buffer, std::size_t count)
    {
        if (fd < 0 || woken.load())
            return false;
        const Clock::time_point end = Clock::now()
            + milliseconds(timeouts.writeConstantMs + timeouts.writePerByteMs * count);
        std::size_t done = 0;
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
        while (done < count) {
            const ssize_t n = ::write(fd, buffer + done, count - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return false;
            const Clock::time_point now = Clock::now();
            if (now >= end)
                return false;
            const timespec ts = toTimespec(end - now);
            const int r = ::ppoll(fds, 2, &ts, nullptr);
            if (r < 0 && errno != EINTR)
                return false;
            if (r > 0 && (fds[1].revents != 0 || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))))
                return false;
        }
        return true;
    }

    int fd = -1;
    int wakeFd = -1;
    std::unique_ptr<DeviceControl> control;
    // The low-latency flag was off, and this program set it.
    bool lowLatencyOurs = false;
    std::atomic<bool> woken{false};
    ReadTimeouts timeouts;
    OpenFailure failure;
};

SerialDevice::SerialDevice() : SerialDevice(systemDeviceControl()) {}

SerialDevice::SerialDevice(std::unique_ptr<DeviceControl> control)
    : m_impl(std::make_unique<Impl>(control ? std::move(control) : systemDeviceControl()))
{
}

SerialDevice::~SerialDevice() = default;

bool SerialDevice::open(const std::string& path, int baud, int byteSize, int stopBits)
{
    close();
    OpenFailure& failure = m_impl->failure;
    failure = OpenFailure{};
    const speed_t speed = speedFor(baud);
    if (path.empty())
        failure.reason = OpenFailure::NoDevice;
    else if (speed == B0)
        failure.reason = OpenFailure::BaudRateUnsupported;
    if (failure.reason != OpenFailure::None)
        return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure = openFailureFor(errno, path);
        return false;
    }
    // Leaves the device as it was found: closed, and not exclusive unless
    // someone else made it so.
    const auto fail = [&](OpenFailure why, bool ownExclusive) {
        failure = std::move(why);
        if (ownExclusive)
            ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    };
    termios tio{};
    if (!::isatty(fd) || ::tcgetattr(fd, &tio) != 0)
        return fail(because(OpenFailure::NotSerialPort), false);
    // Exclusive mode does not keep out a privileged user; an advisory lock
    // keeps a second reader of this program out whoever runs it. It comes
    // first, so that a reader that loses a race for the port never touches
    // the exclusive mode of the one that won.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return fail(because(OpenFailure::InUse), false);
    if (heldExclusively(fd))
        return fail(because(OpenFailure::InUse), false);
    if (::ioctl(fd, TIOCEXCL) != 0)
        return fail(openFailureFor(errno, path), false);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CRTSCTS | PARENB | PARODD | CMSPAR | CSTOPB | CSIZE);
    tio.c_cflag |= CS8;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        if (errno == EINVAL)
            return fail(because(OpenFailure::BaudRateUnsupported), true);
        return fail(openFailureFor(errno, path), true);
    }
    // A driver that cannot run at the rate keeps another one.
    termios set{};
    if (::tcgetattr(fd, &set) == 0 && ::cfgetospeed(&set) != speed)
        return fail(because(OpenFailure::BaudRateUnsupported), true);
    ::tcflush(fd, TCIOFLUSH);
    m_impl->fd = fd;
    // A wake-up belongs to the last session of the port.
    std::uint64_t drained = 0;
    while (::read(m_impl->wakeFd, &drained, sizeof drained) > 0) {
    }
    m_impl->woken = false;
    applyByteSize(byteSize);
    applyStopBits(stopBits);
    return true;
}

const OpenFailure& SerialDevice::openFailure() const { return m_impl->failure; }

void SerialDevice::close() { m_impl->closeDevice(); }

bool SerialDevice::isOpen() const { return m_impl->fd >= 0; }

void SerialDevice::applyFlowControl(int mode)
{
    m_impl->editSettings([mode](termios& tio) {
        switch (mode) {
        case 0:
            tio.c_cflag &= ~CRTSCTS;
            tio.c_iflag &= ~(IXON | IXOFF);
            break;
        case 1:
            tio.c_cflag |= CRTSCTS;
            tio.c_iflag &= ~(IXON | IXOFF);
            break;
        case 2:
            tio.c_cflag &= ~CRTSCTS;
            tio.c_iflag |= IXON | IXOFF;
            break;
        default: break;
        }
    });
    m_impl->applyModemLines(mode);
}

void SerialDevice::applyParity(int code)
{
    m_impl->editSettings([code](termios& tio) {
        const tcflag_t all = PARENB | PARODD | CMSPAR;
        switch (code) {
        case 'N': tio.c_cflag &= ~all; break;
        case 'E': tio.c_cflag = (tio.c_cflag & ~all) | PARENB; break;
        case 'F': tio.c_cflag = (tio.c_cflag & ~all) | PARENB | PARODD; break;
        case 'G': tio.c_cflag = (tio.c_cflag & ~all) | PARENB | CMSPAR | PARODD; break;
        case 'H': tio.c_cflag = (tio.c_cflag & ~all) | PARENB | CMSPAR; break;
        default: break;
        }
    });
}

void SerialDevice::applyByteSize(int bits)
{
    m_impl->editSettings([bits](termios& tio) {
        tcflag_t size;
        switch (bits) {
        case 5: size = CS5; break;
        case 6: size = CS6; break;
        case 7: size = CS7; break;
        case 8: size = CS8; break;
        default: return;
        }
        tio.c_cflag = (tio.c_cflag & ~CSIZE) | size;
    });
}

void SerialDevice::applyStopBits(int code)
{
    m_impl->editSettings([code](termios& tio) {
        // Two stop bits; with 5 data bits the line gives one and a half.
        switch (code) {
        case 0: tio.c_cflag &= ~CSTOPB; break;
        case 1:
        case 2: tio.c_cflag |= CSTOPB; break;
        default: break;
        }
    });
}

void SerialDevice::applyTimeouts(const ReadTimeouts& timeouts) { m_impl->timeouts = timeouts; }

LatencyState SerialDevice::applyLowLatency(bool on)
{
    if (on)
        return m_impl->requestLowLatency();
    m_impl->restoreLatency();
    return LatencyState{};
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
    if (m_impl->fd >= 0)
        ::tcdrain(m_impl->fd);
}

void SerialDevice::clearErrors()
{
    // termios keeps no sticky line-error state to clear.
}

void SerialDevice::purgeInput()
{
    if (m_impl->fd >= 0)
        ::tcflush(m_impl->fd, TCIFLUSH);
}

void SerialDevice::wake()
{
    m_impl->woken = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_impl->wakeFd, &one, sizeof one);
}

bool SerialDevice::woken() const { return m_impl->woken.load(); }

} // namespace platform
} // namespace morva_velox
