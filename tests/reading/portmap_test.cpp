// COM names and the detected ports: the order, the settings' "/ports"
// group, the port list's labels and the reasons a port did not open.
#include "reading/portmap.h"
#include "reading/portopenfailure.h"
#include "buslib/serial/serialport.h"
#include "support/fixedports.h"

#include <gtest/gtest.h>

#include <wx/fileconf.h>
#include <wx/sstream.h>

using morva_test::BuiltInPort;
using morva_test::FixedPortEnumerator;
using morva_test::UsbAdapter;
using morva_velox::SerialPortInfo;

namespace {

SerialPortInfo Modem(std::string device)
{
    SerialPortInfo port = UsbAdapter(std::move(device), "Unit modem");
    return port;
}

SerialPortInfo Bluetooth(std::string device)
{
    SerialPortInfo port;
    port.device = std::move(device);
    port.transport = SerialPortInfo::Transport::Bluetooth;
    return port;
}

std::unique_ptr<wxFileConfig> Settings(std::initializer_list<std::pair<const char*, const char*>> entries)
{
    wxStringInputStream empty(wxString{});
    auto config = std::make_unique<wxFileConfig>(empty);
    for (const auto& entry : entries)
        config->Write(entry.first, entry.second);
    return config;
}

std::vector<std::string> Devices(const PortMap& map)
{
    std::vector<std::string> devices;
    for (const SerialPortInfo& port : map.Detected())
        devices.push_back(port.device);
    return devices;
}

} // namespace

TEST(PortMap, NumbersDetectedPortsBuiltInFirstThenModemsThenAdapters)
{
    const FixedPortEnumerator machine({UsbAdapter("/dev/ttyUSB1"), Modem("/dev/ttyACM0"),
                                       BuiltInPort("/dev/ttyS1"), UsbAdapter("/dev/ttyUSB10"),
                                       Bluetooth("/dev/rfcomm0"), UsbAdapter("/dev/ttyUSB0"),
                                       BuiltInPort("/dev/ttyS0"), UsbAdapter("/dev/ttyUSB2")});
    const PortMap map(machine, nullptr, PortMap::Numbering::DetectionOrder);
    const std::vector<std::string> order = {"/dev/ttyS0",   "/dev/ttyS1",   "/dev/ttyACM0",
                                            "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2",
                                            "/dev/ttyUSB10", "/dev/rfcomm0"};
    EXPECT_EQ(Devices(map), order);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const wxString com = wxString::Format("COM%zu", i + 1);
        EXPECT_EQ(map.Resolve(com).device, order[i]) << com;
        EXPECT_EQ(map.NumberOf(map.Detected()[i]), static_cast<int>(i + 1));
    }
    // Beyond the detected ports the bus library's own rule decides.
    EXPECT_EQ(map.Resolve("COM9").device, "COM9");
    EXPECT_EQ(map.PortAt(9), nullptr);
    // Any letter case; a device path stands as it is.
    EXPECT_EQ(map.Resolve("com4").device, "/dev/ttyUSB0");
    EXPECT_EQ(map.Resolve("com4").name, "COM4");
    EXPECT_EQ(map.Resolve("/dev/ttyUSB7").device, "/dev/ttyUSB7");
    // Each names its port as the port list shows it.
    EXPECT_EQ(map.Resolve("com4").label, map.Label(4));
    EXPECT_EQ(map.Resolve("COM9").label, "COM9");
    EXPECT_EQ(map.Resolve("/dev/ttyUSB7").label, "/dev/ttyUSB7");
}

