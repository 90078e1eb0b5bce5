#include "archive/serverarchive.h"

#include "archive/archiveerror.h"
#include "archive/summarycolumns.h"

#include <wx/intl.h>

#include <string>

namespace {

const char* const Schema = R"(
CREATE TABLE morva_archive(version integer NOT NULL);
CREATE TABLE morva_readings(
  id bigserial PRIMARY KEY,
  uuid uuid NOT NULL UNIQUE,
  station text NOT NULL,
  started bigint NOT NULL,
  port text NOT NULL,
  device text NOT NULL,
  baud integer NOT NULL,
  pace text NOT NULL,
  version text NOT NULL
);
CREATE INDEX morva_readings_by_station ON morva_readings(station, id);
CREATE INDEX morva_readings_by_port ON morva_readings(port, id);
CREATE TABLE morva_tables(
  reading bigint NOT NULL REFERENCES morva_readings(id),
  number integer NOT NULL,
  header text NOT NULL,
  unit_count integer NOT NULL,
  earlier_reading bigint NOT NULL DEFAULT 0,
  taken integer NOT NULL DEFAULT 0,
  PRIMARY KEY(reading, number)
);
CREATE INDEX morva_tables_by_header ON morva_tables(number, header, reading);
CREATE TABLE morva_records(
  reading bigint NOT NULL,
  table_number integer NOT NULL,
  idx integer NOT NULL,
  text text NOT NULL,
  PRIMARY KEY(reading, table_number, idx),
  FOREIGN KEY(reading, table_number) REFERENCES morva_tables(reading, number)
);
CREATE TABLE morva_ends(
  reading bigint PRIMARY KEY REFERENCES morva_readings(id),
  ended bigint NOT NULL,
  outcome text NOT NULL,
  error text NOT NULL,
  table_count integer NOT NULL,
  record_count bigint NOT NULL
);
)";

// Held by whoever makes the tables, so that two stations starting at once
// make them once. "MRVA". Taken before the transaction that looks for the
// tables begins, which so sees what another station made meanwhile.
const char* const SchemaLock = "SELECT pg_advisory_lock(1297241665)";
const char* const SchemaUnlock = "SELECT pg_advisory_unlock(1297241665)";

// One past the last record of table t: its own records, or those it took.
#define MORVA_KEPT                                                                                                     \
    "GREATEST(t.taken, COALESCE((SELECT max(r.idx) + 1 FROM morva_records r WHERE r.reading = t.reading "            \
    "AND r.table_number = t.number), 0))"

const char* const SummaryQuery
    = "SELECT g.id, g.started, e.ended, g.port, g.device, g.baud, g.pace, g.version, "
      "COALESCE(e.outcome, 'interrupted'), COALESCE(e.error, ''), "
      "COALESCE(e.table_count, (SELECT count(*) FROM morva_tables t WHERE t.reading = g.id)), "
      "COALESCE(e.record_count, (SELECT COALESCE(sum(" MORVA_KEPT "), 0) FROM morva_tables t "
      "WHERE t.reading = g.id)), g.station, g.uuid::text "
      "FROM morva_readings g LEFT JOIN morva_ends e ON e.reading = g.id ";


// One row of a result, as SummaryFromColumns reads it.
struct ResultRow {
    const PgResult& rows;
    int row;
    bool IsNull(int column) const { return rows.IsNull(row, column); }
    std::int64_t Integer(int column) const { return rows.Integer(row, column); }
    wxString Text(int column) const { return rows.Text(row, column); }
};

ReadingSummary SummaryOf(const PgResult& rows, int row) { return SummaryFromColumns(ResultRow{rows, row}); }

// An array literal of PostgreSQL: {1,2,3} or {"a","b"}, each text quoted
// with its quotes and backslashes escaped.
std::string ArrayOf(const std::vector<std::int64_t>& numbers)
{
    std::string text = "{";
    for (std::size_t i = 0; i < numbers.size(); ++i)
        text += (i ? "," : "") + std::to_string(numbers[i]);
    return text + "}";
}

