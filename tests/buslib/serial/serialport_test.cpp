// The serial port over a real pseudo-terminal.
#include "buslib/serial/error.h"
#include "buslib/serial/platform.h"
#include "buslib/serial/serialport.h"
#include "support/otheruser.h"
#include "support/ptypair.h"

#include "support/timing.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <stdexcept>
#include <thread>

#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

using namespace morva_velox;
using morva_test::PtyPair;
using morva_test::Clock;
using morva_test::msSince;
using Bytes = std::vector<std::uint8_t>;

namespace {


class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(port.open(pty.slavePath(), 115200, 'N', 8, 0)); }

    PtyPair pty;
    SerialPort port;
};

} // namespace

TEST(SerialPortNames, MapToDevices)
{
    EXPECT_EQ(platform::devicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(platform::devicePath("COM12"), "/dev/ttyS11");
    EXPECT_EQ(platform::devicePath("COM256"), "/dev/ttyS255");
    EXPECT_EQ(platform::devicePath("com3"), "/dev/ttyS2");
    EXPECT_EQ(platform::devicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    for (const char* bad : {"COM0", "COM257", "COM", "COM01", "COMX", "ttyS0", "", "COM1 "})
        EXPECT_EQ(platform::devicePath(bad), "") << bad;
}

TEST(SerialPortOpen, FailuresLeaveThePortClosed)
{
    SerialPort port;
    EXPECT_FALSE(port.write(reinterpret_cast<const std::uint8_t*>("x"), 1));
    EXPECT_EQ(port.lastError(), SerialPortError);

    for (const char* name : {"/dev/does-not-exist", "NOPORT", "COM0", "/dev/null"}) {
        SerialPort p;
        EXPECT_FALSE(p.open(name, 9600, 'N', 8, 0)) << name;
        EXPECT_FALSE(p.isOpen());
        EXPECT_EQ(p.lastError(), SerialPortError) << name;
    }

    PtyPair pty;
    SerialPort p;
    EXPECT_FALSE(p.open(pty.slavePath(), 12345, 'N', 8, 0)); // not a supported rate
    EXPECT_EQ(p.lastError(), SerialPortError);
    EXPECT_TRUE(p.open(pty.slavePath(), 4800, 'N', 8, 0));
}

// An open port is this program's alone, for root too, until it is closed.
TEST_F(SerialPortTest, OpenPortIsRefusedToASecondOpenUntilClosed)
{
    SerialPort second;
    EXPECT_FALSE(second.open(pty.slavePath(), 115200, 'N', 8, 0));
    EXPECT_EQ(second.lastError(), SerialPortError);
    port.close();
    ASSERT_TRUE(second.open(pty.slavePath(), 115200, 'N', 8, 0));
    {
        SerialPort third;
        EXPECT_FALSE(third.open(pty.slavePath(), 115200, 'N', 8, 0));
    }
    second.close();
    EXPECT_TRUE(port.open(pty.slavePath(), 115200, 'N', 8, 0));
}

// Why an open failed, as the device layer sorts it.
TEST(SerialPortOpen, FailuresSayWhy)
{
    char regular[] = "/tmp/morva-not-a-port-XXXXXX";
    const int file = ::mkstemp(regular);
    ASSERT_GE(file, 0);
    ::close(file);
    PtyPair pty;
    const struct {
        std::string path;
        int baud;
        platform::OpenFailure::Reason reason;
    } rows[] = {
        {"/dev/does-not-exist", 9600, platform::OpenFailure::NoDevice},
        {"", 9600, platform::OpenFailure::NoDevice},
        {"/dev/null", 9600, platform::OpenFailure::NotSerialPort},
        {regular, 9600, platform::OpenFailure::NotSerialPort},
        {pty.slavePath(), 12345, platform::OpenFailure::BaudRateUnsupported},
    };
    for (const auto& row : rows) {
        SerialPort port;
        EXPECT_FALSE(port.open(row.path, row.baud, 'N', 8, 0)) << row.path;
        EXPECT_EQ(port.openFailure().reason, row.reason) << row.path;
    }
    ::unlink(regular);

    SerialPort port;
    ASSERT_TRUE(port.open(pty.slavePath(), 9600, 'N', 8, 0));
    EXPECT_EQ(port.openFailure().reason, platform::OpenFailure::None);
}

// A child process that does `body`, tells its one-letter result, and when
// the parent lets go, does `cleanup` and ends.
class Child {
public:
    template <typename Body, typename Cleanup = void (*)()>
    explicit Child(Body body, Cleanup cleanup = [] {})
    {
        int ready[2];
        int stop[2];
        if (::pipe(ready) != 0 || ::pipe(stop) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(stop[1]);
            const char result = body();
            [[maybe_unused]] ssize_t n = ::write(ready[1], &result, 1);
            n = ::read(stop[0], &m_result, 1); // until the parent lets go
            cleanup();
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(stop[0]);
        m_stop = stop[1];
        if (::read(ready[0], &m_result, 1) != 1)
            m_result = '?';
        ::close(ready[0]);
    }
    ~Child()
    {
        ::close(m_stop);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }

    char result() const { return m_result; }

private:
    pid_t m_pid = -1;
    int m_stop = -1;
    char m_result = 0;
};

// Whether the line `path` is in exclusive mode. A user other than root
// cannot open such a line at all; root can, and asks.
static bool exclusive(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY;
    int on = 0;
    const bool asked = ::ioctl(fd, TIOCGEXCL, &on) == 0;
    ::close(fd);
    return asked && on != 0;
}

// Readers that race for one port: exactly one wins, and the losers leave
// its exclusive mode alone. A loser that took exclusive mode before it
// found the advisory lock taken, and dropped it again, could clear the mode
// that the winner had just set; root gets past the exclusive mode to the
// lock, so it is root's race that matters. Many rounds of several readers
// let go at once, since the window is narrow.
TEST(SerialPortOpen, LosersOfARaceLeaveTheWinnersExclusiveMode)
{
    PtyPair pty;
    constexpr int Rounds = 400;
    constexpr int Readers = 6;
    int cleared = 0;
    for (int round = 0; round < Rounds; ++round) {
        int start[2], told[2], release[2];
        ASSERT_EQ(::pipe(start), 0);
        ASSERT_EQ(::pipe(told), 0);
        ASSERT_EQ(::pipe(release), 0);
        std::vector<pid_t> readers;
        for (int r = 0; r < Readers; ++r) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(start[1]);
                ::close(told[0]);
                ::close(release[1]);
                char byte;
                [[maybe_unused]] ssize_t n = ::read(start[0], &byte, 1); // ends when all are let go
                {
                    SerialPort port;
                    const char result = port.open(pty.slavePath(), 9600, 'N', 8, 0) ? 'w' : 'l';
                    n = ::write(told[1], &result, 1);
                    n = ::read(release[0], &byte, 1); // the winner keeps the port until then
                } // closed as a reader closes it
                ::_exit(0);
            }
            readers.push_back(pid);
        }
        ::close(start[0]);
        ::close(told[1]);
        ::close(release[0]);
        ::close(start[1]); // lets them all go at once
        int winners = 0;
        char result;
        for (int r = 0; r < Readers && ::read(told[0], &result, 1) == 1; ++r)
            winners += result == 'w';
        EXPECT_EQ(winners, 1) << "round " << round;
        if (winners == 1 && !exclusive(pty.slavePath()))
            ++cleared;
        ::close(release[1]);
        ::close(told[0]);
        for (const pid_t pid : readers)
            ::waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(cleared, 0) << "rounds in which a loser cleared the winner's exclusive mode";
}

TEST(SerialPortOpen, PortHeldByAnotherProgramIsInUse)
{
    PtyPair pty;
    {
        // Another program holds the line in exclusive mode.
        int fd = -1;
        const Child holder(
            [&] {
                fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
                return fd >= 0 && ::ioctl(fd, TIOCEXCL) == 0 ? 'y' : 'n';
            },
            [&] { ::ioctl(fd, TIOCNXCL); });
        ASSERT_EQ(holder.result(), 'y');
        SerialPort port;
        EXPECT_FALSE(port.open(pty.slavePath(), 9600, 'N', 8, 0));
        EXPECT_EQ(port.openFailure().reason, platform::OpenFailure::InUse);
    }
    {
        // A second reader of this program, whoever runs it.
        SerialPort first;
        const Child holder([&] { return first.open(pty.slavePath(), 9600, 'N', 8, 0) ? 'y' : 'n'; },
                           [&] { first.close(); });
        ASSERT_EQ(holder.result(), 'y');
        SerialPort second;
        EXPECT_FALSE(second.open(pty.slavePath(), 9600, 'N', 8, 0));
        EXPECT_EQ(second.openFailure().reason, platform::OpenFailure::InUse);
    }
    // Once they have let go, the port opens.
    SerialPort port;
    EXPECT_TRUE(port.open(pty.slavePath(), 9600, 'N', 8, 0));
}

TEST(SerialPortOpen, PermissionDeniedNamesTheDevicesGroup)
{
    PtyPair pty;
    struct stat node {};
    ASSERT_EQ(::stat(pty.slavePath().c_str(), &node), 0);
    const group* owner = ::getgrgid(node.st_gid);
    // Reported back as the failure reason and whether a group was named.
    const Child opener([&] {
        if (::geteuid() == 0) {
            // The superuser may open anything: try as nobody.
            if (!becomeUnprivilegedUser())
                return 's';
        } else if (::chmod(pty.slavePath().c_str(), 0) != 0) {
            return 's';
        }
        SerialPort port;
        if (port.open(pty.slavePath(), 9600, 'N', 8, 0))
            return 'o';
        const bool named = port.openFailure().deviceGroup == (owner && node.st_gid != 0 ? owner->gr_name : "");
        return static_cast<char>('0' + port.openFailure().reason + (named ? 0 : 10));
    });
    if (opener.result() == 's')
        GTEST_SKIP() << "cannot open the port as a user without permission here";
    EXPECT_EQ(opener.result(), '0' + platform::OpenFailure::AccessDenied);
}

TEST_F(SerialPortTest, WritesAndReadsBytes)
{
    const Bytes out = {1, 2, 3, 0xFF, 0x00, 0x0D, 0x0A, 0x11, 0x13};
    ASSERT_TRUE(port.write(out.data(), static_cast<int>(out.size())));
    EXPECT_EQ(port.lastError(), NoError);
    EXPECT_EQ(pty.receive(out.size(), 2000), out); // raw: nothing translated

    pty.send(out);
    std::uint8_t in[9] = {};
    EXPECT_EQ(port.read(in, 9), 9);
    EXPECT_EQ(Bytes(in, in + 9), out);
    EXPECT_EQ(port.lastError(), NoError);
}

TEST_F(SerialPortTest, ReadTimeouts)
{
    std::uint8_t in[16];

    // Silent line: the pause plus 500 ms + 1 ms a byte, then nothing.
    auto start = Clock::now();
    EXPECT_EQ(port.read(in, 16), 0);
    long ms = msSince(start);
    EXPECT_EQ(port.lastError(), NoAnswer);
    EXPECT_GE(ms, 20 + 500 + 16 - 5);
    EXPECT_LT(ms, 1500);

    // A part of what was asked: returns after the gap, last error unchanged.
    pty.send({7, 8, 9});
    start = Clock::now();
    EXPECT_EQ(port.read(in, 16), 3);
    ms = msSince(start);
    EXPECT_EQ(port.lastError(), NoAnswer);
    EXPECT_GE(ms, 20);
    EXPECT_LT(ms, 300);
}

TEST_F(SerialPortTest, AbortEndsAReadAtOnce)
{
    std::uint8_t in[16];
    std::promise<void> started;
    std::thread reader([&] {
        const auto start = Clock::now();
        started.set_value();
        EXPECT_EQ(port.read(in, 16), 0);
        EXPECT_LT(msSince(start), 400); // a silent line would take 536 ms
    });
    // Whether the read is pausing, waiting or not yet begun, it ends at once.
    started.get_future().wait();
    port.abort();
    reader.join();
    EXPECT_TRUE(port.isAborted());
    // Later reads and writes of this session fail at once.
    const auto start = Clock::now();
    EXPECT_EQ(port.read(in, 16), 0);
    EXPECT_FALSE(port.write(in, 1));
    EXPECT_LT(msSince(start), 100);
    // A new session starts afresh.
    ASSERT_TRUE(port.open(pty.slavePath(), 9600, 'N', 8, 0));
    EXPECT_FALSE(port.isAborted());
    EXPECT_TRUE(port.write(in, 1));
}

TEST_F(SerialPortTest, HangUpEndsAReadAtOnce)
{
    pty.send({1, 2});
    pty.closeMaster();
    std::uint8_t in[16];
    const auto start = Clock::now();
    const int got = port.read(in, 16);
    EXPECT_LE(got, 2);
    EXPECT_LT(msSince(start), 300);
    // And keeps ending at once, without spinning through the time-outs.
    const auto again = Clock::now();
    EXPECT_EQ(port.read(in, 16), 0);
    EXPECT_LT(msSince(again), 300);
}

TEST_F(SerialPortTest, LinePaceReadsWhatIsThereAtOnce)
{
    // Twenty reads of bytes that are waiting: the design pace pauses 20 ms
    // before each, the line pace not at all.
    const Bytes answer = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    const int reads = 20;
    for (const Pace pace : {Pace::Design, Pace::Line}) {
        SCOPED_TRACE(paceName(pace));
        port.setPace(pace);
        long ms = 0;
        for (int i = 0; i < reads; ++i) {
            pty.send(answer);
            std::uint8_t in[14] = {};
            const auto start = Clock::now();
            ASSERT_EQ(port.read(in, 14), 14);
            ms += msSince(start);
            EXPECT_EQ(Bytes(in, in + 14), answer);
            EXPECT_EQ(port.lastError(), NoError);
        }
        if (pace == Pace::Design)
            EXPECT_GE(ms, reads * 20);
        else
            EXPECT_LT(ms, reads * 20 / 2);
    }

    // Bytes that come later end the read as soon as the last is in, not
    // after the inter-byte gap or the total time-out.
    std::thread farEnd([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.send({1, 2, 3});
    });
    std::uint8_t in[3] = {};
    const auto start = Clock::now();
    EXPECT_EQ(port.read(in, 3), 3);
    const long ms = msSince(start);
    farEnd.join();
    EXPECT_GE(ms, 25);
    EXPECT_LT(ms, 300);
}

TEST_F(SerialPortTest, LinePaceDoesNotSpinOnAHungUpLine)
{
    port.setPace(Pace::Line);
    pty.closeMaster();
    // Every read that brings nothing still lasts the design pace's pause.
    std::uint8_t in[16];
    const auto start = Clock::now();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(port.read(in, 16), 0);
    const long ms = msSince(start);
    EXPECT_GE(ms, 5 * (20 - 2));
    EXPECT_LT(ms, 5 * 300);
    EXPECT_EQ(port.lastError(), NoAnswer);

    // An abort still ends such reads at once.
    port.abort();
    const auto again = Clock::now();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(port.read(in, 16), 0);
    EXPECT_LT(msSince(again), 10 * 20 / 2);
}

TEST_F(SerialPortTest, SettersKeepTheirRefusals)
{
    port.setStopBits(1); // one and a half needs 5 data bits
    EXPECT_EQ(port.stopBits(), 0);
    port.setByteSize(5);
    EXPECT_EQ(port.byteSize(), 5);
    port.setStopBits(2); // two stop bits do not go with 5 data bits
    EXPECT_EQ(port.stopBits(), 0);
    port.setStopBits(1);
    EXPECT_EQ(port.stopBits(), 1);
    port.setByteSize(8); // 8 data bits do not go with one and a half
    EXPECT_EQ(port.byteSize(), 5);
    port.setStopBits(0);
    port.setByteSize(8);
    port.setStopBits(2);
    EXPECT_EQ(port.stopBits(), 2);
    port.setByteSize(5);
    EXPECT_EQ(port.byteSize(), 8);

    port.setParity('F');
    EXPECT_EQ(port.parity(), 'F');
    port.setParity('Q'); // stored, changes nothing on the line
    EXPECT_EQ(port.parity(), 'Q');
    port.setFlowControl(2);
    EXPECT_EQ(port.flowControl(), 2);

    // Stored settings are applied again by the next open.
    port.setParity('N');
    port.setFlowControl(0);
    port.setStopBits(0);
    ASSERT_TRUE(port.open(pty.slavePath(), 9600, 'N', 8, 0));
    EXPECT_TRUE(port.isOpen());
    const Bytes out = {0xA5};
    EXPECT_TRUE(port.write(out.data(), 1));
    EXPECT_EQ(pty.receive(1, 2000), out);
}

TEST(Tick, IsMonotonicMilliseconds)
{
    const std::uint32_t a = platform::tickCount();
    platform::sleepMs(30);
    const std::uint32_t elapsed = platform::tickCount() - a;
    EXPECT_GE(elapsed, 29u);
    EXPECT_LT(elapsed, 1000u);
}
