#ifndef MORVA_ARCHIVE_READINGARCHIVE_H
#define MORVA_ARCHIVE_READINGARCHIVE_H

#include "archive/archivedreading.h"
#include "archive/archivedtable.h"
#include "archive/sqliteconnection.h"
#include "report/reportformater.h"

#include <wx/datetime.h>
#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The archive of readings: one SQLite file holding every reading with its
// facts, tables and records, written in short transactions (WAL journal)
// so that readers side by side share it. Every failure throws ArchiveError;
// a file that is damaged, locked, read-only, not an archive or made by a
// newer program is refused and never written.
class ReadingArchive {
public:
    // The layout of the tables, kept in the file as its user_version.
    static constexpr int SchemaVersion = 1;
    // "MRVA": marks the file as an archive of this program.
    static constexpr std::int32_t ApplicationId = 0x4D525641;
    // How long a write waits for another program's transaction.
    static constexpr int BusyTimeoutMs = 3000;

    enum class Access { Read, Write };

    // Write access makes the file, its folder and its tables when missing;
    // read access never writes, and a missing file reads as an empty
    // archive.
    ReadingArchive(const wxString& path, Access access);

    // A new reading, "interrupted" until it ends; returns its number.
    std::int64_t BeginReading(const ReadingFacts& facts, const wxDateTime& started);
    // Adds tables (new ones, or again with more taken records) and records
    // to the reading in one transaction.
    void Store(std::int64_t reading, const std::vector<ArchivedTable>& tables,
               const std::vector<ArchivedRecord>& records);
    void EndReading(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended);
    // Store and EndReading in one transaction: one wait for the disk.
    void EndReading(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                    const std::vector<ArchivedRecord>& records, ReadingEnd end, const wxString& error,
                    const wxDateTime& ended);

    // The kept readings, newest first.
    std::vector<ReadingSummary> List() const;
    std::optional<ReadingSummary> Find(std::int64_t reading) const;
    // The newest complete reading from the port.
    std::optional<ReadingSummary> LastComplete(const wxString& port) const;

    // The report lines of a reading, as the reading collected them: per
    // table its header, its records and an empty line.
    ReportLines Lines(std::int64_t reading) const;

    // The newest kept table of that number and header holding at least one
    // and at most `maxCount` records, in a reading other than `excluding`.
    struct EarlierTable {
        std::int64_t reading = 0;
        unsigned count = 0;
    };
    std::optional<EarlierTable> FindEarlierTable(unsigned number, const wxString& header,
                                                 unsigned maxCount, std::int64_t excluding) const;
    // Records 0 .. count - 1 of a kept table.
    std::vector<wxString> Records(std::int64_t reading, unsigned table, unsigned count) const;

private:
    void CheckFile() const;
    void CheckSchema(Access access);
    void CreateSchema();
    void Transaction(const std::function<void()>& work);
    // The work of Store and EndReading, inside a transaction.
    void StoreWork(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                   const std::vector<ArchivedRecord>& records);
    void EndWork(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended);
    std::int64_t PragmaValue(const char* sql) const;

    std::optional<SqliteConnection> m_db;
};

#endif