std::string ArrayOf(const std::vector<std::string>& texts)
{
    std::string text = "{";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        text += i ? ",\"" : "\"";
        for (const char c : texts[i]) {
            if (c == '"' || c == '\\')
                text += '\\';
            text += c;
        }
        text += '"';
    }
    return text + "}";
}

} // namespace

ServerArchive::ServerArchive(const wxString& place, Access access, const std::atomic<bool>* stop,
                             PgConnection::Limits limits)
    : m_db(place, stop, limits)
{
    // Whatever a reader of the archive asks, the server itself keeps it
    // from writing.
    if (access == Access::Read)
        m_db.Run("SET default_transaction_read_only = on");
    CheckSchema(access);
}

void ServerArchive::CheckSchema(Access access)
{
    const auto version = [this]() -> std::optional<std::int64_t> {
        if (m_db.Execute("SELECT to_regclass('morva_archive') IS NOT NULL").Text(0, 0) != "t")
            return std::nullopt;
        const PgResult row = m_db.Execute("SELECT COALESCE(max(version), 0) FROM morva_archive");
        return row.Integer(0, 0);
    };
    std::optional<std::int64_t> found = version();
    if (!found && access == Access::Write) {
        m_db.Execute(SchemaLock);
        try {
            Transaction([&] {
                found = version(); // another station may have made them meanwhile
                if (found)
                    return;
                m_db.Run(Schema);
                m_db.Execute("INSERT INTO morva_archive(version) VALUES($1)", {PgConnection::Of(SchemaVersion)});
                found = SchemaVersion;
            });
        } catch (...) {
            m_db.Execute(SchemaUnlock);
            throw;
        }
        m_db.Execute(SchemaUnlock);
    }
    if (found && *found > SchemaVersion)
        throw ArchiveError(_("the archive was made by a newer version of the program"));
    if (found && *found < 1)
        throw ArchiveError(_("the database holds no archive of readings"));
    m_hasTables = found.has_value();
}

void ServerArchive::Transaction(const std::function<void()>& work) const
{
    m_db.Run("BEGIN");
    try {
        work();
        m_db.Run("COMMIT");
    } catch (...) {
        try {
            m_db.Run("ROLLBACK");
        } catch (const ArchiveError&) {
            // The connection is gone, and the transaction with it.
        }
        throw;
    }
}

std::int64_t ServerArchive::BeginReading(const ReadingFacts& facts, const wxString& uuid, const wxDateTime& started)
{
    std::int64_t id = 0;
    Transaction([&] { id = BeginWork(facts, uuid, started); });
    return id;
}

std::int64_t ServerArchive::Keep(const ReadingSummary& reading, const std::vector<ArchivedTable>& tables,
                                 const std::vector<ArchivedRecord>& records)
{
    std::int64_t id = 0;
    Transaction([&] {
        id = BeginWork(reading.facts, reading.uuid, reading.started);
        StoreWork(id, tables, records);
        if (reading.end != ReadingEnd::Interrupted)
            EndWork(id, reading.end, reading.error, reading.ended);
    });
    return id;
}

std::int64_t ServerArchive::BeginWork(const ReadingFacts& facts, const wxString& uuid, const wxDateTime& started) const
{
    const PgResult made = m_db.Execute(
        "INSERT INTO morva_readings(uuid, station, started, port, device, baud, pace, version) "
        "VALUES($1::uuid, $2, $3, $4, $5, $6, $7, $8) ON CONFLICT (uuid) DO NOTHING RETURNING id",
        {PgConnection::Of(uuid), PgConnection::Of(facts.station), PgConnection::Of(ArchiveMilliseconds(started)),
         PgConnection::Of(facts.port), PgConnection::Of(facts.device), PgConnection::Of(std::int64_t{facts.baud}),
         PgConnection::Of(facts.pace), PgConnection::Of(facts.version)});
    if (made.Rows() == 1)
        return made.Integer(0, 0);
    // Kept already: sent before, or by another station at the same time,
    // whose transaction the insert waited for.
    return m_db.Execute("SELECT id FROM morva_readings WHERE uuid = $1::uuid", {PgConnection::Of(uuid)}).Integer(0, 0);
}

