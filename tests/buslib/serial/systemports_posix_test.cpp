// The machine's port list on Linux, read from fixture trees in the place of
// sysfs and /dev: which ttys are ports, the placeholder ttyS nodes without
// a UART left out, the stable links of /dev/serial/by-id, and the order.
#include "buslib/serial/systemports.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using morva_velox::SerialPortInfo;
using morva_velox::SystemPortEnumerator;

namespace fs = std::filesystem;

namespace {

// A tty of the fixture's sysfs.
struct Tty {
    std::string name;
    bool hasDevice;    // a "device" behind it (a virtual tty has none)
    std::string type;  // the serial core's "type" file; none when empty
};

// A link of /dev/serial/by-id and the node it points at, relatively, as
// udev makes them.
struct StableLink {
    std::string name;
    std::string target;
};

struct Port {
    std::string node; // under the fixture's /dev
    std::string stableLink; // under /dev/serial/by-id; empty for none
};

struct Case {
    const char* name;
    std::vector<Tty> ttys;
    std::vector<StableLink> links;
    std::vector<Port> expected;
};

const std::string Ftdi = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
const std::string Prolific = "usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";

const Case Cases[] = {
    {"virtual ttys are no ports", {{"tty0", false, ""}, {"ptmx", false, ""}, {"console", false, ""}}, {}, {}},
    {"placeholder ttyS nodes without a UART are left out",
     {{"ttyS0", true, "4"}, {"ttyS1", true, "0"}, {"ttyS2", true, ""}, {"ttyS3", false, "0"}},
     {},
     {{"ttyS0", ""}}},
    {"a UART is a port even where nothing else says so", {{"ttyS3", false, "4"}}, {}, {{"ttyS3", ""}}},
    {"adapters with their stable links",
     {{"ttyUSB0", true, ""}, {"ttyUSB1", true, ""}, {"ttyACM0", true, ""}},
     {{Ftdi, "../../ttyUSB1"}, {Prolific, "../../ttyUSB0"}},
     {{"ttyACM0", ""}, {"ttyUSB0", Prolific}, {"ttyUSB1", Ftdi}}},
    {"a dangling link and a link to another node are not a port's",
     {{"ttyUSB0", true, ""}},
     {{"usb-gone-if00-port0", "../../ttyUSB7"}, {"usb-console-if00", "../../tty0"}},
     {{"ttyUSB0", ""}}},
    {"two links to one node: the first by name",
     {{"ttyUSB0", true, ""}},
     {{"usb-B-if00", "../../ttyUSB0"}, {"usb-A-if00", "../../ttyUSB0"}},
     {{"ttyUSB0", "usb-A-if00"}}},
    {"ordered by name",
     {{"ttyUSB2", true, ""}, {"ttyS0", true, "4"}, {"ttyACM0", true, ""}, {"rfcomm0", true, ""}},
     {},
     {{"rfcomm0", ""}, {"ttyACM0", ""}, {"ttyS0", ""}, {"ttyUSB2", ""}}},
};

class SystemPortsTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/morva-ports-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        root = tmpl;
        const Case& c = GetParam();
        fs::create_directories(sys() / "class" / "tty");
        fs::create_directories(dev() / "serial" / "by-id");
        for (const Tty& tty : c.ttys) {
            const fs::path entry = sys() / "class" / "tty" / tty.name;
            fs::create_directories(entry);
            if (tty.hasDevice)
                fs::create_directories(entry / "device");
            if (!tty.type.empty())
                std::ofstream(entry / "type") << tty.type << "\n";
            std::ofstream(dev() / tty.name); // the node
        }
        for (const StableLink& link : c.links)
            fs::create_symlink(link.target, dev() / "serial" / "by-id" / link.name);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path sys() const { return root / "sys"; }
    fs::path dev() const { return root / "dev"; }

    fs::path root;
};

} // namespace

TEST_P(SystemPortsTest, FindsThePortsOfTheTree)
{
    const std::vector<SerialPortInfo> ports = SystemPortEnumerator(sys().string(), dev().string()).ports();
    std::vector<std::pair<std::string, std::string>> found;
    for (const SerialPortInfo& port : ports)
        found.emplace_back(port.device, port.stablePath);
    std::vector<std::pair<std::string, std::string>> expected;
    for (const Port& port : GetParam().expected)
        expected.emplace_back((dev() / port.node).string(),
                              port.stableLink.empty() ? std::string()
                                                      : (dev() / "serial" / "by-id" / port.stableLink).string());
    EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(Trees, SystemPortsTest, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });
