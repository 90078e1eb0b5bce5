#include "archive/filearchive.h"

#include "archive/archiveerror.h"
#include "archive/readinguuid.h"
#include "archive/sqlitestatement.h"
#include "archive/summarycolumns.h"

#include <sqlite3.h>

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <thread>

namespace {

// The layout of the first version; Upgrade brings it up to the present one.
const char* const Schema = R"(
CREATE TABLE readings(
  id INTEGER PRIMARY KEY,
  started INTEGER NOT NULL,
  ended INTEGER,
  port TEXT NOT NULL,
  device TEXT NOT NULL,
  baud INTEGER NOT NULL,
  pace TEXT NOT NULL,
  version TEXT NOT NULL,
  outcome TEXT NOT NULL DEFAULT 'interrupted',
  error TEXT NOT NULL DEFAULT '',
  table_count INTEGER NOT NULL DEFAULT 0,
  record_count INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX readings_by_port ON readings(port, outcome);
CREATE TABLE tables(
  reading INTEGER NOT NULL,
  number INTEGER NOT NULL,
  header TEXT NOT NULL,
  unit_count INTEGER NOT NULL,
  kept INTEGER NOT NULL DEFAULT 0,
  earlier_reading INTEGER NOT NULL DEFAULT 0,
  taken INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(reading, number)
) WITHOUT ROWID;
CREATE INDEX tables_by_header ON tables(number, header, reading);
CREATE TABLE records(
  reading INTEGER NOT NULL,
  table_number INTEGER NOT NULL,
  idx INTEGER NOT NULL,
  text TEXT NOT NULL,
  PRIMARY KEY(reading, table_number, idx)
) WITHOUT ROWID;
)";

// Version 2: each reading's station, its uuid, and whether the archive
// server holds it ("sent", 1 once it does). Readings kept before get a
// uuid of their own as the file is upgraded.
const char* const SchemaVersion2 = R"(
ALTER TABLE readings ADD COLUMN station TEXT NOT NULL DEFAULT '';
ALTER TABLE readings ADD COLUMN uuid TEXT NOT NULL DEFAULT '';
ALTER TABLE readings ADD COLUMN sent INTEGER NOT NULL DEFAULT 0;
)";
const char* const SchemaVersion2Indexes = R"(
CREATE UNIQUE INDEX readings_by_uuid ON readings(uuid);
CREATE INDEX readings_by_station ON readings(station);
)";


const char* const SummaryColumns = "SELECT id, started, ended, port, device, baud, pace, version, outcome, "
                                   "error, table_count, record_count, station, uuid FROM readings ";
// A file of the first layout, read as it is: no station, no uuid.
const char* const FirstSummaryColumns = "SELECT id, started, ended, port, device, baud, pace, version, outcome, "
                                        "error, table_count, record_count, '', '' FROM readings ";

ReadingSummary SummaryOf(const SqliteStatement& row) { return SummaryFromColumns(row); }

// Runs `work` inside a transaction begun by `begin`, committed when the
// work ends and rolled back when it throws.
void InTransaction(const SqliteConnection& db, const char* begin, const std::function<void()>& work)
{
    db.Execute(begin);
    try {
        work();
        db.Execute("COMMIT");
    } catch (...) {
        try {
            db.Execute("ROLLBACK");
        } catch (const ArchiveError&) {
            // The transaction is gone already.
        }
        throw;
    }
}

// Makes the archive file and its missing folders, readable by their user
// alone; SQLite gives the file's -wal and -shm the file's own mode. A file
// or folder that exists keeps its mode. A file that cannot be made here is
// left for SQLite to refuse with its reason.
void MakeFile(const wxString& path)
{
    const wxFileName file(path);
    if (!file.GetPath().empty() && !wxFileName::DirExists(file.GetPath())
        && !wxFileName::Mkdir(file.GetPath(), wxPOSIX_USER_READ | wxPOSIX_USER_WRITE | wxPOSIX_USER_EXECUTE, wxPATH_MKDIR_FULL))
        throw ArchiveError(wxString::Format(_("cannot make the folder %s"), file.GetPath()));
    wxFile made;
    made.Create(path, false, wxPOSIX_USER_READ | wxPOSIX_USER_WRITE);
}

} // namespace

FileArchive::FileArchive(const wxString& path, Access access, std::optional<FileSystemKind> fileSystem)
    : m_path(path)
{
    const wxLogNull quiet;
    if (wxFileName::FileExists(path)) {
        // checked once opened
    } else if (access == Access::Read) {
        return; // nothing kept yet
    } else {
        MakeFile(path);
    }
    m_db.emplace(path,
                 access == Access::Read ? SqliteConnection::Mode::ReadOnly : SqliteConnection::Mode::ReadWriteCreate,
                 BusyTimeoutMs);
    // Told before the first read: on a read-only disk, a file in WAL mode
    // fails that read, unable to make its -shm file, which hides the reason.
    if (access == Access::Write && m_db->IsReadOnly())
        throw ArchiveError(_("the archive cannot be written (read-only)"));
    CheckFile();
    const bool network = access == Access::Write
                         && (fileSystem ? *fileSystem : FileSystemKindOf(path)) == FileSystemKind::Network;
    CheckSchema(access, network);
}

// A file cut short is refused before anything is written into it: SQLite
// would take the missing pages for free room and write over what is left,
// and a transaction rolled back would pad a partial last page. The file is
// judged inside a read transaction, by what SQLite reads under its own
// locks: another connection's checkpoint may meanwhile write the first page
// (with a new page count) before the pages that grow the file, so the
// header read beside SQLite's locks, or the file's size against it, is no
// sign of damage. Reading the first page, SQLite itself refuses a header
// counting more pages than the database holds. What remains to be seen is
// the file's own size: a whole number of pages, and in a rollback journal's
// mode (where no one writes while we read) every page counted present. In
// WAL mode the newest pages may be in the WAL alone. The size is asked of
// SQLite's own handle of the file: a handle of our own, once closed, would
// drop the locks that the process's other connections hold on the file
// (POSIX advisory locks belong to the process).
void FileArchive::CheckFile() const
{
    InTransaction(*m_db, "BEGIN", [this] {
        const std::int64_t pages = PragmaValue("PRAGMA page_count");
        const std::int64_t pageSize = PragmaValue("PRAGMA page_size");
        SqliteStatement mode(*m_db, "PRAGMA journal_mode");
        const bool wal = mode.Step() && mode.Text(0) == "wal";
        mode.Reset();
        const std::int64_t size = FileSize();
        if (size == 0)
            return; // an empty file is an empty database
        if (pageSize <= 0 || size % pageSize != 0 || (!wal && size < pages * pageSize))
            throw ArchiveError(_("the archive is damaged"));
    });
}

