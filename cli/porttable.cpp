#include "porttable.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t Columns = 5;
using Row = std::array<std::string, Columns>;

std::string usbIds(const morva_velox::SerialPortInfo& port)
{
    if (port.vendorId < 0 || port.productId < 0)
        return {};
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", port.vendorId & 0xFFFF, port.productId & 0xFFFF);
    return ids;
}

Row rowOf(const PortMap& ports, const morva_velox::SerialPortInfo& port)
{
    const int n = ports.NumberOf(port);
    return {n > 0 ? "COM" + std::to_string(n) : std::string(), port.device, port.stablePath,
            port.description, usbIds(port)};
}

// UTF-8 characters, for the width of a column.
std::size_t width(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string aligned(const std::vector<Row>& rows)
{
    std::array<std::size_t, Columns> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < Columns; ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    std::string out;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < Columns; ++c) {
            line += row[c];
            if (c + 1 < Columns)
                line += std::string(widths[c] - width(row[c]) + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\n";
    }
    return out;
}

std::string tabSeparated(const std::vector<Row>& rows)
{
    std::string out;
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < Columns; ++c)
            out += row[c] + (c + 1 < Columns ? "\t" : "\n");
    }
    return out;
}

} // namespace

std::string PortTable(const PortMap& ports, bool forTerminal)
{
    if (ports.Detected().empty())
        return {};
    std::vector<Row> rows;
    if (forTerminal)
        rows.push_back({"PORT", "DEVICE", "STABLE PATH", "DESCRIPTION", "USB ID"});
    for (const morva_velox::SerialPortInfo& port : ports.Detected()) {
        Row row = rowOf(ports, port);
        if (forTerminal) {
            for (std::string& field : row) {
                if (field.empty())
                    field = "-";
            }
        }
        rows.push_back(row);
    }
    return forTerminal ? aligned(rows) : tabSeparated(rows);
}
