// The serial port over a real pseudo-terminal.
#include "buslib/error.h"
#include "buslib/platform.h"
#include "buslib/serialport.h"
#include "support/ptypair.h"

#include "support/timing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

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
