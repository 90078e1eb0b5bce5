// The lines of "morva_reporter_cli ports" for a machine the test decides.
#include "cli/porttable.h"
#include "support/fixedports.h"

#include <gtest/gtest.h>

using morva_test::BuiltInPort;
using morva_test::FixedPortEnumerator;
using morva_test::UsbAdapter;

TEST(PortTable, OneLinePerDetectedPortInTheOrderOfTheirCOMNames)
{
    morva_velox::SerialPortInfo adapter = UsbAdapter("/dev/ttyUSB0");
    adapter.stablePath = "/dev/serial/by-id/usb-FTDI-if00";
    const FixedPortEnumerator machine({adapter, BuiltInPort("/dev/ttyS0")});
    const PortMap ports(machine, nullptr, PortMap::Numbering::DetectionOrder);

    EXPECT_EQ(PortTable(ports, false),
              "COM1\t/dev/ttyS0\t\t\t\n"
              "COM2\t/dev/ttyUSB0\t/dev/serial/by-id/usb-FTDI-if00\tFT232R USB UART\t0403:6001\n");
    EXPECT_EQ(PortTable(ports, true),
              "PORT  DEVICE        STABLE PATH                      DESCRIPTION      USB ID\n"
              "COM1  /dev/ttyS0    -                                -                -\n"
              "COM2  /dev/ttyUSB0  /dev/serial/by-id/usb-FTDI-if00  FT232R USB UART  0403:6001\n");
}

TEST(PortTable, NothingForAMachineWithoutPorts)
{
    const FixedPortEnumerator machine;
    const PortMap ports(machine, nullptr, PortMap::Numbering::DetectionOrder);
    EXPECT_EQ(PortTable(ports, true), "");
    EXPECT_EQ(PortTable(ports, false), "");
}
