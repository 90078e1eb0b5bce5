#include "readingtable.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr std::size_t Columns = 7;
using Row = std::array<std::string, Columns>;

// One line whatever the text holds.
std::string oneLine(const wxString& text)
{
    std::string line = text.utf8_string();
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return line;
}

std::string endOf(const ReadingSummary& reading)
{
    std::string end = ReadingEndText(reading.end).utf8_string();
    if (!reading.error.empty())
        end += ": " + oneLine(reading.error);
    return end;
}

// "2026-12-10 14:02:05", local time.
std::string timeOf(const wxDateTime& time)
{
    const wxDateTime::Tm tm = time.GetTm();
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.year, tm.mon + 1, tm.mday, tm.hour, tm.min,
                  tm.sec);
    return text;
}

Row rowOf(const ReadingSummary& reading)
{
    return {std::to_string(reading.id), timeOf(reading.started),
            oneLine(reading.facts.port), oneLine(reading.facts.device), std::to_string(reading.tableCount),
            std::to_string(reading.recordCount), endOf(reading)};
}

std::size_t width(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

} // namespace

std::string ReadingTable(const std::vector<ReadingSummary>& readings, bool forTerminal)
{
    if (readings.empty())
        return {};
    std::vector<Row> rows;
    rows.reserve(readings.size() + 1);
    if (forTerminal)
        rows.push_back({"NO.", "STARTED", "PORT", "DEVICE", "TABLES", "RECORDS", "ENDED"});
    for (const ReadingSummary& reading : readings)
        rows.push_back(rowOf(reading));

    std::string out;
    if (!forTerminal) {
        for (const Row& row : rows) {
            for (std::size_t c = 0; c < Columns; ++c)
                out += row[c] + (c + 1 < Columns ? "\t" : "\n");
        }
        return out;
    }
    std::array<std::size_t, Columns> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < Columns; ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
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
