#ifndef MORVA_VELOX_DEVICECONTROL_H
#define MORVA_VELOX_DEVICECONTROL_H

namespace morva_velox {
namespace platform {

// Modem lines, as bits of DeviceControl's masks.
constexpr int ModemDtr = 1;
constexpr int ModemRts = 2;

// The driver calls on an open device beyond its line settings: its modem
// lines and the driver's low-latency mode. The system's own
// (systemDeviceControl) makes them; a test puts one in its place that
// records them, since a pseudo-terminal has neither. Each call answers
// false where the device or its driver refuses it or has no such thing.
// `device` is the open device's descriptor.
class DeviceControl {
public:
    virtual ~DeviceControl() = default;
    // The modem lines (ModemDtr | ModemRts) now raised.
    virtual bool modemLines(int device, int& lines) = 0;
    virtual bool raiseModemLines(int device, int lines) = 0;
    virtual bool lowerModemLines(int device, int lines) = 0;
    // Whether the driver hands received bytes on at once.
    virtual bool lowLatency(int device, bool& on) = 0;
    virtual bool setLowLatency(int device, bool on) = 0;
};

} // namespace platform
} // namespace morva_velox

#endif
