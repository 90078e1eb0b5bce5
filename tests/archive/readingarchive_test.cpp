// The archive file itself: what it keeps, how earlier records are referred
// to, and the files it refuses without writing a byte into them.
#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/readinguuid.h"
#include "archive/sqliteconnection.h"
#include "archive/sqlitestatement.h"
#include "tests/robustness/scratchfolder.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include <functional>
#include <random>

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

std::vector<wxString> texts(int from, int to)
{
    std::vector<wxString> out;
    for (int i = from; i < to; ++i)
        out.push_back(wxString::Format(L"%d\tзапись %d", i, i));
    return out;
}

} // namespace

TEST_F(ArchiveTest, KeepsReadingsAsTheyGrowAndListsThemNewestFirst)
{
    FileArchive archive(file(), ReadingArchive::Access::Write);
    const std::int64_t first = archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
    // Records arrive in batches; the reading is interrupted until it ends.
    archive.Store(first, {ArchivedTable{0, "No.\tText", 3}}, {{0, 0, "a"}, {0, 1, "b"}});
    EXPECT_EQ(archive.Find(first)->end, ReadingEnd::Interrupted);
    EXPECT_EQ(archive.Find(first)->recordCount, 2);
    archive.Store(first, {ArchivedTable{1, L"Дата\tЧас", 1}}, {{0, 2, "c"}, {1, 0, L"10.12.2026\tx"}});
    archive.EndReading(first, ReadingEnd::Failed, "No answer", Start + wxTimeSpan::Seconds(3));
    const std::int64_t second = archive.BeginReading(factsOf("COM2"), NewReadingUuid(), Start + wxTimeSpan::Minutes(1));

    const std::vector<ReadingSummary> list = archive.List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, second);
    EXPECT_EQ(list[1].id, first);
    const ReadingSummary& kept = list[1];
    EXPECT_EQ(kept.facts.port, "COM1");
    EXPECT_EQ(kept.facts.device, "/dev/ttyUSB0");
    EXPECT_EQ(kept.facts.baud, 115200);
    EXPECT_EQ(kept.facts.pace, "line");
    EXPECT_EQ(kept.facts.version, "0.1.0");
    EXPECT_EQ(kept.facts.station, L"лаборатория-1");
    EXPECT_EQ(kept.uuid.length(), 36u);
    EXPECT_NE(kept.uuid, list[0].uuid);
    EXPECT_EQ(kept.started, Start);
    EXPECT_EQ(kept.ended, Start + wxTimeSpan::Seconds(3));
    EXPECT_EQ(kept.end, ReadingEnd::Failed);
    EXPECT_EQ(kept.error, "No answer");
    EXPECT_EQ(kept.tableCount, 2u);
    EXPECT_EQ(kept.recordCount, 4);
    EXPECT_FALSE(list[0].ended.IsValid());

    const ReportLines expected{"No.\tText", "a", "b", "c", "", L"Дата\tЧас", L"10.12.2026\tx", ""};
    EXPECT_EQ(archive.Lines(first), expected);
    EXPECT_FALSE(archive.Find(99).has_value());

    // The file carries its layout's version and its kind.
    const SqliteConnection db(file(), SqliteConnection::Mode::ReadOnly, 0);
    SqliteStatement version(db, "PRAGMA user_version");
    ASSERT_TRUE(version.Step());
    EXPECT_EQ(version.Integer(0), FileArchive::SchemaVersion);
}

TEST_F(ArchiveTest, LastCompleteReadingOfADevice)
{
    // Every reading here is from /dev/ttyUSB0 at one station, whatever
    // its COM name was.
    keep("COM1", texts(0, 2));
    const std::int64_t newest = keep("COM2", texts(0, 3));
    keep("COM1", texts(0, 4), ReadingEnd::Cancelled);
    const FileArchive archive(file(), ReadingArchive::Access::Read);
    ASSERT_TRUE(archive.LastComplete({"/dev/ttyUSB0"}, L"лаборатория-1").has_value());
    EXPECT_EQ(archive.LastComplete({"/dev/ttyUSB0"}, L"лаборатория-1")->id, newest);
    EXPECT_EQ(archive.LastComplete({"/dev/ttyUSB1", "/dev/ttyUSB0"}, L"лаборатория-1")->id, newest);
    EXPECT_FALSE(archive.LastComplete({"/dev/ttyUSB1"}, L"лаборатория-1").has_value());
    EXPECT_FALSE(archive.LastComplete({"/dev/ttyUSB0"}, "another station").has_value());
    EXPECT_FALSE(archive.LastComplete({}, L"лаборатория-1").has_value());
}

