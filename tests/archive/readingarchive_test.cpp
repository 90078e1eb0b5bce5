// What only the archive file does: its layout, kind and upgrade, records
// taken rather than copied, who may read it, its journal in a network
// folder, opening beside another program's writes, and the files it
// refuses without writing a byte into them. What both homes keep alike is
// tested on both (serverarchive_test.cpp).
#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/filesystemkind.h"
#include "archive/readinguuid.h"
#include "archive/sqliteconnection.h"
#include "archive/sqlitestatement.h"
#include "tests/robustness/scratchfolder.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include <sys/stat.h>

namespace {

ReadingFacts factsOf(const char* port, const wxString& station = L"лаборатория-1")
{
    return ReadingFacts{port, wxString("/dev/ttyUSB0"), 115200, "line", "0.1.0", station};
}

const wxDateTime Start(wxLongLong(1796900520000LL)); // a whole second

class ArchiveTest : public ::testing::Test {
protected:
    wxString file() const { return scratch / "archive.sqlite"; }

    // A complete reading of one table with `records` records.
    std::int64_t keep(const char* port, const std::vector<wxString>& records, ReadingEnd end = ReadingEnd::Complete)
    {
        FileArchive archive(file(), ReadingArchive::Access::Write);
        const std::int64_t id = archive.BeginReading(factsOf(port), NewReadingUuid(), Start);
        std::vector<ArchivedRecord> kept;
        for (unsigned i = 0; i < records.size(); ++i)
            kept.push_back({0, i, records[i]});
        archive.Store(id, {ArchivedTable{0, "No.\tText", static_cast<unsigned>(records.size())}}, kept);
        archive.EndReading(id, end, wxString(), Start + wxTimeSpan::Seconds(5));
        return id;
    }

    ScratchFolder scratch;
};

// A file's or folder's permission bits.
unsigned ModeOf(const wxString& path)
{
    struct stat status {};
    return ::stat(path.fn_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::vector<wxString> texts(int from, int to)
{
    std::vector<wxString> out;
    for (int i = from; i < to; ++i)
        out.push_back(wxString::Format(L"%d\tзапись %d", i, i));
    return out;
}

} // namespace

TEST_F(ArchiveTest, ANewFileCarriesItsLayoutAndKind)
{
    keep("COM1", texts(0, 1));
    const SqliteConnection db(file(), SqliteConnection::Mode::ReadOnly, 0);
    SqliteStatement kind(db, "SELECT (SELECT user_version FROM pragma_user_version), "
                             "(SELECT application_id FROM pragma_application_id)");
    ASSERT_TRUE(kind.Step());
    EXPECT_EQ(kind.Integer(0), FileArchive::SchemaVersion);
    EXPECT_EQ(kind.Integer(1), FileArchive::ApplicationId);
}

TEST_F(ArchiveTest, RecordsTakenFromAnEarlierReadingAreNotCopied)
{
    const std::int64_t first = keep("COM1", texts(0, 10));
    FileArchive archive(file(), ReadingArchive::Access::Write);
    const std::int64_t second = archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
    const std::vector<wxString> grown = texts(10, 12);
    archive.Store(second, {ArchivedTable{0, "No.\tText", 12, first, 10}}, {{0, 10, grown[0]}, {0, 11, grown[1]}});
    EXPECT_EQ(archive.Find(second)->recordCount, 12);
    const SqliteConnection db(file(), SqliteConnection::Mode::ReadOnly, 0);
    SqliteStatement own(db, "SELECT count(*) FROM records WHERE reading = ?");
    own.Bind(1, second);
    ASSERT_TRUE(own.Step());
    EXPECT_EQ(own.Integer(0), 2);
}

TEST_F(ArchiveTest, AFileOfTheFirstLayoutIsReadAsItIsAndUpgradedForWriting)
{
    // The tables as the first version of the program made them.
    {
        const SqliteConnection db(file(), SqliteConnection::Mode::ReadWriteCreate, 0);
        db.Execute(R"(
CREATE TABLE readings(id INTEGER PRIMARY KEY, started INTEGER NOT NULL, ended INTEGER, port TEXT NOT NULL,
  device TEXT NOT NULL, baud INTEGER NOT NULL, pace TEXT NOT NULL, version TEXT NOT NULL,
  outcome TEXT NOT NULL DEFAULT 'interrupted', error TEXT NOT NULL DEFAULT '',
  table_count INTEGER NOT NULL DEFAULT 0, record_count INTEGER NOT NULL DEFAULT 0);
CREATE INDEX readings_by_port ON readings(port, outcome);
CREATE TABLE tables(reading INTEGER NOT NULL, number INTEGER NOT NULL, header TEXT NOT NULL,
  unit_count INTEGER NOT NULL, kept INTEGER NOT NULL DEFAULT 0, earlier_reading INTEGER NOT NULL DEFAULT 0,
  taken INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(reading, number)) WITHOUT ROWID;
CREATE INDEX tables_by_header ON tables(number, header, reading);
CREATE TABLE records(reading INTEGER NOT NULL, table_number INTEGER NOT NULL, idx INTEGER NOT NULL,
  text TEXT NOT NULL, PRIMARY KEY(reading, table_number, idx)) WITHOUT ROWID;
INSERT INTO readings VALUES(1, 1796900520000, 1796900525000, 'COM1', '/dev/ttyUSB0', 115200, 'line', '0.1.0',
  'complete', '', 1, 2);
INSERT INTO readings VALUES(2, 1796900580000, NULL, 'COM2', '/dev/ttyUSB1', 9600, 'design', '0.1.0',
  'interrupted', '', 0, 0);
INSERT INTO tables VALUES(1, 0, 'No.' || char(9) || 'Text', 2, 2, 0, 0);
INSERT INTO records VALUES(1, 0, 0, 'a'), (1, 0, 1, 'b');
PRAGMA application_id=1297241665;
PRAGMA user_version=1;
)");
    }
    const std::string before = FileBytes(file());
    {
        const FileArchive archive(file(), ReadingArchive::Access::Read);
        const std::vector<ReadingSummary> list = archive.List({"", "COM1", {}});
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].facts.station, "");
        EXPECT_EQ(list[0].uuid, "");
        EXPECT_EQ(archive.List({"lab-1", "", {}}).size(), 0u);
        EXPECT_EQ(archive.Lines(1), (ReportLines{"No.\tText", "a", "b", ""}));
    }
    EXPECT_EQ(FileBytes(file()), before);