std::map<unsigned, unsigned> ServerArchive::KeptCounts(const wxString& uuid) const
{
    std::map<unsigned, unsigned> counts;
    if (!m_hasTables)
        return counts;
    const PgResult rows = m_db.Execute("SELECT t.number, " MORVA_KEPT " FROM morva_readings g "
                                       "JOIN morva_tables t ON t.reading = g.id WHERE g.uuid = $1::uuid",
                                       {PgConnection::Of(uuid)});
    for (int row = 0; row < rows.Rows(); ++row)
        counts[static_cast<unsigned>(rows.Integer(row, 0))] = static_cast<unsigned>(rows.Integer(row, 1));
    return counts;
}

void ServerArchive::Store(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                          const std::vector<ArchivedRecord>& records)
{
    Transaction([&] { StoreWork(reading, tables, records); });
}

void ServerArchive::EndReading(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended)
{
    Transaction([&] { EndWork(reading, end, error, ended); });
}

void ServerArchive::EndReading(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                               const std::vector<ArchivedRecord>& records, ReadingEnd end, const wxString& error,
                               const wxDateTime& ended)
{
    Transaction([&] {
        StoreWork(reading, tables, records);
        EndWork(reading, end, error, ended);
    });
}

void ServerArchive::StoreWork(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                              const std::vector<ArchivedRecord>& records) const
{
    for (const ArchivedTable& t : tables) {
        m_db.Execute("INSERT INTO morva_tables(reading, number, header, unit_count, earlier_reading, taken) "
                     "VALUES($1, $2, $3, $4, $5, $6) ON CONFLICT DO NOTHING",
                     {PgConnection::Of(reading), PgConnection::Of(std::int64_t{t.number}), PgConnection::Of(t.header),
                      PgConnection::Of(std::int64_t{t.unitCount}), PgConnection::Of(t.earlierReading),
                      PgConnection::Of(std::int64_t{t.taken})});
    }
    if (records.empty())
        return;
    // All records in one statement: one round trip to the server.
    std::vector<std::int64_t> numbers, indexes;
    std::vector<std::string> texts;
    for (const ArchivedRecord& r : records) {
        numbers.push_back(r.table);
        indexes.push_back(r.index);
        texts.emplace_back(r.text.utf8_str());
    }
    m_db.Execute("INSERT INTO morva_records(reading, table_number, idx, text) "
                 "SELECT $1, * FROM unnest($2::integer[], $3::integer[], $4::text[]) ON CONFLICT DO NOTHING",
                 {PgConnection::Of(reading), ArrayOf(numbers), ArrayOf(indexes), ArrayOf(texts)});
}

void ServerArchive::EndWork(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended) const
{
    m_db.Execute("INSERT INTO morva_ends(reading, ended, outcome, error, table_count, record_count) "
                 "SELECT $1, $2, $3, $4, count(*), COALESCE(sum(" MORVA_KEPT "), 0) FROM morva_tables t "
                 "WHERE t.reading = $1 ON CONFLICT DO NOTHING",
                 {PgConnection::Of(reading), PgConnection::Of(ArchiveMilliseconds(ended)),
                  PgConnection::Of(wxString(ReadingEndKey(end))), PgConnection::Of(error)});
}