TEST(PortMap, AnEntryOfThePortsGroupWins)
{
    SerialPortInfo adapter = UsbAdapter("/dev/ttyUSB0");
    adapter.stablePath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    const FixedPortEnumerator machine({BuiltInPort("/dev/ttyS0"), adapter});
    const auto settings = Settings({{"/ports/COM1", adapter.stablePath.c_str()}, {"/ports/COM3", " /dev/ttyX9 "}});
    const PortMap map(machine, settings.get(), PortMap::Numbering::DetectionOrder);

    EXPECT_EQ(map.Resolve("COM1").device, adapter.stablePath);
    EXPECT_EQ(map.Resolve("COM2").device, "/dev/ttyUSB0");
    EXPECT_EQ(map.Resolve("COM3").device, "/dev/ttyX9");
    EXPECT_EQ(map.Resolve("COM1").label, L"COM1 \u2013 FT232R USB UART (/dev/ttyUSB0)");
    // The entry's device is the adapter, known by its stable path.
    EXPECT_EQ(map.Label(1), L"COM1 \u2013 FT232R USB UART (/dev/ttyUSB0)");
    EXPECT_EQ(map.Label(3), L"COM3 \u2013 /dev/ttyX9");
    // The adapter answers to COM1 first; the built-in port lost its number.
    EXPECT_EQ(map.NumberOf(map.Detected()[1]), 1);
    EXPECT_EQ(map.NumberOf(map.Detected()[0]), 0);
}

TEST(PortMap, LabelsShowTheDeviceBehindEachEntry)
{
    const FixedPortEnumerator machine({UsbAdapter("/dev/ttyUSB0"), BuiltInPort("/dev/ttyS0")});
    const PortMap map(machine, nullptr, PortMap::Numbering::DetectionOrder);
    EXPECT_EQ(map.Label(1), L"COM1 \u2013 /dev/ttyS0");
    EXPECT_EQ(map.Label(2), L"COM2 \u2013 FT232R USB UART (/dev/ttyUSB0)");
    EXPECT_EQ(map.Label(3), "COM3");
    EXPECT_EQ(map.Label(256), "COM256");
}

TEST(PortMap, WhereTheSystemNamesItsPortsCOMnStaysCOMn)
{
    SerialPortInfo adapter = UsbAdapter("COM7", "USB Serial Port");
    const FixedPortEnumerator machine({adapter, BuiltInPort("COM1")});
    const PortMap map(machine, nullptr, PortMap::Numbering::SystemNames);
    EXPECT_EQ(Devices(map), (std::vector<std::string>{"COM1", "COM7"}));
    EXPECT_EQ(map.Resolve("COM7").device, "COM7");
    EXPECT_EQ(map.Resolve("COM2").device, "COM2");
    EXPECT_EQ(map.Label(7), L"COM7 \u2013 USB Serial Port");
    EXPECT_EQ(map.Label(1), "COM1");
    EXPECT_EQ(map.Label(2), "COM2");
    EXPECT_EQ(map.NumberOf(map.Detected()[1]), 7);
}

TEST(PortOpenFailureText, NamesTheDeviceAndWhatToDo)
{
    const struct {
        ChosenPort port;
        int baud;
        const char* text;
    } rows[] = {
        {{"COM1", "/dev/no-such-port"}, 9600,
         "Serial port error\nThe device /dev/no-such-port, which COM1 stands for, does not exist."},
        {{"/dev/no-such-port", "/dev/no-such-port"}, 9600,
         "Serial port error\nThe device /dev/no-such-port does not exist."},
        {{"COM200", "COM200"}, 9600,
         "Serial port error\nThe device /dev/ttyS199, which COM200 stands for, does not exist."},
        {{"", ""}, 9600, "Serial port error\nNo serial port is chosen."},
        {{"/dev/null", "/dev/null"}, 9600, "Serial port error\n/dev/null is not a serial port."},
        {{"/dev/null", "/dev/null"}, 1234, "Serial port error\n/dev/null does not support 1234 baud."},
    };
    for (const auto& row : rows) {
        morva_velox::SerialPort serial;
        ASSERT_FALSE(serial.open(row.port.device, row.baud, 'N', 8, 0));
        EXPECT_EQ(SerialPortErrorText(row.port, serial, row.baud), row.text) << row.port.device;
    }
}
