#ifndef MORVA_TESTS_FIXEDPORTS_H
#define MORVA_TESTS_FIXEDPORTS_H

// A machine whose serial ports the test decides.

#include "buslib/serial/portenumerator.h"

#include <utility>
#include <vector>

namespace morva_test {

class FixedPortEnumerator : public morva_velox::PortEnumerator {
public:
    FixedPortEnumerator() = default;
    explicit FixedPortEnumerator(std::vector<morva_velox::SerialPortInfo> ports) : m_ports(std::move(ports)) {}

    std::vector<morva_velox::SerialPortInfo> ports() const override { return m_ports; }
    void set(std::vector<morva_velox::SerialPortInfo> ports) { m_ports = std::move(ports); }

private:
    std::vector<morva_velox::SerialPortInfo> m_ports;
};

// A USB serial adapter as the system describes one.
inline morva_velox::SerialPortInfo UsbAdapter(std::string device, std::string description = "FT232R USB UART")
{
    morva_velox::SerialPortInfo port;
    port.device = std::move(device);
    port.description = std::move(description);
    port.transport = morva_velox::SerialPortInfo::Transport::Usb;
    port.manufacturer = "FTDI";
    port.product = port.description;
    port.serialNumber = "A50285BI";
    port.vendorId = 0x0403;
    port.productId = 0x6001;
    return port;
}

inline morva_velox::SerialPortInfo BuiltInPort(std::string device)
{
    morva_velox::SerialPortInfo port;
    port.device = std::move(device);
    return port;
}

} // namespace morva_test

#endif