    // Opened for writing: every reading kept gets a uuid of its own, and
    // nothing of what it held changes.
    FileArchive archive(file(), ReadingArchive::Access::Write);
    const std::int64_t added = archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
    const std::vector<ReadingSummary> list = archive.List();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].id, added);
    EXPECT_EQ(list[0].facts.station, L"лаборатория-1");
    EXPECT_EQ(list[1].facts.port, "COM2");
    EXPECT_EQ(list[2].end, ReadingEnd::Complete);
    EXPECT_EQ(list[2].recordCount, 2);
    EXPECT_EQ(list[1].uuid.length(), 36u);
    EXPECT_EQ(list[2].uuid.length(), 36u);
    EXPECT_NE(list[1].uuid, list[2].uuid);
    EXPECT_EQ(archive.Lines(1), (ReportLines{"No.\tText", "a", "b", ""}));
    const SqliteConnection db(file(), SqliteConnection::Mode::ReadOnly, 0);
    SqliteStatement version(db, "PRAGMA user_version");
    ASSERT_TRUE(version.Step());
    EXPECT_EQ(version.Integer(0), FileArchive::SchemaVersion);
}

TEST_F(ArchiveTest, MakesItsFolderAndFileForItsUserAlone)
{
    const wxString nested = scratch / "a/b/archive.sqlite";
    FileArchive archive(nested, ReadingArchive::Access::Write);
    archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
    EXPECT_TRUE(wxFileName::FileExists(nested));
    // The journal's files are there while the archive is open.
    const struct {
        wxString path;
        unsigned mode;
    } made[] = {
        {scratch / "a", 0700}, {scratch / "a/b", 0700}, {nested, 0600}, {nested + "-wal", 0600},
        {nested + "-shm", 0600},
    };
    for (const auto& m : made)
        EXPECT_EQ(ModeOf(m.path), m.mode) << m.path;
}

TEST_F(ArchiveTest, AFileOrFolderThatExistsKeepsItsMode)
{
    const wxString folder = scratch / "shared";
    ASSERT_TRUE(wxFileName::Mkdir(folder, 0755));
    ASSERT_EQ(::chmod(folder.fn_str(), 0755), 0);
    const wxString placed = folder + "/archive.sqlite";
    ASSERT_TRUE(WriteFileBytes(placed, ""));
    ASSERT_EQ(::chmod(placed.fn_str(), 0640), 0);
    FileArchive(placed, ReadingArchive::Access::Write).BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
    EXPECT_EQ(ModeOf(folder), 0755u);
    EXPECT_EQ(ModeOf(placed), 0640u);
}

