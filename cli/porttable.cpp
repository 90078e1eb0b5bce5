#include "porttable.h"
#include "textcolumns.h"

#include <cstdio>
#include <vector>

namespace {

std::string usbIds(const morva_velox::SerialPortInfo& port)
{
    if (port.vendorId < 0 || port.productId < 0)
        return {};
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", port.vendorId & 0xFFFF, port.productId & 0xFFFF);
    return ids;
}

TextRow rowOf(const PortMap& ports, const morva_velox::SerialPortInfo& port)
{
    const int n = ports.NumberOf(port);
    return {n > 0 ? "COM" + std::to_string(n) : std::string(), port.device, port.stablePath,
            port.description, usbIds(port)};
}

} // namespace

std::string PortTable(const PortMap& ports, bool forTerminal)
{
    if (ports.Detected().empty())
        return {};
    std::vector<TextRow> rows;
    if (forTerminal)
        rows.push_back({"PORT", "DEVICE", "STABLE PATH", "DESCRIPTION", "USB ID"});
    for (const morva_velox::SerialPortInfo& port : ports.Detected()) {
        TextRow row = rowOf(ports, port);
        if (forTerminal) {
            for (std::string& field : row) {
                if (field.empty())
                    field = "-";
            }
        }
        rows.push_back(row);
    }
    return forTerminal ? AlignedColumns(rows) : TabSeparated(rows);
}
