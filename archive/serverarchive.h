#ifndef MORVA_ARCHIVE_SERVERARCHIVE_H
#define MORVA_ARCHIVE_SERVERARCHIVE_H

#include "archive/pgconnection.h"
#include "archive/readingarchive.h"

#include <atomic>
#include <map>
#include <optional>

// The archive of readings in a PostgreSQL database that many stations
// share. The program makes its tables there once (in one transaction, with
// the layout's version) and from then on only inserts and selects: it
// never updates, deletes or drops. A reading is known by its uuid, so that
// sending it again, from one station or two at once, keeps one copy.
class ServerArchive final : public ReadingArchive {
public:
    // The layout of the tables, kept in morva_archive.
    static constexpr int SchemaVersion = 1;

    // Write access makes the tables when they are missing; read access
    // never writes, and a database without them reads as an empty archive.
    // `stop` and `limits` bound every wait for the server (see PgConnection).
    ServerArchive(const wxString& place, Access access, const std::atomic<bool>* stop = nullptr,
                  PgConnection::Limits limits = PgConnection::Limits());

    // Begins the reading, or finds the one of that uuid kept already.
    std::int64_t BeginReading(const ReadingFacts& facts, const wxString& uuid, const wxDateTime& started) override;
    void Store(std::int64_t reading, const std::vector<ArchivedTable>& tables,
               const std::vector<ArchivedRecord>& records) override;
    // A reading ends once: a later end of the same reading changes nothing.
    void EndReading(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended) override;
    void EndReading(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                    const std::vector<ArchivedRecord>& records, ReadingEnd end, const wxString& error,
                    const wxDateTime& ended) override;

    void EachReading(const ReadingFilter& filter,
                     const std::function<void(const ReadingSummary&)>& take) const override;
    Page ListPage(const ReadingFilter& filter, std::int64_t skip, unsigned count) const override;
    std::optional<ReadingSummary> Find(std::int64_t reading) const override;
    std::optional<ReadingSummary> FindByUuid(const wxString& uuid) const;
    std::optional<ReadingSummary> LastComplete(const std::vector<wxString>& devices,
                                               const wxString& station) const override;
    std::optional<EarlierTable> FindEarlierTable(unsigned number, const wxString& header, unsigned maxCount,
                                                 std::int64_t excluding) const override;

    std::vector<KeptTable> KeptTables(std::int64_t reading) const override;
    bool Found() const override { return m_hasTables; }

    // Keeps what a station's own archive sends of a reading in one
    // transaction: its facts, tables, records (its own, however they are
    // kept there) and its end, if it has ended. A reading of that uuid kept
    // already gains only what it lacks. Returns its number here.
    std::int64_t Keep(const ReadingSummary& reading, const std::vector<ArchivedTable>& tables,
                      const std::vector<ArchivedRecord>& records);
    // How far each table of the reading of that uuid is kept here: one
    // past its last record, by table number; empty when the reading is not.
    std::map<unsigned, unsigned> KeptCounts(const wxString& uuid) const;

protected:
    TableLink LinkOf(std::int64_t reading, unsigned table) const override;
    void OwnRecords(std::int64_t reading, unsigned table, unsigned from, unsigned to,
                    const std::function<void(std::int64_t, const wxString&)>& take) const override;

private:
    // Reads the layout's version; makes the tables when missing and allowed.
    void CheckSchema(Access access);
    void Transaction(const std::function<void()>& work) const;
    std::int64_t BeginWork(const ReadingFacts& facts, const wxString& uuid, const wxDateTime& started) const;
    void StoreWork(std::int64_t reading, const std::vector<ArchivedTable>& tables,
                   const std::vector<ArchivedRecord>& records) const;
    void EndWork(std::int64_t reading, ReadingEnd end, const wxString& error, const wxDateTime& ended) const;
    std::vector<ReadingSummary> Summaries(const char* where, const std::vector<PgConnection::Value>& values) const;

    PgConnection m_db;
    bool m_hasTables = false;
};

#endif