namespace {

struct SpoiltArchive {
    const char* name;
    // Spoils the good archive file.
    std::function<void(const wxString& file)> spoil;
    const char* reason;
};

std::string garbage(std::size_t size)
{
    std::mt19937 random(11);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

void setPragma(const wxString& file, const char* pragma)
{
    const SqliteConnection db(file, SqliteConnection::Mode::ReadWrite, 0);
    db.Execute(pragma);
}

} // namespace

TEST_F(ArchiveTest, SpoiltFilesAreRefusedAndLeftAsTheyWere)
{
    const std::vector<SpoiltArchive> cases = {
        {"garbage", [](const wxString& f) { WriteFileBytes(f, garbage(64 * 1024)); }, "damaged"},
        {"garbage after the header",
         [](const wxString& f) {
             WriteFileBytes(f, FileBytes(f).substr(0, 100) + garbage(FileBytes(f).size() - 100));
         },
         "damaged"},
        {"truncated",
         [](const wxString& f) {
             const std::string bytes = FileBytes(f);
             WriteFileBytes(f, bytes.substr(0, bytes.size() / 2));
         },
         "damaged"},
        {"cut inside its last page, its header's page count not in force",
         [](const wxString& f) {
             std::string bytes = FileBytes(f);
             bytes.resize(bytes.size() - 100);
             bytes[95] = static_cast<char>(bytes[27] + 1); // "version-valid-for" no longer the change counter
             WriteFileBytes(f, bytes);
         },
         "damaged"},
        {"newer", [](const wxString& f) { setPragma(f, "PRAGMA user_version=3"); }, "newer version"},
        {"another program's database", [](const wxString& f) { setPragma(f, "PRAGMA application_id=7"); },
         "not an archive"},
    };
    for (const SpoiltArchive& spoilt : cases) {
        SCOPED_TRACE(spoilt.name);
        if (wxFileName::FileExists(file()))
            wxRemoveFile(file());
        keep("COM1", texts(0, 2000));
        spoilt.spoil(file());
        const std::string before = FileBytes(file());
        for (const auto access : {ReadingArchive::Access::Write, ReadingArchive::Access::Read}) {
            try {
                FileArchive archive(file(), access);
                // A damaged page may only show when it is read.
                archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
                archive.List();
                ADD_FAILURE() << "not refused";
            } catch (const ArchiveError& e) {
                EXPECT_NE(e.reason().Find(spoilt.reason), wxNOT_FOUND) << e.reason();
            }
        }
        EXPECT_EQ(FileBytes(file()), before);
    }
}

TEST_F(ArchiveTest, AWriteLockHeldBeyondTheWaitIsRefused)
{
    keep("COM1", texts(0, 2));
    const SqliteConnection other(file(), SqliteConnection::Mode::ReadWrite, 0);
    other.Execute("BEGIN IMMEDIATE");
    FileArchive archive(file(), ReadingArchive::Access::Write);
    try {
        archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
        ADD_FAILURE() << "not refused";
    } catch (const ArchiveError& e) {
        EXPECT_NE(e.reason().Find("locked"), wxNOT_FOUND) << e.reason();
    }
    // Reading goes on meanwhile.
    EXPECT_EQ(FileArchive(file(), ReadingArchive::Access::Read).List().size(), 1u);
    other.Execute("ROLLBACK");
}

TEST_F(ArchiveTest, OpensBesideAWriterWithLargeCheckpointsAreNeverRefused)
{
    keep("COM1", texts(0, 2));
    // Another program's connection writes large transactions, each followed
    // by a checkpoint that grows the file, and shrinks it again: a
    // checkpoint writes the first page, with the new page count, before the
    // pages that grow the file.
    {
        const SqliteConnection writer(file(), SqliteConnection::Mode::ReadWrite, FileArchive::BusyTimeoutMs);
        writer.Execute("PRAGMA auto_vacuum=FULL; VACUUM; CREATE TABLE ballast(bytes BLOB)");
    }
    std::atomic<bool> done{false};
    std::atomic<int> checkpoints{0};
    std::string writerFailure;
    std::thread writing([&] {
        try {
            const SqliteConnection writer(file(), SqliteConnection::Mode::ReadWrite, FileArchive::BusyTimeoutMs);
            writer.Execute("PRAGMA synchronous=OFF; PRAGMA wal_autocheckpoint=0");
            for (int round = 0; !done && round < 100000; ++round) {
                writer.Execute(round % 2 == 0 ? "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                                "WHERE i < 1000) INSERT INTO ballast SELECT zeroblob(4000) FROM n"
                                              : "DELETE FROM ballast");
                writer.Execute("PRAGMA wal_checkpoint(PASSIVE)");
                ++checkpoints;
            }
        } catch (const ArchiveError& e) {
            writerFailure = e.what();
        }
    });
    int refused = 0;
    int opens = 0;
    wxString reason;
    for (; opens < 2000 && (opens < 300 || checkpoints < 40); ++opens) {
        try {
            const FileArchive archive(file(), opens % 2 == 0 ? ReadingArchive::Access::Read
                                                             : ReadingArchive::Access::Write);
        } catch (const ArchiveError& e) {
            ++refused;
            reason = e.reason();
        }
    }
    done = true;
    writing.join();
    EXPECT_EQ(writerFailure, "");
    EXPECT_EQ(refused, 0) << opens << " opens beside " << checkpoints << " checkpoints; " << reason;
}