std::int64_t FileArchive::FileSize() const
{
    sqlite3_file* file = nullptr;
    sqlite3_int64 size = 0;
    if (sqlite3_file_control(m_db->handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file
        || !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        throw ArchiveError(_("the archive cannot be opened"));
    return size;
}

std::int64_t FileArchive::PragmaValue(const char* sql) const
{
    SqliteStatement pragma(*m_db, sql);
    return pragma.Step() ? pragma.Integer(0) : 0;
}

void FileArchive::CheckSchema(Access access, bool network)
{
    // The first read of the file: garbage fails here, before any write. One
    // statement, so that a reader making the tables meanwhile is seen
    // whole or not at all.
    SqliteStatement kind(*m_db, "SELECT (SELECT user_version FROM pragma_user_version), "
                                "(SELECT application_id FROM pragma_application_id), "
                                "(SELECT count(*) FROM sqlite_master)");
    if (!kind.Step())
        throw ArchiveError(_("the archive is damaged"));
    const std::int64_t version = kind.Integer(0);
    const std::int64_t application = kind.Integer(1);
    const std::int64_t objects = kind.Integer(2);
    kind.Reset();
    if (version > SchemaVersion)
        throw ArchiveError(_("the archive was made by a newer version of the program"));
    if ((version != 0 || objects != 0) && (application != ApplicationId || version == 0))
        throw ArchiveError(_("the file is not an archive of readings"));
    if (access == Access::Read) {
        if (version == 0)
            m_db.reset(); // an empty file: nothing kept yet
        m_version = static_cast<int>(version);
        return;
    }
    // In a network folder, WAL's shared memory would not reach another
    // computer's connections: a rollback journal, before anything is
    // written, with the file system's own locks.
    if (network)
        LeaveWal();
    // The tables made or upgraded first: a file refused part way is rolled
    // back from its journal to the bytes it had, which WAL would change.
    if (version == 0)
        CreateSchema();
    else if (version < SchemaVersion)
        Upgrade();
    if (!network)
        EnterWal();
    m_db->Execute("PRAGMA synchronous=FULL");
}

// Turning the file to WAL takes it for a moment. Where another program holds
// it meanwhile (a station making the same new archive at the same moment,
// and turning it itself), SQLite says busy at once rather than wait for it
// as it waits for other locks: the change is asked again, as long as a lock
// is waited for. A file that another program has turned already is left as
// it is.
void FileArchive::EnterWal()
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeoutMs);
    while (!m_db->ExecuteUnlessBusy("PRAGMA journal_mode=WAL")) {
        if (std::chrono::steady_clock::now() >= giveUp)
            throw ArchiveError(_("the archive is locked by another program"));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void FileArchive::LeaveWal()
{
    try {
        SqliteStatement mode(*m_db, "PRAGMA journal_mode=DELETE");
        if (mode.Step() && mode.Text(0) == "delete")
            return;
    } catch (const ArchiveError&) {
        // another connection has the file open in WAL mode
    }
    throw ArchiveError(_("the archive is in a network folder and open in another program in WAL mode"));
}

void FileArchive::CreateSchema()
{
    Transaction([this] {
        // Another reader may have made the tables meanwhile.
        if (PragmaValue("PRAGMA user_version") != 0)
            return;
        m_db->Execute(Schema);
        m_db->Execute(SchemaVersion2);
        m_db->Execute(SchemaVersion2Indexes);
        m_db->Execute(("PRAGMA application_id=" + std::to_string(ApplicationId)).c_str());
        m_db->Execute(("PRAGMA user_version=" + std::to_string(SchemaVersion)).c_str());
    });
}

void FileArchive::Upgrade()
{
    Transaction([this] {
        // Another program may have upgraded it meanwhile.
        if (PragmaValue("PRAGMA user_version") != 1)
            return;
        m_db->Execute(SchemaVersion2);
        SqliteStatement ids(*m_db, "SELECT id FROM readings");
        std::vector<std::int64_t> readings;
        while (ids.Step())
            readings.push_back(ids.Integer(0));
        SqliteStatement name(*m_db, "UPDATE readings SET uuid = ? WHERE id = ?");
        for (const std::int64_t reading : readings)
            name.Bind(1, NewReadingUuid()).Bind(2, reading).Run();
        m_db->Execute(SchemaVersion2Indexes);
        m_db->Execute(("PRAGMA user_version=" + std::to_string(SchemaVersion)).c_str());
    });
}

std::string FileArchive::SummaryQuery() const
{
    return m_version < 2 ? FirstSummaryColumns : SummaryColumns;
}

void FileArchive::Transaction(const std::function<void()>& work)
{
    InTransaction(*m_db, "BEGIN IMMEDIATE", work);
}

std::int64_t FileArchive::BeginReading(const ReadingFacts& facts, const wxString& uuid, const wxDateTime& started)
{
    std::int64_t id = 0;
    Transaction([&] {
        SqliteStatement insert(*m_db, "INSERT INTO readings(started, port, device, baud, pace, version, station, "
                                      "uuid) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
        insert.Bind(1, ArchiveMilliseconds(started))
            .Bind(2, facts.port)
            .Bind(3, facts.device)
            .Bind(4, std::int64_t{facts.baud})
            .Bind(5, facts.pace)
            .Bind(6, facts.version)
            .Bind(7, facts.station)
            .Bind(8, uuid)
            .Run();
        id = m_db->LastInsertId();
    });
    return id;
}

void FileArchive::Store(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                           const std::vector<ArchivedRecord>& records)
{
    Transaction([&] { StoreWork(reading, tables, records); });
}

void FileArchive::EndReading(std::int64_t reading, ReadingEnd end, const wxString& error,
                                const wxDateTime& ended)
{
    Transaction([&] { EndWork(reading, end, error, ended); });
}

void FileArchive::EndReading(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                                const std::vector<ArchivedRecord>& records, ReadingEnd end, const wxString& error,
                                const wxDateTime& ended)
{
    Transaction([&] {
        StoreWork(reading, tables, records);
        EndWork(reading, end, error, ended);
    });
}

void FileArchive::StoreWork(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                               const std::vector<ArchivedRecord>& records)
{
    SqliteStatement table(*m_db, "INSERT INTO tables(reading, number, header, unit_count, earlier_reading, "
                                 "taken, kept) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?6) "
                                 "ON CONFLICT(reading, number) DO NOTHING");
    for (const ArchivedTable& t : tables) {
        table.Bind(1, reading)
            .Bind(2, std::int64_t{t.number})
            .Bind(3, t.header)
            .Bind(4, std::int64_t{t.unitCount})
            .Bind(5, t.earlierReading)
            .Bind(6, std::int64_t{t.taken})
            .Run();
    }
    SqliteStatement record(*m_db, "INSERT OR IGNORE INTO records(reading, table_number, idx, text) "
                                  "VALUES(?, ?, ?, ?)");
    std::map<unsigned, unsigned> kept; // per table: one past its last record
    for (const ArchivedRecord& r : records) {
        record.Bind(1, reading)
            .Bind(2, std::int64_t{r.table})
            .Bind(3, std::int64_t{r.index})
            .Bind(4, r.text)
            .Run();
        unsigned& end = kept[r.table];
        end = std::max(end, r.index + 1);
    }
    SqliteStatement grow(*m_db, "UPDATE tables SET kept = max(kept, ?) WHERE reading = ? AND number = ?");
    for (const auto& [number, end] : kept)
        grow.Bind(1, std::int64_t{end}).Bind(2, reading).Bind(3, std::int64_t{number}).Run();
    SqliteStatement totals(*m_db, "UPDATE readings SET table_count = (SELECT count(*) FROM tables WHERE "
                                  "reading = ?1), record_count = (SELECT coalesce(sum(kept), 0) FROM "
                                  "tables WHERE reading = ?1) WHERE id = ?1");
    totals.Bind(1, reading).Run();
}

void FileArchive::EndWork(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended)
{
    SqliteStatement update(*m_db, "UPDATE readings SET ended = ?, outcome = ?, error = ? WHERE id = ? "
                                  "AND ended IS NULL");
    update.Bind(1, ArchiveMilliseconds(ended))
        .Bind(2, wxString(ReadingEndKey(end)))
        .Bind(3, error)
        .Bind(4, reading)
        .Run();
}

std::string FileArchive::FilterCondition() const
{
    // A file of the first layout knows no stations: only the empty one.
    const std::string station = m_version < 2 ? "''" : "station";
    return "WHERE (?1 = '' OR " + station + " = ?1) AND (?2 = '' OR port = ?2) AND started >= ?3 ";
}

void FileArchive::BindFilter(SqliteStatement& statement, const ReadingFilter& filter)
{
    statement.Bind(1, filter.station)
        .Bind(2, filter.port)
        .Bind(3, filter.since.IsValid() ? ArchiveMilliseconds(filter.since) : std::numeric_limits<std::int64_t>::min());
}

void FileArchive::EachReading(const ReadingFilter& filter,
                              const std::function<void(const ReadingSummary&)>& take) const
{
    if (!m_db)
        return;
    SqliteStatement rows(*m_db, (SummaryQuery() + FilterCondition() + "ORDER BY id DESC").c_str());
    BindFilter(rows, filter);
    while (rows.Step())
        take(SummaryOf(rows));
}

std::int64_t FileArchive::CountReadings(const ReadingFilter& filter) const
{
    const std::int64_t since
        = filter.since.IsValid() ? ArchiveMilliseconds(filter.since) : std::numeric_limits<std::int64_t>::min();
    // A commit of another connection changes the data version; one of
    // this connection's, its count of changes.
    const std::pair<long long, long long> mark{PragmaValue("PRAGMA data_version"),
                                               sqlite3_total_changes64(m_db->handle())};
    if (m_listCount && m_listCount->station == filter.station && m_listCount->port == filter.port
        && m_listCount->since == since && m_listCount->mark == mark)
        return m_listCount->total;
    SqliteStatement total(*m_db, ("SELECT count(*) FROM readings " + FilterCondition()).c_str());
    BindFilter(total, filter);
    const std::int64_t count = total.Step() ? total.Integer(0) : 0;
    m_listCount = ListCount{filter.station, filter.port, since, mark, count};
    return count;
}

ReadingArchive::Page FileArchive::ListPage(const ReadingFilter& filter, std::int64_t skip, unsigned count) const
{
    Page page;
    if (!m_db)
        return page;
    page.total = CountReadings(filter);
    SqliteStatement rows(*m_db, (SummaryQuery() + FilterCondition() + "ORDER BY id DESC LIMIT ?4 OFFSET ?5").c_str());
    BindFilter(rows, filter);
    rows.Bind(4, static_cast<std::int64_t>(count)).Bind(5, std::max<std::int64_t>(skip, 0));
    while (rows.Step())
        page.readings.push_back(SummaryOf(rows));
    return page;
}

std::optional<ReadingSummary> FileArchive::Find(std::int64_t reading) const
{
    if (!m_db)
        return std::nullopt;
    SqliteStatement row(*m_db, (SummaryQuery() + "WHERE id = ?").c_str());
    row.Bind(1, reading);
    if (!row.Step())
        return std::nullopt;
    return SummaryOf(row);
}

std::optional<ReadingSummary> FileArchive::LastComplete(const std::vector<wxString>& devices,
                                                       const wxString& station) const
{
    if (!m_db || devices.empty())
        return std::nullopt;
    // A file of the first layout knows no stations: its readings were this
    // computer's own.
    std::string where = m_version < 2 ? "WHERE ?1 = ?1" : "WHERE station = ?1";
    where += " AND outcome = 'complete' AND device IN (?2";
    for (std::size_t i = 1; i < devices.size(); ++i)
        where += ", ?" + std::to_string(i + 2);
    SqliteStatement row(*m_db, (SummaryQuery() + where + ") ORDER BY id DESC LIMIT 1").c_str());
    row.Bind(1, station);
    for (std::size_t i = 0; i < devices.size(); ++i)
        row.Bind(static_cast<int>(i + 2), devices[i]);
    if (!row.Step())
        return std::nullopt;
    return SummaryOf(row);
}

std::vector<ReadingArchive::KeptTable> FileArchive::KeptTables(std::int64_t reading) const
{
    std::vector<KeptTable> kept;
    if (!m_db)
        return kept;
    SqliteStatement tables(*m_db,
                           "SELECT number, header, unit_count, kept FROM tables WHERE reading = ? ORDER BY number");
    tables.Bind(1, reading);
    while (tables.Step())
        kept.push_back({static_cast<unsigned>(tables.Integer(0)), tables.Text(1),
                        static_cast<unsigned>(tables.Integer(2)), tables.Integer(3)});
    return kept;
}

std::vector<std::int64_t> FileArchive::Unsent() const
{
    std::vector<std::int64_t> readings;
    if (!m_db || m_version < 2)
        return readings;
    SqliteStatement rows(*m_db, "SELECT id FROM readings WHERE sent = 0 ORDER BY id");
    while (rows.Step())
        readings.push_back(rows.Integer(0));
    return readings;
}

void FileArchive::MarkSent(std::int64_t reading)
{
    Transaction([&] {
        SqliteStatement mark(*m_db, "UPDATE readings SET sent = 1 WHERE id = ?");
        mark.Bind(1, reading).Run();
    });
}

ReadingArchive::TableLink FileArchive::LinkOf(std::int64_t reading, unsigned table) const
{
    if (!m_db)
        return {};
    SqliteStatement link(*m_db, "SELECT earlier_reading, taken FROM tables WHERE reading = ? AND number = ?");
    link.Bind(1, reading).Bind(2, std::int64_t{table});
    if (!link.Step())
        return {};
    return {link.Integer(0), link.Integer(1)};
}

void FileArchive::OwnRecords(std::int64_t reading, unsigned table, unsigned from, unsigned to,
                             const std::function<void(std::int64_t, const wxString&)>& take) const
{
    if (!m_db)
        return;
    SqliteStatement rows(*m_db, "SELECT idx, text FROM records WHERE reading = ? AND table_number = ? "
                                "AND idx >= ? AND idx < ?");
    rows.Bind(1, reading).Bind(2, std::int64_t{table}).Bind(3, std::int64_t{from}).Bind(4, std::int64_t{to});
    while (rows.Step())
        take(rows.Integer(0), rows.Text(1));
}

std::optional<ReadingArchive::EarlierTable> FileArchive::FindEarlierTable(unsigned number, const wxString& header,
                                                                              unsigned maxCount,
                                                                              std::int64_t excluding) const
{
    if (!m_db)
        return std::nullopt;
    SqliteStatement row(*m_db, "SELECT reading, kept FROM tables WHERE number = ? AND header = ? AND kept > 0 "
                               "AND kept <= ? AND reading != ? ORDER BY reading DESC LIMIT 1");
    row.Bind(1, std::int64_t{number}).Bind(2, header).Bind(3, std::int64_t{maxCount}).Bind(4, excluding);
    if (!row.Step())
        return std::nullopt;
    return EarlierTable{row.Integer(0), static_cast<unsigned>(row.Integer(1))};
}

