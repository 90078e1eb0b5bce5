// The driver calls that a pseudo-terminal cannot show, the modem lines and
// the low-latency mode, through a device control that records them; the
// port itself is a real pseudo-terminal.
#include "buslib/serial/devicecontrol.h"
#include "buslib/serial/serialport.h"
#include "support/ptypair.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace morva_velox;
using morva_test::PtyPair;
using platform::LatencyState;
using platform::ModemDtr;
using platform::ModemRts;

namespace {

// A driver as the test describes it, and every call made on it.
struct Driver {
    bool hasModemLines = true;
    // Raised by the kernel at every open.
    int lines = ModemDtr | ModemRts;
    bool hasLowLatency = true;
    bool refusesLowLatency = false;
    bool lowLatency = false;
    std::vector<std::string> calls;

    std::size_t count(const std::string& call) const
    {
        std::size_t n = 0;
        for (const std::string& c : calls)
            n += c.compare(0, call.size(), call) == 0;
        return n;
    }
};

class RecordingControl : public platform::DeviceControl {
public:
    explicit RecordingControl(std::shared_ptr<Driver> driver) : m_driver(std::move(driver)) {}

    bool modemLines(int, int& lines) override
    {
        m_driver->calls.push_back("get lines");
        lines = m_driver->lines;
        return m_driver->hasModemLines;
    }
    bool raiseModemLines(int, int lines) override
    {
        m_driver->calls.push_back("raise " + std::to_string(lines));
        m_driver->lines |= lines;
        return m_driver->hasModemLines;
    }
    bool lowerModemLines(int, int lines) override
    {
        m_driver->calls.push_back("lower " + std::to_string(lines));
        m_driver->lines &= ~lines;
        return m_driver->hasModemLines;
    }
    bool lowLatency(int, bool& on) override
    {
        m_driver->calls.push_back("get latency");
        on = m_driver->lowLatency;
        return m_driver->hasLowLatency;
    }
    bool setLowLatency(int, bool on) override
    {
        m_driver->calls.push_back(on ? "latency on" : "latency off");
        if (!m_driver->hasLowLatency || m_driver->refusesLowLatency)
            return false;
        m_driver->lowLatency = on;
        return true;
    }

private:
    std::shared_ptr<Driver> m_driver;
};

class DeviceControlTest : public ::testing::Test {
protected:
    std::unique_ptr<SerialPort> makePort()
    {
        return std::make_unique<SerialPort>(std::make_unique<RecordingControl>(driver));
    }
    bool open(SerialPort& port) { return port.open(pty.slavePath(), 115200, 'N', 8, 0); }

    // The line still carries bytes both ways.
    void expectLineWorks(SerialPort& port)
    {
        const std::uint8_t out[] = {0x55, 0xAA};
        ASSERT_TRUE(port.write(out, 2));
        EXPECT_EQ(pty.receive(2, 1000), std::vector<std::uint8_t>(out, out + 2));
        pty.send({1, 2, 3});
        std::uint8_t in[3];
        EXPECT_EQ(port.read(in, 3), 3);
    }

    PtyPair pty;
    std::shared_ptr<Driver> driver = std::make_shared<Driver>();
};

} // namespace

// The modem lines as a communications port's settings have them: DTR off
// but under hardware flow control, RTS on; at open, and after a change.
TEST_F(DeviceControlTest, ModemLinesFollowTheFlowControlMode)
{
    const int expected[] = {ModemRts, ModemDtr | ModemRts, ModemRts};
    for (int mode = 0; mode <= 2; ++mode) {
        SCOPED_TRACE("open in mode " + std::to_string(mode));
        const auto port = makePort();
        port->setFlowControl(mode);
        driver->lines = ModemDtr | ModemRts;
        ASSERT_TRUE(open(*port));
        EXPECT_EQ(driver->lines, expected[mode]);
        for (int next = 0; next <= 2; ++next) {
            SCOPED_TRACE("then mode " + std::to_string(next));
            port->setFlowControl(next);
            EXPECT_EQ(driver->lines, expected[next]);
        }
        // A mode the port does not know changes no line.
        port->setFlowControl(7);
        EXPECT_EQ(driver->lines, expected[2]);
    }
}

// A device without modem lines (a pseudo-terminal) is used as it is.
TEST_F(DeviceControlTest, DeviceWithoutModemLinesIsUsedAsItIs)
{
    driver->hasModemLines = false;
    const auto port = makePort();
    ASSERT_TRUE(open(*port));
    for (int mode : {1, 2, 0})
        port->setFlowControl(mode);
    EXPECT_EQ(driver->count("raise"), 0u);
    EXPECT_EQ(driver->count("lower"), 0u);
    expectLineWorks(*port);
}

