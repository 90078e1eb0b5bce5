// The serial port on Windows: a COM port that Wine maps to the simulated
// unit's line (the unit runs outside this program, see RemoteUnit).
#include "buslib/serial/deviceinfolist_win32.h"
#include "buslib/serial/error.h"
#include "buslib/serial/platform.h"
#include "buslib/serial/serialport.h"
#include "tools/unitsim/remoteunit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include <windows.h>

using namespace morva_velox;
using morva_sim::Fault;
using morva_sim::FaultRule;
using morva_sim::RemoteUnit;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

namespace {

long msSince(Clock::time_point start)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Selects table 1: a request with a data block, answered by a header alone.
const Bytes SelectTable1 = {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x08, 0x05, 0x03, 0x00, 0xAF,
                            0x87, 0x75, 0x80, 0xFC, 0x01, 0x00, 0x80, 0x1E, 0x00, 0x00};

class Win32SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(port.open(unit.portPath(), 115200, 'N', 8, 0));
    }

    // Reads `count` bytes and returns how long the read took.
    long timedRead(int count, int expected)
    {
        std::vector<std::uint8_t> in(static_cast<std::size_t>(count));
        const auto start = Clock::now();
        EXPECT_EQ(port.read(in.data(), count), expected);
        const long ms = msSince(start);
        RecordProperty("read_" + std::to_string(count) + "_ms", static_cast<int>(ms));
        return ms;
    }

    RemoteUnit unit;
    SerialPort port;
};

} // namespace

TEST(Win32SerialPortNames, ComNamesStayNames)
{
    EXPECT_EQ(platform::devicePath("COM1"), "COM1");
    EXPECT_EQ(platform::devicePath("com12"), "COM12");
    EXPECT_EQ(platform::devicePath("COM256"), "COM256");
    EXPECT_EQ(platform::devicePath("\\\\.\\COM12"), "\\\\.\\COM12");
    for (const char* bad : {"COM0", "COM257", "COM", "COM01", "COMX", "/dev/ttyS0", "", "COM1 ", "\\\\.\\"})
        EXPECT_EQ(platform::devicePath(bad), "") << bad;
}

TEST(Win32SerialPortOpen, FailuresLeaveThePortClosed)
{
    SerialPort port;
    EXPECT_FALSE(port.write(SelectTable1.data(), 1));
    EXPECT_EQ(port.lastError(), SerialPortError);
    for (const char* name : {"COM250", "NOPORT", "COM0"}) {
        SerialPort p;
        EXPECT_FALSE(p.open(name, 9600, 'N', 8, 0)) << name;
        EXPECT_FALSE(p.isOpen());
        EXPECT_EQ(p.lastError(), SerialPortError) << name;
    }
    RemoteUnit unit;
    SerialPort p;
    EXPECT_FALSE(p.open(unit.portPath(), 12345, 'N', 8, 0)); // not a supported rate
    EXPECT_EQ(p.lastError(), SerialPortError);
    EXPECT_TRUE(p.open(unit.portPath(), 4800, 'N', 8, 0));
}

TEST_F(Win32SerialPortTest, ReadTimeoutsOfASilentLine)
{
    // The design pace's pause, then 500 ms + 1 ms a byte: the driver's
    // time-outs are the same in the line pace.
    for (const Pace pace : {Pace::Design, Pace::Line}) {
        port.setPace(pace);
        const long pause = pace == Pace::Design ? 20 : 0;
        for (const int count : {14, 100}) {
            const long ms = timedRead(count, 0);
            EXPECT_EQ(port.lastError(), NoAnswer);
            EXPECT_GE(ms, pause + 500 + count - 5) << paceName(pace) << ' ' << count;
            EXPECT_LT(ms, 1500) << paceName(pace) << ' ' << count;
        }
    }
}

TEST_F(Win32SerialPortTest, LinePaceReadsTheAnswerWithoutThePause)
{
    // Ten answers read in each pace: the design pace pauses 20 ms before
    // each read, the line pace reads at once and waits only for the bytes.
    const int answers = 10;
    long total[2] = {0, 0};
    for (const Pace pace : {Pace::Design, Pace::Line}) {
        port.setPace(pace);
        for (int i = 0; i < answers; ++i) {
            unit.clearRequests();
            ASSERT_TRUE(port.write(SelectTable1.data(), static_cast<int>(SelectTable1.size())));
            ASSERT_TRUE(unit.waitForRequests(1, std::chrono::seconds(2)));
            total[static_cast<int>(pace)] += timedRead(14, 14);
            EXPECT_EQ(port.lastError(), NoError);
        }
    }
    EXPECT_GE(total[0], answers * 20);
    EXPECT_LT(total[1], total[0] - answers * 10) << "design " << total[0] << " ms, line " << total[1] << " ms";
}

TEST_F(Win32SerialPortTest, WritesARequestAndReadsTheAnswer)
{
    ASSERT_TRUE(port.write(SelectTable1.data(), static_cast<int>(SelectTable1.size())));
    EXPECT_EQ(port.lastError(), NoError);
    ASSERT_TRUE(unit.waitForRequests(1, std::chrono::seconds(2)));
    EXPECT_EQ(unit.requests()[0].bytes, SelectTable1);
    timedRead(14, 14);
    EXPECT_EQ(port.lastError(), NoError);
}

TEST_F(Win32SerialPortTest, APartialAnswerEndsAfterTheGap)
{
    unit.addFault(FaultRule{Fault::partialHeader(10), {}, {}, {}, 1});
    ASSERT_TRUE(port.write(SelectTable1.data(), static_cast<int>(SelectTable1.size())));
    ASSERT_TRUE(unit.waitForRequests(1, std::chrono::seconds(2)));
    port.clearErrors();
    const long ms = timedRead(16, 10);
    EXPECT_EQ(port.lastError(), NoError); // left as the write set it
    EXPECT_LT(ms, 400);
}

