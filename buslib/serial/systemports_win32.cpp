// The machine's serial ports on Windows, with the system's own calls: the
// COM names from the registry key HARDWARE\DEVICEMAP\SERIALCOMM, and for
// each the friendly name, maker and USB ids that SetupAPI keeps for the
// device whose "PortName" it is. Every text is asked for in UTF-16 and kept
// in UTF-8: a Cyrillic friendly name survives whatever the ANSI code page.

#include "buslib/serial/systemports.h"
#include "buslib/serial/deviceinfolist_win32.h"
#include "buslib/serial/widetext_win32.h"

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

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// A string value of an open key; empty when missing.
std::string stringValue(HKEY key, const wchar_t* name)
{
    wchar_t value[256] = {};
    DWORD size = sizeof value - sizeof value[0]; // a null character stays at the end
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS
        || type != REG_SZ)
        return {};
    return Utf8FromWide(value);
}

// The COM names that the serial drivers have registered.
std::vector<std::string> comNames()
{
    std::vector<std::string> names;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &opened)
        != ERROR_SUCCESS)
        return names;
    const UniqueKey key(opened);
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD nameSize = sizeof valueName / sizeof valueName[0];
        wchar_t data[256] = {};
        DWORD dataSize = sizeof data - sizeof data[0];
        DWORD type = 0;
        const LONG r = ::RegEnumValueW(key.get(), i, valueName, &nameSize, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &dataSize);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r == ERROR_SUCCESS && type == REG_SZ && data[0] != L'\0')
            names.push_back(Utf8FromWide(data));
    }
    return names;
}

std::string deviceProperty(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property)
{
    wchar_t value[512] = {};
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(list, &device, property, &type, reinterpret_cast<BYTE*>(value),
                                             sizeof value - sizeof value[0], nullptr))
        return {};
    return Utf8FromWide(value); // the first string of a list
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
    const DeviceInfoList list(::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT));
    if (!list.valid())
        return details;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(list.get(), i, &device); ++i) {
        const HKEY opened = ::SetupDiOpenDevRegKey(list.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (opened == INVALID_HANDLE_VALUE)
            continue;
        const UniqueKey key(opened);
        const std::string com = stringValue(key.get(), L"PortName");
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
