#ifndef MORVA_VELOX_PORTENUMERATOR_H
#define MORVA_VELOX_PORTENUMERATOR_H

#include <string>
#include <vector>

namespace morva_velox {

// What the machine tells about one of its serial ports.
struct SerialPortInfo {
    enum class Transport { Native, Usb, Bluetooth };

    // What opens it: /dev/ttyUSB0, or COM3 on Windows.
    std::string device;
    // A name that survives replugging (/dev/serial/by-id/...); empty when
    // there is none.
    std::string stablePath;
    // What the device calls itself, for example "FT232R USB UART"; empty
    // when it says nothing beyond its name.
    std::string description;
    Transport transport = Transport::Native;
    std::string manufacturer;
    std::string product;
    std::string serialNumber;
    // USB vendor and product ids; -1 when not known.
    int vendorId = -1;
    int productId = -1;
};

// The source of the machine's serial ports: the system's own
// (SystemPortEnumerator), or a fixed list in tests.
class PortEnumerator {
public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<SerialPortInfo> ports() const = 0;
};

} // namespace morva_velox

#endif
