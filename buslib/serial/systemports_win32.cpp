// The machine's serial ports on Windows, with the system's own calls: the
// COM names from the registry key HARDWARE\DEVICEMAP\SERIALCOMM, and for
// each the friendly name, maker and USB ids that SetupAPI keeps for the
// device whose "PortName" it is.

#include "buslib/serial/systemports.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
// clang-format off
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

namespace morva_velox {

namespace {

struct KeyCloser {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer<HKEY>::type, KeyCloser>;

struct DeviceListCloser {
    void operator()(HDEVINFO list) const { ::SetupDiDestroyDeviceInfoList(list); }
};
using UniqueDeviceList = std::unique_ptr<void, DeviceListCloser>;

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// A string value of an open key; empty when missing.
std::string stringValue(HKEY key, const char* name)
{
    char value[256] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS
        || type != REG_SZ)
        return {};
    return value;
}

// The COM names that the serial drivers have registered.
std::vector<std::string> comNames()
{
    std::vector<std::string> names;
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &opened)
        != ERROR_SUCCESS)
        return names;
    const UniqueKey key(opened);
    for (DWORD i = 0;; ++i) {
        char valueName[256];
        DWORD nameSize = sizeof valueName;
        char data[256] = {};
        DWORD dataSize = sizeof data - 1;
        DWORD type = 0;
        const LONG r = ::RegEnumValueA(key.get(), i, valueName, &nameSize, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &dataSize);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r == ERROR_SUCCESS && type == REG_SZ && data[0] != '\0')
            names.push_back(data);
    }
    return names;
}

std::string deviceProperty(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property)
{
    char value[512] = {};
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyA(list, &device, property, &type,
                                             reinterpret_cast<BYTE*>(value), sizeof value - 1, nullptr))
        return {};
    return value; // the first string of a list
}

// "USB\VID_0403&PID_6001&REV_0600" gives 0x0403 and 0x6001.
int hexAfter(const std::string& text, const char* tag)
{
    const std::size_t at = text.find(tag);
    if (at == std::string::npos)
        return -1;
    return static_cast<int>(std::strtol(text.c_str() + at + std::char_traits<char>::length(tag), nullptr, 16));
}

// "USB Serial Port (COM3)" says no more than "USB Serial Port".
std::string withoutComSuffix(std::string name, const std::string& com)
{
    const std::string suffix = " (" + com + ")";
    if (name.size() > suffix.size() && upper(name.substr(name.size() - suffix.size())) == upper(suffix))
        name.erase(name.size() - suffix.size());
    return name;
}

// What SetupAPI knows of the ports class devices, by upper-case COM name.
std::map<std::string, SerialPortInfo> portDetails()
{
    std::map<std::string, SerialPortInfo> details;
    const UniqueDeviceList list(::SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT));
    if (list.get() == INVALID_HANDLE_VALUE)
        return details;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(list.get(), i, &device); ++i) {
        const HKEY opened = ::SetupDiOpenDevRegKey(list.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (opened == INVALID_HANDLE_VALUE)
            continue;
        const UniqueKey key(opened);
        const std::string com = stringValue(key.get(), "PortName");
        if (com.empty())
            continue;
        SerialPortInfo info;
        info.device = com;
        info.description = withoutComSuffix(deviceProperty(list.get(), device, SPDRP_FRIENDLYNAME), com);
        info.manufacturer = deviceProperty(list.get(), device, SPDRP_MFG);
        const std::string hardwareId = upper(deviceProperty(list.get(), device, SPDRP_HARDWAREID));
        if (hardwareId.rfind("USB\\", 0) == 0 || hardwareId.rfind("FTDIBUS\\", 0) == 0) {
            info.transport = SerialPortInfo::Transport::Usb;
            info.vendorId = hexAfter(hardwareId, "VID_");
            info.productId = hexAfter(hardwareId, "PID_");
        } else if (hardwareId.rfind("BTHENUM\\", 0) == 0) {
            info.transport = SerialPortInfo::Transport::Bluetooth;
        }
        details[upper(com)] = info;
    }
    return details;
}

} // namespace

SystemPortEnumerator::SystemPortEnumerator() = default;

SystemPortEnumerator::SystemPortEnumerator(std::string sysRoot, std::string devRoot)
    : m_sysRoot(std::move(sysRoot)), m_devRoot(std::move(devRoot))
{
}

std::vector<SerialPortInfo> SystemPortEnumerator::ports() const
{
    const std::map<std::string, SerialPortInfo> details = portDetails();
    std::vector<SerialPortInfo> ports;
    for (const std::string& com : comNames()) {
        const auto found = details.find(upper(com));
        SerialPortInfo info = found != details.end() ? found->second : SerialPortInfo{};
        info.device = com;
        ports.push_back(info);
    }
    return ports;
}

bool SystemPortEnumerator::portsHaveComNames() { return true; }

} // namespace morva_velox