std::vector<ReadingSummary> ServerArchive::Summaries(const char* where,
                                                     const std::vector<PgConnection::Value>& values) const
{
    std::vector<ReadingSummary> list;
    if (!m_hasTables)
        return list;
    const PgResult rows = m_db.Execute((std::string(SummaryQuery) + where).c_str(), values);
    list.reserve(static_cast<std::size_t>(rows.Rows()));
    for (int row = 0; row < rows.Rows(); ++row)
        list.push_back(SummaryOf(rows, row));
    return list;
}

namespace {

// "WHERE ..." of a list's filter, with its values as parameters: only the
// filters given, so that the server may use its indexes.
struct FilterCondition {
    explicit FilterCondition(const ReadingFilter& filter)
    {
        if (!filter.station.empty())
            Add("g.station", " = ", PgConnection::Of(filter.station));
        if (!filter.port.empty())
            Add("g.port", " = ", PgConnection::Of(filter.port));
        if (filter.since.IsValid())
            Add("g.started", " >= ", PgConnection::Of(ArchiveMilliseconds(filter.since)));
    }

    void Add(const char* column, const char* compare, PgConnection::Value value)
    {
        values.push_back(std::move(value));
        where += (where.empty() ? "WHERE " : " AND ") + std::string(column) + compare + "$"
            + std::to_string(values.size());
    }

    std::string where;
    std::vector<PgConnection::Value> values;
};

} // namespace

void ServerArchive::EachReading(const ReadingFilter& filter,
                                const std::function<void(const ReadingSummary&)>& take) const
{
    if (!m_hasTables)
        return;
    // The rows come in batches through a cursor, the first at once.
    const FilterCondition condition(filter);
    const std::string& where = condition.where;
    const std::vector<PgConnection::Value>& values = condition.values;
    Transaction([&] {
        m_db.Execute(("DECLARE morva_list NO SCROLL CURSOR FOR " + std::string(SummaryQuery) + where
                      + " ORDER BY g.id DESC")
                         .c_str(),
                     values);
        // The server reads the next batch while this one is handed over;
        // small batches keep both sides busy.
        constexpr int Batch = 500;
        const std::string fetch = "FETCH " + std::to_string(Batch) + " FROM morva_list";
        m_db.Send(fetch.c_str());
        for (bool more = true; more;) {
            const PgResult rows = m_db.Receive();
            more = rows.Rows() == Batch;
            if (more)
                m_db.Send(fetch.c_str());
            try {
                for (int row = 0; row < rows.Rows(); ++row)
                    take(SummaryOf(rows, row));
            } catch (...) {
                if (more)
                    m_db.Receive(); // the connection free again for the rollback
                throw;
            }
        }
    });
}

ReadingArchive::Page ServerArchive::ListPage(const ReadingFilter& filter, std::int64_t skip, unsigned count) const
{
    Page page;
    if (!m_hasTables)
        return page;
    FilterCondition condition(filter);
    Transaction([&] {
        page.total = m_db.Execute(("SELECT count(*) FROM morva_readings g " + condition.where).c_str(),
                                  condition.values)
                         .Integer(0, 0);
        const std::size_t given = condition.values.size();
        const std::string where = condition.where + " ORDER BY g.id DESC LIMIT $" + std::to_string(given + 1)
            + " OFFSET $" + std::to_string(given + 2);
        condition.values.push_back(PgConnection::Of(static_cast<std::int64_t>(count)));
        condition.values.push_back(PgConnection::Of(std::max<std::int64_t>(skip, 0)));
        page.readings = Summaries(where.c_str(), condition.values);
    });
    return page;
}

std::optional<ReadingSummary> ServerArchive::Find(std::int64_t reading) const
{
    std::vector<ReadingSummary> found = Summaries("WHERE g.id = $1", {PgConnection::Of(reading)});
    return found.empty() ? std::nullopt : std::optional<ReadingSummary>(found.front());
}

std::optional<ReadingSummary> ServerArchive::FindByUuid(const wxString& uuid) const
{
    std::vector<ReadingSummary> found = Summaries("WHERE g.uuid = $1::uuid", {PgConnection::Of(uuid)});
    return found.empty() ? std::nullopt : std::optional<ReadingSummary>(found.front());
}

