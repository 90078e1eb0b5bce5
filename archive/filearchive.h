#ifndef MORVA_ARCHIVE_FILEARCHIVE_H
#define MORVA_ARCHIVE_FILEARCHIVE_H

#include "archive/filesystemkind.h"
#include "archive/readingarchive.h"
#include "archive/sqliteconnection.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The archive of readings in one SQLite file on this computer, written in
// short transactions (WAL journal) so that readers side by side share it;
// in a network folder, where WAL is not safe, with a rollback journal and
// the file system's own locks.
// A file that is damaged, locked, read-only, not an archive or made by a
// newer program is refused and never written. A file of the first layout
// is read as it is and brought up to the present one when opened for
// writing.
class SqliteStatement;

class FileArchive final : public ReadingArchive {
public:
    // The layout of the tables, kept in the file as its user_version: 2
    // gave each reading its station and its uuid.
    static constexpr int SchemaVersion = 2;
    // "MRVA": marks the file as an archive of this program.
    static constexpr std::int32_t ApplicationId = 0x4D525641;
    // How long a write waits for another program's transaction.
    static constexpr int BusyTimeoutMs = 3000;

    // Write access makes the file (for its user alone), its folders (the
    // same) and its tables when missing; read access never writes, and a
    // missing file reads as an empty archive. `fileSystem` says where the
    // file lies; by default the file's own file system is asked.
    FileArchive(const wxString& path, Access access, std::optional<FileSystemKind> fileSystem = std::nullopt);

    std::int64_t BeginReading(const ReadingFacts& facts, const wxString& uuid, const wxDateTime& started) override;
    void Store(std::int64_t reading, const std::vector<ArchivedTable>& tables,
               const std::vector<ArchivedRecord>& records) override;
    void EndReading(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended) override;
    void EndReading(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                    const std::vector<ArchivedRecord>& records, ReadingEnd end, const wxString& error,
                    const wxDateTime& ended) override;

    void EachReading(const ReadingFilter& filter,
                     const std::function<void(const ReadingSummary&)>& take) const override;
    Page ListPage(const ReadingFilter& filter, std::int64_t skip, unsigned count) const override;
    std::optional<ReadingSummary> Find(std::int64_t reading) const override;
    std::optional<ReadingSummary> LastComplete(const std::vector<wxString>& devices,
                                               const wxString& station) const override;
    std::optional<EarlierTable> FindEarlierTable(unsigned number, const wxString& header, unsigned maxCount,
                                                 std::int64_t excluding) const override;

    std::vector<KeptTable> KeptTables(std::int64_t reading) const override;
    bool Found() const override { return m_db.has_value(); }

    const wxString& Path() const { return m_path; }

    // The readings the archive server does not hold yet, oldest first, and
    // the mark that it holds one.
    std::vector<std::int64_t> Unsent() const;
    void MarkSent(std::int64_t reading);

protected:
    TableLink LinkOf(std::int64_t reading, unsigned table) const override;
    void OwnRecords(std::int64_t reading, unsigned table, unsigned from, unsigned to,
                    const std::function<void(std::int64_t, const wxString&)>& take) const override;

private:
    void CheckFile() const;
    // The main file's size, as SQLite's own handle of it sees it.
    std::int64_t FileSize() const;
    // `network`: the file lies in a network folder.
    void CheckSchema(Access access, bool network);
    // Turns a file in WAL mode to a rollback journal, which needs the file
    // to itself.
    void LeaveWal();
    // Turns the file to WAL, asking again while another program holds it.
    void EnterWal();
    void CreateSchema();
    // Brings a file of the first layout up to the present one.
    void Upgrade();
    void Transaction(const std::function<void()>& work);
    // The work of Store and EndReading, inside a transaction.
    void StoreWork(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                   const std::vector<ArchivedRecord>& records);
    void EndWork(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended);
    std::int64_t PragmaValue(const char* sql) const;
    // "SELECT <the columns of a summary> FROM readings ", for the file's layout.
    std::string SummaryQuery() const;
    // "WHERE ..." of a list's filter, whose values BindFilter binds as
    // parameters 1 to 3.
    std::string FilterCondition() const;
    static void BindFilter(SqliteStatement& statement, const ReadingFilter& filter);

    // How many readings passed a list's filter when last counted, until the
    // file changes: a page of a long list need not count them all again.
    struct ListCount {
        wxString station;
        wxString port;
        std::int64_t since = 0;
        std::pair<long long, long long> mark;
        std::int64_t total = 0;
    };
    std::int64_t CountReadings(const ReadingFilter& filter) const;

    wxString m_path;
    std::optional<SqliteConnection> m_db;
    mutable std::optional<ListCount> m_listCount;
    int m_version = SchemaVersion;
};

#endif