// Stations that start reading at the same moment into an archive nobody
// made yet each make it, or find it made, and turn it to WAL: one of them
// may hold the file while another turns it, which SQLite answers as busy at
// once, without the wait for locks.
TEST_F(ArchiveTest, ReadersMakingTheArchiveAtOnceAreNeverRefused)
{
    constexpr int Readers = 6;
    int refused = 0;
    wxString reason;
    for (int round = 0; round < 100; ++round) {
        const wxString made = scratch / wxString::Format("made-%d.sqlite", round);
        std::atomic<int> failed{0};
        std::vector<std::thread> readers;
        std::mutex mutex;
        std::condition_variable started;
        bool go = false;
        for (int r = 0; r < Readers; ++r)
            readers.emplace_back([&] {
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    started.wait(lock, [&] { return go; });
                }
                try {
                    FileArchive archive(made, ReadingArchive::Access::Write, FileSystemKind::Local);
                    archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
                } catch (const ArchiveError& e) {
                    ++failed;
                    const std::lock_guard<std::mutex> lock(mutex);
                    reason = e.reason();
                }
            });
        {
            const std::lock_guard<std::mutex> lock(mutex);
            go = true;
        }
        started.notify_all();
        for (std::thread& reader : readers)
            reader.join();
        refused += failed;
        if (failed == 0) {
            EXPECT_EQ(FileArchive(made, ReadingArchive::Access::Read).List().size(), std::size_t{Readers});
            EXPECT_EQ(static_cast<int>(FileBytes(made)[18]), 2) << "in WAL mode";
        }
    }
    EXPECT_EQ(refused, 0) << reason;
}

TEST_F(ArchiveTest, ThisComputersFoldersAreLocal)
{
    EXPECT_EQ(FileSystemKindOf(scratch.path()), FileSystemKind::Local);
    keep("COM1", texts(0, 1));
    EXPECT_EQ(FileSystemKindOf(file()), FileSystemKind::Local);
}

// In a network folder the archive keeps a rollback journal: the file's
// header says which journal it keeps (byte 18: 1 rollback, 2 WAL).
TEST_F(ArchiveTest, InANetworkFolderARollbackJournalInsteadOfWal)
{
    const auto journalOf = [this] { return static_cast<int>(FileBytes(file())[18]); };
    const struct {
        const char* name;
        bool walBefore; // a file of this computer's, in WAL mode
        bool openElsewhere; // by another connection, in WAL mode
        FileSystemKind where;
        int journal;
        const char* refused;
    } cases[] = {
        {"new, on this computer", false, false, FileSystemKind::Local, 2, nullptr},
        {"new, in a network folder", false, false, FileSystemKind::Network, 1, nullptr},
        {"moved there in WAL mode", true, false, FileSystemKind::Network, 1, nullptr},
        {"moved there in WAL mode, open elsewhere", true, true, FileSystemKind::Network, 2, "network folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            wxRemoveFile(file() + suffix);
        std::int64_t before = 0;
        if (c.walBefore)
            before = keep("COM1", texts(0, 3));
        std::optional<SqliteConnection> other;
        if (c.openElsewhere) {
            other.emplace(file(), SqliteConnection::Mode::ReadWrite, 0);
            other->Execute("SELECT count(*) FROM readings");
        }
        const std::string bytes = FileBytes(file());
        try {
            FileArchive archive(file(), ReadingArchive::Access::Write, c.where);
            EXPECT_EQ(c.refused, nullptr);
            const std::int64_t added = archive.BeginReading(factsOf("COM2"), NewReadingUuid(), Start);
            EXPECT_EQ(wxFileName::FileExists(file() + "-wal"), c.journal == 2);
            EXPECT_EQ(archive.List().size(), c.walBefore ? 2u : 1u);
            EXPECT_EQ(archive.Find(added)->facts.port, "COM2");
            if (c.walBefore) {
                EXPECT_EQ(archive.Lines(before).size(), 5u);
            }
        } catch (const ArchiveError& e) {
            ASSERT_NE(c.refused, nullptr) << e.reason();
            EXPECT_NE(e.reason().Find(c.refused), wxNOT_FOUND) << e.reason();
            EXPECT_EQ(FileBytes(file()), bytes);
        }
        other.reset();
        EXPECT_EQ(journalOf(), c.journal);
    }
}
