#ifndef MORVA_PORTMAP_H
#define MORVA_PORTMAP_H

#include "buslib/serial/portenumerator.h"
#include "buslib/serial/portname.h"

#include <wx/string.h>

#include <string>
#include <utility>
#include <vector>

class wxConfigBase;

// The group of the settings file that maps port names to devices, for
// example COM1=/dev/serial/by-id/usb-...: a name that survives replugging.
extern const char* const PortsGroup;

// A port as the operator chose it, and the name the bus library is asked
// to open for it.
struct ChosenPort {
    ChosenPort(wxString name = {}, std::string device = {}, wxString label = {})
        : name(std::move(name)), device(std::move(device)), label(std::move(label))
    {
    }

    wxString name;      // COM3, or a device path given as such
    std::string device; // /dev/ttyUSB0, COM3, ...
    // The port as the port list shows it ("COM3 – FT232R USB UART
    // (/dev/ttyUSB0)"), or the device path as given.
    wxString label;
    // Every name of the device behind it, as a kept reading may name it:
    // `device`, the path it resolves to, and the detected port's device
    // and stable path (/dev/serial/by-id/...) where it is one of them.
    std::vector<wxString> deviceNames;
};

// The ports COM1 to COM256 as the operator knows them: which device each
// stands for, and how the port list shows it. Made from the ports detected
// at one moment; make a new one to see the ports of another.
//
// An entry COMn of the settings' "/ports" group always wins. Otherwise,
// where the system names its ports (Windows) COMn is the port it calls
// COMn; elsewhere COMn is the n-th detected port in the order of
// `Precedes`, and a COMn beyond the detected ports is left to the bus
// library's own rule.
class PortMap {
public:
    enum class Numbering { DetectionOrder, SystemNames };

    static constexpr int PortCount = morva_velox::LastComPort;

    PortMap(const morva_velox::PortEnumerator& enumerator, const wxConfigBase* settings,
            Numbering numbering = SystemNumbering());

    // This platform's numbering.
    static Numbering SystemNumbering();

    // The order of detected ports: built-in UARTs first, then USB modems
    // (ACM), then USB adapters, then Bluetooth, each by name and kernel
    // number, so that built-in ports keep their numbers when adapters come
    // and go.
    static bool Precedes(const morva_velox::SerialPortInfo& a, const morva_velox::SerialPortInfo& b);

    // The detected ports, in the order of their numbering.
    const std::vector<morva_velox::SerialPortInfo>& Detected() const { return m_detected; }
    // The detected port COMn stands for (n = 1..PortCount), or null.
    const morva_velox::SerialPortInfo* PortAt(int n) const;
    // The lowest n whose COMn stands for `port` (one of Detected()); 0 when
    // none does.
    int NumberOf(const morva_velox::SerialPortInfo& port) const;
    // The port list's entry for COMn: "COM1 – FT232R USB UART (/dev/ttyUSB0)",
    // or "COMn" alone when no device is known behind it.
    wxString Label(int n) const;
    // What to open for the name the operator chose: COMn as above, anything
    // else as it stands; labelled as the port list shows the port.
    ChosenPort Resolve(const wxString& port) const;

private:
    ChosenPort Named(ChosenPort port) const;
    wxString SettingsEntry(int n) const;
    // The index in m_detected of the port `device` names, or -1.
    int Find(const wxString& device) const;

    const wxConfigBase* m_settings;
    Numbering m_numbering;
    std::vector<morva_velox::SerialPortInfo> m_detected;
    // Index n: the index in m_detected of the port of COMn, or -1.
    std::vector<int> m_byNumber;
};

#endif
