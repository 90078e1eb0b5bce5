#include "reading/portmap.h"

#include "buslib/serial/systemports.h"

#include <wx/confbase.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <tuple>

using morva_velox::SerialPortInfo;

const char* const PortsGroup = "/ports";

namespace {

// "ttyUSB12" splits into "ttyUSB" and 12; a name without a number has -1.
std::pair<std::string, long> nameAndNumber(const std::string& device)
{
    const std::string name = std::filesystem::path(device).filename().string();
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
        --digits;
    const long number = digits < name.size() ? std::stol(name.substr(digits)) : -1;
    return {name.substr(0, digits), number};
}

int rank(const SerialPortInfo& port)
{
    switch (port.transport) {
    case SerialPortInfo::Transport::Native: return 0;
    case SerialPortInfo::Transport::Usb: return nameAndNumber(port.device).first == "ttyACM" ? 1 : 2;
    case SerialPortInfo::Transport::Bluetooth: return 3;
    }
    return 4;
}

bool sameDevice(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    if (wxString::FromUTF8(a.c_str()).IsSameAs(wxString::FromUTF8(b.c_str()), false))
        return true;
    std::error_code ea;
    std::error_code eb;
    const auto ca = std::filesystem::canonical(a, ea);
    const auto cb = std::filesystem::canonical(b, eb);
    return !ea && !eb && ca == cb;
}

std::string utf8(const wxString& text) { return std::string(text.utf8_str()); }

} // namespace

PortMap::PortMap(const morva_velox::PortEnumerator& enumerator, const wxConfigBase* settings,
                 Numbering numbering)
    : m_settings(settings)
    , m_numbering(numbering)
    , m_detected(enumerator.ports())
    , m_byNumber(PortCount + 1, -1)
{
    if (numbering == Numbering::DetectionOrder) {
        std::stable_sort(m_detected.begin(), m_detected.end(), Precedes);
    } else {
        std::stable_sort(m_detected.begin(), m_detected.end(), [](const auto& a, const auto& b) {
            return morva_velox::comPortNumber(a.device)
                < morva_velox::comPortNumber(b.device);
        });
    }
    for (int n = 1; n <= PortCount; ++n) {
        const wxString entry = SettingsEntry(n);
        if (!entry.empty())
            m_byNumber[n] = Find(entry);
        else if (numbering == Numbering::DetectionOrder && static_cast<std::size_t>(n) <= m_detected.size())
            m_byNumber[n] = n - 1;
    }
    // Where the system names its ports, each detected port is the COMn it
    // is called, unless the settings name another device for that COMn.
    if (numbering == Numbering::SystemNames) {
        for (std::size_t i = 0; i < m_detected.size(); ++i) {
            const int n = morva_velox::comPortNumber(m_detected[i].device);
            if (n > 0 && SettingsEntry(n).empty())
                m_byNumber[n] = static_cast<int>(i);
        }
    }
}

PortMap::Numbering PortMap::SystemNumbering()
{
    return morva_velox::SystemPortEnumerator::portsHaveComNames() ? Numbering::SystemNames
                                                                   : Numbering::DetectionOrder;
}

bool PortMap::Precedes(const SerialPortInfo& a, const SerialPortInfo& b)
{
    const auto [aName, aNumber] = nameAndNumber(a.device);
    const auto [bName, bNumber] = nameAndNumber(b.device);
    return std::make_tuple(rank(a), aName, aNumber, a.device) < std::make_tuple(rank(b), bName, bNumber, b.device);
}

const SerialPortInfo* PortMap::PortAt(int n) const
{
    return n >= 1 && n <= PortCount && m_byNumber[n] >= 0 ? &m_detected[m_byNumber[n]] : nullptr;
}

int PortMap::NumberOf(const SerialPortInfo& port) const
{
    for (int n = 1; n <= PortCount; ++n) {
        if (PortAt(n) == &port)
            return n;
    }
    return 0;
}

wxString PortMap::Label(int n) const
{
    const wxString com = wxString::Format("COM%d", n);
    const SerialPortInfo* port = PortAt(n);
    wxString device = port ? wxString::FromUTF8(port->device.c_str()) : SettingsEntry(n);
    if (device.IsSameAs(com, false))
        device.clear(); // the system's own name says nothing more
    const wxString description = port ? wxString::FromUTF8(port->description.c_str()) : wxString();
    if (description.empty())
        return device.empty() ? com : com + L" \u2013 " + device;
    if (device.empty())
        return com + L" \u2013 " + description;
    return com + L" \u2013 " + description + " (" + device + ")";
}

ChosenPort PortMap::Resolve(const wxString& port) const
{
    const int n = morva_velox::comPortNumber(utf8(port));
    if (n == 0)
        return Named({port, utf8(port), port});
    const wxString com = wxString::Format("COM%d", n);
    const wxString entry = SettingsEntry(n);
    if (!entry.empty())
        return Named({com, utf8(entry), Label(n)});
    if (m_numbering == Numbering::DetectionOrder && PortAt(n))
        return Named({com, PortAt(n)->device, Label(n)});
    return Named({com, utf8(com), Label(n)});
}

ChosenPort PortMap::Named(ChosenPort port) const
{
    std::vector<std::string> names{port.device};
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(port.device, error);
    if (!error)
        names.push_back(resolved.u8string());
    const int detected = Find(wxString::FromUTF8(port.device.c_str()));
    if (detected >= 0) {
        names.push_back(m_detected[static_cast<std::size_t>(detected)].device);
        names.push_back(m_detected[static_cast<std::size_t>(detected)].stablePath);
    }
    for (const std::string& name : names) {
        const wxString text = wxString::FromUTF8(name.c_str());
        if (!text.empty() && std::find(port.deviceNames.begin(), port.deviceNames.end(), text) == port.deviceNames.end())
            port.deviceNames.push_back(text);
    }
    return port;
}

wxString PortMap::SettingsEntry(int n) const
{
    wxString device;
    if (m_settings && m_settings->Read(wxString::Format("%s/COM%d", PortsGroup, n), &device))
        return device.Trim().Trim(false);
    return {};
}

int PortMap::Find(const wxString& device) const
{
    const std::string name = utf8(device);
    for (std::size_t i = 0; i < m_detected.size(); ++i) {
        if (sameDevice(m_detected[i].device, name) || sameDevice(m_detected[i].stablePath, name))
            return static_cast<int>(i);
    }
    return -1;
}
