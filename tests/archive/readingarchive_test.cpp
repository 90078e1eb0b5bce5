// The archive file itself: what it keeps, how earlier records are referred
// to, and the files it refuses without writing a byte into them.
#include "archive/archiveerror.h"
#include "archive/readingarchive.h"
#include "archive/sqliteconnection.h"
#include "archive/sqlitestatement.h"
#include "tests/robustness/scratchfolder.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include <functional>
#include <random>

namespace {

ReadingFacts factsOf(const char* port)
{
    return ReadingFacts{port, wxString("/dev/ttyUSB0"), 115200, "line", "0.1.0"};
}

const wxDateTime Start(wxLongLong(1796900520000LL)); // a whole second

class ArchiveTest : public ::testing::Test {
protected:
    wxString file() const { return scratch / "archive.sqlite"; }

    // A complete reading of one table with `records` records.
    std::int64_t keep(const char* port, const std::vector<wxString>& records, ReadingEnd end = ReadingEnd::Complete)
    {
        ReadingArchive archive(file(), ReadingArchive::Access::Write);
        const std::int64_t id = archive.BeginReading(factsOf(port), Start);
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
    ReadingArchive archive(file(), ReadingArchive::Access::Write);
    const std::int64_t first = archive.BeginReading(factsOf("COM1"), Start);
    // Records arrive in batches; the reading is interrupted until it ends.
    archive.Store(first, {ArchivedTable{0, "No.\tText", 3}}, {{0, 0, "a"}, {0, 1, "b"}});
    EXPECT_EQ(archive.Find(first)->end, ReadingEnd::Interrupted);
    EXPECT_EQ(archive.Find(first)->recordCount, 2);
    archive.Store(first, {ArchivedTable{1, L"Дата\tЧас", 1}}, {{0, 2, "c"}, {1, 0, L"10.12.2026\tx"}});
    archive.EndReading(first, ReadingEnd::Failed, "No answer", Start + wxTimeSpan::Seconds(3));
    const std::int64_t second = archive.BeginReading(factsOf("COM2"), Start + wxTimeSpan::Minutes(1));

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
    EXPECT_EQ(version.Integer(0), ReadingArchive::SchemaVersion);
}

TEST_F(ArchiveTest, LastCompleteReadingOfAPort)
{
    keep("COM1", texts(0, 2));
    const std::int64_t newest = keep("COM1", texts(0, 3));
    keep("COM1", texts(0, 4), ReadingEnd::Cancelled);
    keep("COM2", texts(0, 5));
    const ReadingArchive archive(file(), ReadingArchive::Access::Read);
    ASSERT_TRUE(archive.LastComplete("COM1").has_value());
    EXPECT_EQ(archive.LastComplete("COM1")->id, newest);
    EXPECT_FALSE(archive.LastComplete("COM3").has_value());
}

TEST_F(ArchiveTest, RecordsTakenFromEarlierReadingsAreReferredTo)
{
    const std::int64_t first = keep("COM1", texts(0, 10));
    ReadingArchive archive(file(), ReadingArchive::Access::Write);

    // The second reading takes records 0..9 from the first, the third takes
    // 0..11 from the second, which holds 10 and 11 itself.
    const std::int64_t second = archive.BeginReading(factsOf("COM1"), Start);
    const std::vector<wxString> grown = texts(10, 12);
    archive.Store(second, {ArchivedTable{0, "No.\tText", 12, first, 10}},
                  {{0, 10, grown[0]}, {0, 11, grown[1]}});
    const std::int64_t third = archive.BeginReading(factsOf("COM1"), Start);
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

TEST_F(ArchiveTest, ReadingAMissingArchiveWritesNothing)
{
    const ReadingArchive archive(file(), ReadingArchive::Access::Read);
    EXPECT_TRUE(archive.List().empty());
    EXPECT_FALSE(wxFileName::FileExists(file()));
}

TEST_F(ArchiveTest, MakesItsFolder)
{
    const wxString nested = scratch / "a/b/archive.sqlite";
    ReadingArchive archive(nested, ReadingArchive::Access::Write);
    archive.BeginReading(factsOf("COM1"), Start);
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
        {"newer", [](const wxString& f) { setPragma(f, "PRAGMA user_version=2"); }, "newer version"},
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
                ReadingArchive archive(file(), access);
                // A damaged page may only show when it is read.
                archive.BeginReading(factsOf("COM1"), Start);
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
    ReadingArchive archive(file(), ReadingArchive::Access::Write);
    try {
        archive.BeginReading(factsOf("COM1"), Start);
        ADD_FAILURE() << "not refused";
    } catch (const ArchiveError& e) {
        EXPECT_NE(e.reason().Find("locked"), wxNOT_FOUND) << e.reason();
    }
    // Reading goes on meanwhile.
    EXPECT_EQ(ReadingArchive(file(), ReadingArchive::Access::Read).List().size(), 1u);
    other.Execute("ROLLBACK");
}
