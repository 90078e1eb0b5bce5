// The machine's serial ports on Linux, through libserialport: every tty
// with a device behind it, less the kernel's placeholder ttyS nodes that
// have no UART, plus the built-in UARTs that the library passes over when
// the user may not open them.

#include "buslib/serial/systemports.h"

#include <libserialport.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace morva_velox {

namespace {

namespace fs = std::filesystem;

const char* const SysTty = "/sys/class/tty";
const char* const StableLinks = "/dev/serial/by-id";

struct PortListFree {
    void operator()(sp_port** list) const { sp_free_port_list(list); }
};
struct PortFree {
    void operator()(sp_port* port) const { sp_free_port(port); }
};

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

bool isPlaceholderName(const std::string& name) { return name.rfind("ttyS", 0) == 0; }

// The kernel makes a fixed number of ttyS nodes whether or not a UART
// answers behind them; the serial core's "type" of such a port is 0
// (unknown). Readable by everyone, unlike the device.
bool hasUart(const std::string& name)
{
    std::ifstream type(std::string(SysTty) + "/" + name + "/type");
    int value = 0;
    return (type >> value) && value != 0;
}

std::vector<std::string> candidateDevices()
{
    std::vector<std::string> devices;
    sp_port** found = nullptr;
    if (sp_list_ports(&found) == SP_OK) {
        const std::unique_ptr<sp_port*, PortListFree> list(found);
        for (sp_port** p = list.get(); *p; ++p)
            devices.push_back(text(sp_get_port_name(*p)));
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(SysTty, ec)) {
        const std::string name = entry.path().filename().string();
        if (isPlaceholderName(name))
            devices.push_back("/dev/" + name);
    }
    std::sort(devices.begin(), devices.end());
    devices.erase(std::unique(devices.begin(), devices.end()), devices.end());
    devices.erase(std::remove_if(devices.begin(), devices.end(),
                                 [](const std::string& device) {
                                     const std::string name = fs::path(device).filename().string();
                                     return isPlaceholderName(name) && !hasUart(name);
                                 }),
                  devices.end());
    return devices;
}

std::string stablePathOf(const std::string& device)
{
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec)
        return {};
    for (const auto& link : fs::directory_iterator(StableLinks, ec)) {
        std::error_code linkError;
        if (fs::canonical(link.path(), linkError) == target && !linkError)
            return link.path().string();
    }
    return {};
}

SerialPortInfo::Transport transportOf(sp_transport transport)
{
    switch (transport) {
    case SP_TRANSPORT_USB: return SerialPortInfo::Transport::Usb;
    case SP_TRANSPORT_BLUETOOTH: return SerialPortInfo::Transport::Bluetooth;
    default: return SerialPortInfo::Transport::Native;
    }
}

SerialPortInfo describe(const std::string& device)
{
    SerialPortInfo info;
    info.device = device;
    info.stablePath = stablePathOf(device);
    sp_port* found = nullptr;
    if (sp_get_port_by_name(device.c_str(), &found) != SP_OK)
        return info;
    const std::unique_ptr<sp_port, PortFree> port(found);
    info.description = text(sp_get_port_description(port.get()));
    // Built-in ports describe themselves by their own name.
    if (info.description == fs::path(device).filename().string())
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
    return info;
}

} // namespace

std::vector<SerialPortInfo> SystemPortEnumerator::ports() const
{
    std::vector<SerialPortInfo> ports;
    for (const std::string& device : candidateDevices())
        ports.push_back(describe(device));
    return ports;
}

bool SystemPortEnumerator::portsHaveComNames() { return false; }

} // namespace morva_velox
