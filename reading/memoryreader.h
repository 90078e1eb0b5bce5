#ifndef MORVA_MEMORYREADER_H
#define MORVA_MEMORYREADER_H

#include "reading/readinghost.h"

#include <wx/arrstr.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace morva_velox {
class SerialPortVeloxProtocol;
}
class ReadingRecorder;

// Reads the unit's whole nonvolatile memory, table by table and record by
// record, into report lines: per table its header, its records and one empty
// line. Retries failed transfers, reports progress and errors to its host
// and hands the outcome over at the end. Shared by the window's reading
// thread, the headless reader and the tests. With a recorder, every table
// and record also goes to the archive as it is read; reading only new
// records, a table's first records come from the archive when the unit
// still holds them.
class MemoryReader {
public:
    // Maximum of the progress gauge.
    static constexpr int progressRange = 0xFFFF;
    // Failed attempts in a row that a header or record step survives.
    static constexpr int maxRetries = 3;
    static constexpr unsigned pauseAfterTableMs = 500;

    MemoryReader(ReadingHost& host, morva_velox::SerialPortVeloxProtocol& protocol,
                 ReadingRecorder* recorder = nullptr, bool onlyNew = false);

    // One whole reading: reads all tables, closes the port, tells the
    // operator of a failure, and ends with the host's OnReadingDone.
    void Read();

    // Reads every table; true when the lines make a report. Throws
    // morva_velox::Exception for a failure that ends the reading.
    bool ReadAllTables();
    // Reads the selected table, numbered t from 0 (used in texts only).
    bool ReadTable(std::uint16_t t);

    wxArrayString GetReportLines() const { return m_reportLines; }
    unsigned GetTableCount() const { return m_tableCount; }
    bool IsPortReading() const;
    std::uint32_t GetReadStartTick() const;

private:
    bool ReadTableHeader(std::uint16_t& count, int& failures);
    void ShowError(const wxString& text);
    void PauseAfterTable();
    void KeepEnd(bool ok, const std::optional<wxString>& error);
    // Takes the first records of table t from the archive when the unit's
    // records 0 and k - 1 read as the kept ones; returns the index of the
    // first record to read from the unit.
    std::uint16_t TakeKeptRecords(std::uint16_t t, const wxString& header, std::uint16_t n, int& failures);
    bool ReadsAsKept(const std::vector<wxString>& kept, std::uint16_t i, int& failures);

    ReadingHost& m_host;
    morva_velox::SerialPortVeloxProtocol& m_protocol;
    wxArrayString m_reportLines;
    unsigned m_tableCount = 0;
    ReadingRecorder* m_recorder;
    bool m_onlyNew;
    bool m_cancelled = false;
    // The last error shown, for the archive.
    wxString m_lastError;
};

#endif
