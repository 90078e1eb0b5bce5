// The machine's serial ports on Linux: every tty of sysfs with a device
// behind it, and every port that libserialport finds, less the kernel's
// placeholder ttyS nodes that have no UART; each with its stable link of
// /dev/serial/by-id, and on the machine's own tree with what libserialport
// tells of it. Built-in UARTs that the library passes over when the user
// may not open them are found in sysfs all the same.

#include "buslib/serial/systemports.h"

#include <libserialport.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <utility>

namespace morva_velox {

namespace {

namespace fs = std::filesystem;

const char* const SystemSysRoot = "/sys";
const char* const SystemDevRoot = "/dev";

struct PortListFree {
    void operator()(sp_port** list) const { sp_free_port_list(list); }
};
struct PortFree {
    void operator()(sp_port* port) const { sp_free_port(port); }
};

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

bool isPlaceholderName(const std::string& name) { return name.rfind("ttyS", 0) == 0; }

std::string nameOf(const std::string& device) { return fs::path(device).filename().string(); }

// The kernel makes a fixed number of ttyS nodes whether or not a UART
// answers behind them; the serial core's "type" of such a port is 0
// (unknown). Readable by everyone, unlike the device.
bool hasUart(const fs::path& ttyClass, const std::string& name)
{
    std::ifstream type(ttyClass / name / "type");
    int value = 0;
    return (type >> value) && value != 0;
}

std::vector<std::string> libraryPorts()
{
    std::vector<std::string> devices;
    sp_port** found = nullptr;
    if (sp_list_ports(&found) == SP_OK) {
        const std::unique_ptr<sp_port*, PortListFree> list(found);
        for (sp_port** p = list.get(); *p; ++p)
            devices.push_back(text(sp_get_port_name(*p)));
    }
    return devices;
}

std::string stablePathOf(const std::string& device, const fs::path& stableLinks)
{
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec)
        return {};
    std::vector<std::string> links;
    for (const auto& link : fs::directory_iterator(stableLinks, ec)) {
        std::error_code linkError;
        if (fs::canonical(link.path(), linkError) == target && !linkError)
            links.push_back(link.path().string());
    }
    // One device may have several links (one per interface name): the
    // first by name, whatever order the directory gives.
    return links.empty() ? std::string() : *std::min_element(links.begin(), links.end());
}

SerialPortInfo::Transport transportOf(sp_transport transport)
{
    switch (transport) {
    case SP_TRANSPORT_USB: return SerialPortInfo::Transport::Usb;
    case SP_TRANSPORT_BLUETOOTH: return SerialPortInfo::Transport::Bluetooth;
    default: return SerialPortInfo::Transport::Native;
    }
}

// What libserialport tells of a port of this machine.
void describeFromLibrary(SerialPortInfo& info)
{
    sp_port* found = nullptr;
    if (sp_get_port_by_name(info.device.c_str(), &found) != SP_OK)
        return;
    const std::unique_ptr<sp_port, PortFree> port(found);
    info.description = text(sp_get_port_description(port.get()));
    // Built-in ports describe themselves by their own name.
    if (info.description == nameOf(info.device))
        info.description.clear();
    info.transport = transportOf(sp_get_port_transport(port.get()));
    if (info.transport == SerialPortInfo::Transport::Usb) {
        info.manufacturer = text(sp_get_port_usb_manufacturer(port.get()));
        info.product = text(sp_get_port_usb_product(port.get()));
        info.serialNumber = text(sp_get_port_usb_serial(port.get()));
        int vid = -1;
        int pid = -1;
        if (sp_get_port_usb_vid_pid(port.get(), &vid, &pid) == SP_OK) {
            info.vendorId = vid;
            info.productId = pid;
        }
    }
}

} // namespace

SystemPortEnumerator::SystemPortEnumerator()
    : SystemPortEnumerator(SystemSysRoot, SystemDevRoot)
{
}

SystemPortEnumerator::SystemPortEnumerator(std::string sysRoot, std::string devRoot)
    : m_sysRoot(std::move(sysRoot)), m_devRoot(std::move(devRoot))
{
}

std::vector<SerialPortInfo> SystemPortEnumerator::ports() const
{
    const bool machines = m_sysRoot == SystemSysRoot && m_devRoot == SystemDevRoot;
    const fs::path ttyClass = fs::path(m_sysRoot) / "class" / "tty";
    std::vector<std::string> devices;
    if (machines)
        devices = libraryPorts();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ttyClass, ec)) {
        const std::string name = entry.path().filename().string();
        std::error_code linkError;
        if (isPlaceholderName(name) || fs::exists(entry.path() / "device", linkError))
            devices.push_back((fs::path(m_devRoot) / name).string());
    }
    std::sort(devices.begin(), devices.end());
    devices.erase(std::unique(devices.begin(), devices.end()), devices.end());
    devices.erase(std::remove_if(devices.begin(), devices.end(),
                                 [&](const std::string& device) {
                                     const std::string name = nameOf(device);
                                     return isPlaceholderName(name) && !hasUart(ttyClass, name);
                                 }),
                  devices.end());

    const fs::path stableLinks = fs::path(m_devRoot) / "serial" / "by-id";
    std::vector<SerialPortInfo> ports;
    for (const std::string& device : devices) {
        SerialPortInfo info;
        info.device = device;
        info.stablePath = stablePathOf(device, stableLinks);
        if (machines)
            describeFromLibrary(info);
        ports.push_back(info);
    }
    return ports;
}

bool SystemPortEnumerator::portsHaveComNames() { return false; }

} // namespace morva_velox
