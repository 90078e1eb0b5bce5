#include "readingtable.h"
#include "textcolumns.h"

#include <algorithm>
#include <cstdio>

namespace {

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

TextRow rowOf(const ReadingSummary& reading)
{
    return {std::to_string(reading.id), timeOf(reading.started), oneLine(reading.facts.station),
            oneLine(reading.facts.port), oneLine(reading.facts.device), std::to_string(reading.tableCount),
            std::to_string(reading.recordCount), endOf(reading)};
}

} // namespace

std::string ReadingTable(const std::vector<ReadingSummary>& readings, bool forTerminal)
{
    if (readings.empty())
        return {};
    std::vector<TextRow> rows;
    rows.reserve(readings.size() + 1);
    if (forTerminal)
        rows.push_back({"NO.", "STARTED", "STATION", "PORT", "DEVICE", "TABLES", "RECORDS", "ENDED"});
    for (const ReadingSummary& reading : readings)
        rows.push_back(rowOf(reading));
    return forTerminal ? AlignedColumns(rows) : TabSeparated(rows);
}

std::string ReadingLine(const ReadingSummary& reading) { return TabSeparated({rowOf(reading)}); }