TEST_F(ArchiveTest, RecordsTakenFromEarlierReadingsAreReferredTo)
{
    const std::int64_t first = keep("COM1", texts(0, 10));
    FileArchive archive(file(), ReadingArchive::Access::Write);

    // The second reading takes records 0..9 from the first, the third takes
    // 0..11 from the second, which holds 10 and 11 itself.
    const std::int64_t second = archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
    const std::vector<wxString> grown = texts(10, 12);
    archive.Store(second, {ArchivedTable{0, "No.\tText", 12, first, 10}},
                  {{0, 10, grown[0]}, {0, 11, grown[1]}});
    const std::int64_t third = archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
    archive.Store(third, {ArchivedTable{0, "No.\tText", 13, second, 12}}, {{0, 12, texts(12, 13)[0]}});

    ReportLines expected{"No.\tText"};
    for (const wxString& text : texts(0, 13))
        expected.push_back(text);
    expected.emplace_back();
    EXPECT_EQ(archive.Lines(third), expected);
    EXPECT_EQ(archive.Find(third)->recordCount, 13);
    // Nothing copied: the third reading holds one record of its own.
    const SqliteConnection db(file(), SqliteConnection::Mode::ReadOnly, 0);
    SqliteStatement own(db, "SELECT count(*) FROM records WHERE reading = ?");
    own.Bind(1, third);
    ASSERT_TRUE(own.Step());
    EXPECT_EQ(own.Integer(0), 1);

    // The newest table of that number and header with at most n records.
    const auto earlier = archive.FindEarlierTable(0, "No.\tText", 12, third);
    ASSERT_TRUE(earlier.has_value());
    EXPECT_EQ(earlier->reading, second);
    EXPECT_EQ(earlier->count, 12u);
    EXPECT_EQ(archive.FindEarlierTable(0, "No.\tText", 9, third).has_value(), false);
    EXPECT_EQ(archive.FindEarlierTable(0, "No.\tOther", 20, third).has_value(), false);
    EXPECT_EQ(archive.FindEarlierTable(0, "No.\tText", 20, third)->reading, second);
}

TEST_F(ArchiveTest, ListsOnlyTheReadingsOfAStationAPortOrFromADayOn)
{
    FileArchive archive(file(), ReadingArchive::Access::Write);
    const wxDateTime day(10, wxDateTime::Dec, 2026, 9, 30);
    const struct {
        const char* port;
        const wchar_t* station;
        wxDateTime started;
    } kept[] = {
        {"COM1", L"lab-1", day - wxTimeSpan::Days(2)},
        {"COM2", L"lab-1", day - wxTimeSpan::Hours(10)}, // the evening before
        {"COM1", L"van-7", day},
        {"COM1", L"lab-1", day + wxTimeSpan::Days(1)},
    };
    std::vector<std::int64_t> ids;
    for (const auto& k : kept)
        ids.push_back(archive.BeginReading(factsOf(k.port, k.station), NewReadingUuid(), k.started));
    const auto listed = [&](const ReadingFilter& filter) {
        std::vector<std::int64_t> found;
        for (const ReadingSummary& reading : archive.List(filter))
            found.push_back(reading.id);
        return found;
    };
    wxDateTime midnight = day;
    midnight.ResetTime();
    const struct {
        const char* name;
        ReadingFilter filter;
        std::vector<std::int64_t> expected;
    } cases[] = {
        {"all", {}, {ids[3], ids[2], ids[1], ids[0]}},
        {"station", {L"lab-1", "", {}}, {ids[3], ids[1], ids[0]}},
        {"port", {"", "COM2", {}}, {ids[1]}},
        {"since the day's midnight", {"", "", midnight}, {ids[3], ids[2]}},
        {"all three", {L"lab-1", "COM1", midnight}, {ids[3]}},
        {"unknown station", {L"lab-9", "", {}}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listed(c.filter), c.expected) << c.name;
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

TEST_F(ArchiveTest, ReadingAMissingArchiveWritesNothing)
{
    const FileArchive archive(file(), ReadingArchive::Access::Read);
    EXPECT_TRUE(archive.List().empty());
    EXPECT_FALSE(wxFileName::FileExists(file()));
}

TEST_F(ArchiveTest, MakesItsFolder)
{
    const wxString nested = scratch / "a/b/archive.sqlite";
    FileArchive archive(nested, ReadingArchive::Access::Write);
    archive.BeginReading(factsOf("COM1"), NewReadingUuid(), Start);
    EXPECT_TRUE(wxFileName::FileExists(nested));
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