std::optional<ReadingSummary> ServerArchive::LastComplete(const std::vector<wxString>& devices,
                                                         const wxString& station) const
{
    if (devices.empty())
        return std::nullopt;
    std::vector<PgConnection::Value> values{PgConnection::Of(station)};
    std::string where = "WHERE g.station = $1 AND e.outcome = 'complete' AND g.device IN (";
    for (const wxString& device : devices) {
        values.push_back(PgConnection::Of(device));
        where += (values.size() > 2 ? ", $" : "$") + std::to_string(values.size());
    }
    const std::vector<ReadingSummary> found = Summaries((where + ") ORDER BY g.id DESC LIMIT 1").c_str(), values);
    return found.empty() ? std::nullopt : std::optional<ReadingSummary>(found.front());
}

std::optional<ReadingArchive::EarlierTable> ServerArchive::FindEarlierTable(unsigned number, const wxString& header,
                                                                            unsigned maxCount,
                                                                            std::int64_t excluding) const
{
    if (!m_hasTables)
        return std::nullopt;
    const PgResult row = m_db.Execute(
        "SELECT reading, kept FROM (SELECT t.reading, " MORVA_KEPT " AS kept FROM morva_tables t "
        "WHERE t.number = $1 AND t.header = $2 AND t.reading <> $4) s "
        "WHERE kept > 0 AND kept <= $3 ORDER BY reading DESC LIMIT 1",
        {PgConnection::Of(std::int64_t{number}), PgConnection::Of(header), PgConnection::Of(std::int64_t{maxCount}),
         PgConnection::Of(excluding)});
    if (row.Rows() == 0)
        return std::nullopt;
    return EarlierTable{row.Integer(0, 0), static_cast<unsigned>(row.Integer(0, 1))};
}

std::vector<ReadingArchive::KeptTable> ServerArchive::KeptTables(std::int64_t reading) const
{
    std::vector<KeptTable> kept;
    if (!m_hasTables)
        return kept;
    const PgResult rows = m_db.Execute("SELECT t.number, t.header, t.unit_count, " MORVA_KEPT " FROM morva_tables t "
                                       "WHERE t.reading = $1 ORDER BY t.number",
                                       {PgConnection::Of(reading)});
    for (int row = 0; row < rows.Rows(); ++row)
        kept.push_back({static_cast<unsigned>(rows.Integer(row, 0)), rows.Text(row, 1),
                        static_cast<unsigned>(rows.Integer(row, 2)), rows.Integer(row, 3)});
    return kept;
}

ReadingArchive::TableLink ServerArchive::LinkOf(std::int64_t reading, unsigned table) const
{
    if (!m_hasTables)
        return {};
    const PgResult row = m_db.Execute("SELECT earlier_reading, taken FROM morva_tables WHERE reading = $1 AND number = $2",
                                      {PgConnection::Of(reading), PgConnection::Of(std::int64_t{table})});
    if (row.Rows() == 0)
        return {};
    return {row.Integer(0, 0), row.Integer(0, 1)};
}

void ServerArchive::OwnRecords(std::int64_t reading, unsigned table, unsigned from, unsigned to,
                               const std::function<void(std::int64_t, const wxString&)>& take) const
{
    if (!m_hasTables)
        return;
    const PgResult rows = m_db.Execute("SELECT idx, text FROM morva_records WHERE reading = $1 AND table_number = $2 "
                                       "AND idx >= $3 AND idx < $4",
                                       {PgConnection::Of(reading), PgConnection::Of(std::int64_t{table}),
                                        PgConnection::Of(std::int64_t{from}), PgConnection::Of(std::int64_t{to})});
    for (int row = 0; row < rows.Rows(); ++row)
        take(rows.Integer(row, 0), rows.Text(row, 1));
}