TEST_F(Win32SerialPortTest, AbortEndsAReadAtOnce)
{
    std::promise<void> started;
    std::thread reader([&] {
        std::uint8_t in[16];
        const auto start = Clock::now();
        started.set_value();
        EXPECT_EQ(port.read(in, 16), 0);
        EXPECT_LT(msSince(start), 400); // a silent line takes 536 ms
    });
    started.get_future().wait();
    port.abort();
    reader.join();
    EXPECT_TRUE(port.isAborted());
    std::uint8_t in[16];
    const auto start = Clock::now();
    EXPECT_EQ(port.read(in, 16), 0);
    EXPECT_FALSE(port.write(in, 1));
    EXPECT_LT(msSince(start), 100);
    // A new session starts afresh.
    ASSERT_TRUE(port.open(unit.portPath(), 9600, 'N', 8, 0));
    EXPECT_FALSE(port.isAborted());
    EXPECT_TRUE(port.write(SelectTable1.data(), static_cast<int>(SelectTable1.size())));
}

TEST_F(Win32SerialPortTest, SettersAndReopenKeepTheLineWorking)
{
    port.setParity('E');
    port.setFlowControl(2);
    port.setByteSize(7);
    EXPECT_EQ(port.byteSize(), 7);
    port.setStopBits(1); // one and a half needs 5 data bits
    EXPECT_EQ(port.stopBits(), 0);
    port.setParity('N');
    port.setFlowControl(0);
    port.setByteSize(8);
    ASSERT_TRUE(port.open(unit.portPath(), 115200, 'N', 8, 0));
    ASSERT_TRUE(port.write(SelectTable1.data(), static_cast<int>(SelectTable1.size())));
    ASSERT_TRUE(unit.waitForRequests(1, std::chrono::seconds(2)));
    EXPECT_EQ(unit.requests()[0].bytes, SelectTable1);
    timedRead(14, 14);
}

// The driver has no low-latency mode to ask for; a port that is no FTDI
// adapter has no latency timer to tell; the design pace asks nothing.
TEST_F(Win32SerialPortTest, LinePaceAsksNoDriverModeAndFindsNoAdapterTimer)
{
    EXPECT_EQ(port.latencyState().mode, platform::LatencyState::NotAsked);
    port.setPace(Pace::Line);
    EXPECT_EQ(port.latencyState().mode, platform::LatencyState::Unavailable);
    EXPECT_EQ(port.latencyState().adapterTimerMs, -1);
    ASSERT_TRUE(port.write(SelectTable1.data(), static_cast<int>(SelectTable1.size())));
    timedRead(14, 14);
}

namespace {

// An FTDI adapter's device parameters as its driver keeps them, naming the
// port; removed again at the end. Needs the right to write the machine's
// part of the registry (Wine gives it).
class FtdiDeviceKey {
public:
    FtdiDeviceKey(const std::string& portName, DWORD latencyTimer)
    {
        const std::wstring port(portName.begin(), portName.end());
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (Device + L"\\0000\\Device Parameters").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr)
            != ERROR_SUCCESS)
            return;
        m_made = ::RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(port.c_str()),
                                  static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t)))
                == ERROR_SUCCESS
            && ::RegSetValueExW(key, L"LatencyTimer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&latencyTimer),
                                sizeof latencyTimer)
                == ERROR_SUCCESS;
        ::RegCloseKey(key);
    }
    ~FtdiDeviceKey() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, Device.c_str()); }
    bool made() const { return m_made; }

private:
    const std::wstring Device = L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\VID_0403+PID_6001+MORVATEST";
    bool m_made = false;
};

} // namespace

// An FTDI adapter's timer is read, never changed, and a long one advised.
TEST_F(Win32SerialPortTest, LinePaceReadsTheFtdiLatencyTimer)
{
    const FtdiDeviceKey adapter(unit.portPath(), 16);
    if (!adapter.made())
        GTEST_SKIP() << "cannot write the machine's device parameters here";
    port.setPace(Pace::Line);
    EXPECT_EQ(port.latencyState().adapterTimerMs, 16);
    EXPECT_NE(SerialPort::latencyNote(port.latencyState()).find("Latency Timer"), std::string::npos);
    port.setPace(Pace::Design);
    EXPECT_EQ(port.latencyState().adapterTimerMs, -1);
}

TEST(Win32Tick, IsMonotonicMilliseconds)
{
    const std::uint32_t a = platform::tickCount();
    platform::sleepMs(30);
    const std::uint32_t elapsed = platform::tickCount() - a;
    // GetTickCount advances in steps of the system timer, up to 16 ms.
    EXPECT_GE(elapsed, 14u);
    EXPECT_LT(elapsed, 1000u);
}

// A failed SetupDiGetClassDevs is no list: destroying it would be a call on
// an invalid handle, which the system answers with ERROR_INVALID_HANDLE.
TEST(DeviceInfoList, AFailedListIsNeverDestroyed)
{
    ::SetLastError(ERROR_SUCCESS);
    {
        const DeviceInfoList failed(INVALID_HANDLE_VALUE);
        EXPECT_FALSE(failed.valid());
    }
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    // A list the system made is one, and goes without complaint.
    {
        const DeviceInfoList ports(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
        EXPECT_TRUE(ports.valid());
        ::SetLastError(ERROR_SUCCESS);
    }
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}
