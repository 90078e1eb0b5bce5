#ifndef MORVA_ARCHIVE_READINGARCHIVE_H
#define MORVA_ARCHIVE_READINGARCHIVE_H

#include "archive/archivedreading.h"
#include "archive/archivedtable.h"
#include "report/reportformater.h"

#include <wx/datetime.h>
#include <wx/string.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The archive of readings: every reading with its facts, tables and
// records. Every failure throws ArchiveError. Kept in a file on this
// computer (FileArchive); OpenArchive chooses by the place it is given.
class ReadingArchive {
public:
    enum class Access { Read, Write };

    virtual ~ReadingArchive() = default;

    // A new reading, "interrupted" until it ends; returns its number.
    // `uuid` names it in every archive that ever holds it.
    virtual std::int64_t BeginReading(const ReadingFacts& facts, const wxString& uuid, const wxDateTime& started) = 0;
    // Adds to the reading, in one transaction, what it lacks of these tables
    // and records: a table or record it holds already stays as it is, so
    // that whatever is handed again changes nothing.
    virtual void Store(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                       const std::vector<ArchivedRecord>& records) = 0;
    // A reading ends once: a later end of the same reading changes nothing.
    virtual void EndReading(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended) = 0;
    // Store and EndReading in one transaction: one wait for the disk.
    virtual void EndReading(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                            const std::vector<ArchivedRecord>& records, ReadingEnd end, const wxString& error,
                            const wxDateTime& ended) = 0;

    // The kept readings that pass the filter, newest first.
    std::vector<ReadingSummary> List(const ReadingFilter& filter = ReadingFilter()) const;
    // The same, handed to `take` one by one as they are read: however many
    // there are, they are never all held at once.
    virtual void EachReading(const ReadingFilter& filter,
                             const std::function<void(const ReadingSummary&)>& take) const = 0;
    // One page of that list: `count` readings after the first `skip`, and
    // how many pass the filter in all.
    struct Page {
        std::int64_t total = 0;
        std::vector<ReadingSummary> readings;
    };
    virtual Page ListPage(const ReadingFilter& filter, std::int64_t skip, unsigned count) const = 0;
    virtual std::optional<ReadingSummary> Find(std::int64_t reading) const = 0;
    // The station's newest complete reading from the device known by any
    // of `devices` (its path, the path it resolves to, its stable path),
    // whatever COM name it had then.
    virtual std::optional<ReadingSummary> LastComplete(const std::vector<wxString>& devices,
                                                       const wxString& station) const = 0;

    // The report lines of a reading, as the reading collected them: per
    // table its header, its records and an empty line.
    ReportLines Lines(std::int64_t reading) const;

    // The newest kept table of that number and header holding at least one
    // and at most `maxCount` records, in a reading other than `excluding`.
    struct EarlierTable {
        std::int64_t reading = 0;
        unsigned count = 0;
    };
    virtual std::optional<EarlierTable> FindEarlierTable(unsigned number, const wxString& header, unsigned maxCount,
                                                         std::int64_t excluding) const = 0;
    // Records 0 .. count - 1 of a kept table; empty where none is kept.
    std::vector<wxString> Records(std::int64_t reading, unsigned table, unsigned count) const;
    // Each kept record of 0 .. count - 1 of a table, handed to `take` as
    // (index, text), whichever reading holds it.
    void EachRecord(std::int64_t reading, unsigned table, unsigned count,
                    const std::function<void(std::int64_t, const wxString&)>& take) const;
    // The same for the records `from` .. `to` - 1 alone. Throws ArchiveError
    // when one of them is missing.
    void EachRecordFrom(std::int64_t reading, unsigned table, unsigned from, unsigned to,
                        const std::function<void(std::int64_t, const wxString&)>& take) const;

    // The tables of a reading, by number.
    struct KeptTable {
        unsigned number = 0;
        wxString header;
        unsigned unitCount = 0;
        std::int64_t kept = 0; // one past its last record
    };
    virtual std::vector<KeptTable> KeptTables(std::int64_t reading) const = 0;

    // Whether the place held an archive when it was opened: one opened for
    // reading where none is yet reads as empty, and goes on so.
    virtual bool Found() const = 0;

protected:
    // What Records is made of, as each archive keeps it.
    // Where a table's first `taken` records come from: reading `earlier`.
    struct TableLink {
        std::int64_t earlier = 0;
        std::int64_t taken = 0;
    };
    virtual TableLink LinkOf(std::int64_t reading, unsigned table) const = 0;
    // The records a reading holds itself of a table, with index in
    // [from, to), handed to `take` as (index, text).
    virtual void OwnRecords(std::int64_t reading, unsigned table, unsigned from, unsigned to,
                            const std::function<void(std::int64_t, const wxString&)>& take) const = 0;
};

// The archive at `place`: a server for a "postgresql://" URL or libpq's
// key=value pairs (see ServerArchive), else a file (see FileArchive).
// `stop`, when given, ends any wait for the server (see PgConnection).
std::unique_ptr<ReadingArchive> OpenArchive(const wxString& place, ReadingArchive::Access access,
                                            const std::atomic<bool>* stop = nullptr);
// The place for the operator's eyes: a file's path, or the server without
// its password (nor any of a place that cannot be parsed).
wxString DescribeArchive(const wxString& place);
// The operator's message when the archive at `place` cannot be read for
// `reason`.
wxString CannotReadArchive(const wxString& place, const wxString& reason);

#endif