// The line pace turns low-latency mode on, whether it is chosen before the
// port opens or after, and every way of closing the port turns it off again.
TEST_F(DeviceControlTest, LinePaceSetsLowLatencyAndEveryCloseRestoresIt)
{
    const struct {
        const char* name;
        bool paceBeforeOpen;
        void (*end)(std::unique_ptr<SerialPort>&, PtyPair&);
    } rows[] = {
        {"close", true, [](std::unique_ptr<SerialPort>& p, PtyPair&) { p->close(); }},
        {"pace chosen after open, then close", false, [](std::unique_ptr<SerialPort>& p, PtyPair&) { p->close(); }},
        {"destruction", true, [](std::unique_ptr<SerialPort>& p, PtyPair&) { p.reset(); }},
        {"back to the design pace", false, [](std::unique_ptr<SerialPort>& p, PtyPair&) { p->setPace(Pace::Design); }},
        {"a failed open", true,
         [](std::unique_ptr<SerialPort>& p, PtyPair&) { EXPECT_FALSE(p->open("/dev/does-not-exist", 115200, 'N', 8, 0)); }},
        {"an unplug, then close", true, [](std::unique_ptr<SerialPort>& p, PtyPair& pty) {
             pty.closeMaster();
             std::uint8_t in[4];
             EXPECT_EQ(p->read(in, 4), 0);
             p->close();
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PtyPair line;
        driver = std::make_shared<Driver>();
        auto port = makePort();
        if (row.paceBeforeOpen)
            port->setPace(Pace::Line);
        ASSERT_TRUE(port->open(line.slavePath(), 115200, 'N', 8, 0));
        if (!row.paceBeforeOpen)
            port->setPace(Pace::Line);
        EXPECT_TRUE(driver->lowLatency);
        EXPECT_EQ(port->latencyState().mode, LatencyState::Set);
        EXPECT_EQ(SerialPort::latencyNote(port->latencyState()), "low-latency mode set");
        row.end(port, line);
        EXPECT_FALSE(driver->lowLatency);
        EXPECT_EQ(driver->count("latency on"), 1u);
        EXPECT_EQ(driver->count("latency off"), 1u);
    }
}

// A driver found in low-latency mode is left in it.
TEST_F(DeviceControlTest, LowLatencyFoundOnStaysOn)
{
    driver->lowLatency = true;
    auto port = makePort();
    port->setPace(Pace::Line);
    ASSERT_TRUE(open(*port));
    EXPECT_EQ(port->latencyState().mode, LatencyState::Set);
    port->close();
    EXPECT_TRUE(driver->lowLatency);
    EXPECT_EQ(driver->count("get latency"), 1u);
    EXPECT_EQ(driver->count("latency o"), 0u); // a look, and no change
}

// The design pace never asks the driver about low latency.
TEST_F(DeviceControlTest, DesignPaceNeverTouchesLowLatency)
{
    auto port = makePort();
    ASSERT_TRUE(open(*port));
    port->setPace(Pace::Design);
    port->setFlowControl(1);
    expectLineWorks(*port);
    EXPECT_EQ(port->latencyState().mode, LatencyState::NotAsked);
    EXPECT_EQ(SerialPort::latencyNote(port->latencyState()), "low-latency mode not asked for (design pace)");
    port->close();
    ASSERT_TRUE(open(*port));
    port.reset();
    EXPECT_EQ(driver->count("get latency"), 0u);
    EXPECT_EQ(driver->count("latency o"), 0u);
}

// A driver without the mode, or one that refuses it, leaves the port as
// usable as before; nothing is put back that was never changed.
TEST_F(DeviceControlTest, RefusedLowLatencyIsHarmless)
{
    const struct {
        const char* name;
        bool hasLowLatency;
        bool refuses;
    } rows[] = {{"no such mode", false, false}, {"refused", true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        driver = std::make_shared<Driver>();
        driver->hasLowLatency = row.hasLowLatency;
        driver->refusesLowLatency = row.refuses;
        auto port = makePort();
        port->setPace(Pace::Line);
        ASSERT_TRUE(open(*port));
        EXPECT_EQ(port->latencyState().mode, LatencyState::Unavailable);
        EXPECT_EQ(SerialPort::latencyNote(port->latencyState()), "low-latency mode not available from the driver");
        expectLineWorks(*port);
        port->close();
        EXPECT_EQ(driver->count("latency off"), 0u);
        EXPECT_FALSE(driver->lowLatency);
    }
}

// The system's own calls on a pseudo-terminal: no modem lines, no
// low-latency mode, and the port works all the same.
TEST(SystemDeviceControl, PseudoTerminalHasNeitherAndWorks)
{
    PtyPair pty;
    SerialPort port;
    port.setPace(Pace::Line);
    ASSERT_TRUE(port.open(pty.slavePath(), 115200, 'N', 8, 0));
    EXPECT_EQ(port.latencyState().mode, LatencyState::Unavailable);
    for (int mode : {1, 2, 0})
        port.setFlowControl(mode);
    const std::uint8_t out[] = {7};
    ASSERT_TRUE(port.write(out, 1));
    EXPECT_EQ(pty.receive(1, 1000), std::vector<std::uint8_t>(out, out + 1));
}

// An adapter's latency timer, where the system tells it, goes into the note
// with the way to lower it when it holds answers back.
TEST(LatencyNote, AdvisesLoweringALongAdapterTimer)
{
    const struct {
        LatencyState state;
        const char* note;
    } rows[] = {
        {{LatencyState::Unavailable, 16},
         "low-latency mode not available from the driver; the USB adapter's latency timer is 16 ms: lower it "
         "to 1 ms in Device Manager > the port > Port Settings > Advanced > Latency Timer"},
        {{LatencyState::Unavailable, 2},
         "low-latency mode not available from the driver; the USB adapter's latency timer is 2 ms"},
        {{LatencyState::Set, -1}, "low-latency mode set"},
        {{LatencyState::NotAsked, -1}, "low-latency mode not asked for (design pace)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SerialPort::latencyNote(row.state), row.note);
}
