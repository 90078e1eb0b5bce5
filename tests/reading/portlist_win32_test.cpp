// The port list on Windows, from the system's own list of ports. The
// Windows build's script registers COM1 under Wine as a USB adapter whose
// friendly name is Cyrillic, as a Russian Windows names it, and says so in
// MORVA_REGISTERED_PORTS; the name must reach the list whole, whatever the
// system's ANSI code page.
#include "reading/portmap.h"
#include "buslib/serial/systemports.h"

#include <gtest/gtest.h>

#include <wx/utils.h>

#include <algorithm>

using morva_velox::SerialPortInfo;
using morva_velox::SystemPortEnumerator;

TEST(Win32PortList, FriendlyNamesReachTheListWhole)
{
    if (!wxGetEnv("MORVA_REGISTERED_PORTS", nullptr))
        GTEST_SKIP() << "no port registered with a known friendly name (see scripts/windows/build-and-test.sh)";
    const SystemPortEnumerator system;
    const std::vector<SerialPortInfo> ports = system.ports();
    const auto com1 = std::find_if(ports.begin(), ports.end(), [](const SerialPortInfo& p) { return p.device == "COM1"; });
    ASSERT_NE(com1, ports.end());
    EXPECT_EQ(com1->description, u8"Преобразователь USB");
    EXPECT_EQ(com1->transport, SerialPortInfo::Transport::Usb);
    EXPECT_EQ(com1->vendorId, 0x0403);
    EXPECT_EQ(com1->productId, 0x6001);

    const PortMap list(system, nullptr);
    EXPECT_EQ(list.Label(1), wxString::FromUTF8(u8"COM1 \u2013 Преобразователь USB"));
    EXPECT_EQ(list.Resolve("COM1").label, list.Label(1));
}
