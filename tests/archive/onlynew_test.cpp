// Reading only new records: a table's first records come from the archive
// when the unit still holds them, and the report and the kept reading are
// those of a full reading whatever became of the unit's memory meanwhile.
#include "archive/filearchive.h"
#include "archive/readingrecorder.h"
#include "archive/sqliteconnection.h"
#include "archive/sqlitestatement.h"
#include "reading/memoryreader.h"
#include "buslib/protocol/datatypes.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "tests/robustness/scratchfolder.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <wx/filefn.h>
#include <wx/filename.h>

#include <functional>

using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;
using morva_velox::SerialPortVeloxProtocol;

namespace {

class Host : public ReadingHost {
public:
    bool UpdateProgress(int, const wxString& message) override
    {
        if (!message.empty())
            progress.push_back(message);
        return true;
    }
    void ShowMessage(const wxString& text, const wxString&, long, bool) override { messages.push_back(text); }
    void OnReadingDone(bool ok) override { done = ok; }

    std::vector<wxString> progress;
    std::vector<wxString> messages;
    bool done = false;
};

std::vector<wxString> records(int from, int to, const char* tag = "")
{
    std::vector<wxString> out;
    for (int i = from; i < to; ++i)
        out.push_back(wxString::Format("%d\t%s\t%d.5", i + 1, tag, i));
    return out;
}

std::vector<wxString> joined(std::vector<wxString> a, const std::vector<wxString>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

UnitMemory memoryOf(const std::vector<std::vector<wxString>>& tables)
{
    UnitMemory memory;
    for (std::size_t t = 0; t < tables.size(); ++t)
        memory.addTable(wxString::Format("No.\tTable %zu\tValue", t + 1), tables[t]);
    return memory;
}

struct Reading {
    ReportLines lines;
    std::int64_t id = 0;
    std::size_t recordsRead = 0; // record texts asked of the unit
    std::vector<wxString> progress;
};

class OnlyNewTest : public ::testing::Test {
protected:
    Reading read(const UnitMemory& memory, bool onlyNew)
    {
        unit.reset(memory);
        SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
        protocol.setPace(morva_velox::Pace::Line);
        EXPECT_TRUE(protocol.isOpen());
        Host host;
        Reading reading;
        {
            ReadingRecorder recorder(file(), ReadingFacts{"COM1", "/dev/pts/1", 115200, "line", "0.1.0", "lab-1"});
            MemoryReader reader(host, protocol, &recorder, onlyNew);
            reader.Read();
            EXPECT_TRUE(host.done);
            EXPECT_TRUE(recorder.Warning().empty()) << recorder.Warning();
            reading.id = recorder.ReadingId();
            const wxArrayString lines = reader.GetReportLines();
            reading.lines.assign(lines.begin(), lines.end());
        }
        for (const morva_sim::ReceivedRequest& r : unit.requests()) {
            if (r.command() == morva_velox::CommandRead && r.variable() == morva_velox::VarRecord)
                ++reading.recordsRead;
        }
        reading.progress = host.progress;
        return reading;
    }

    // What the reading holds itself, not by reference.
    std::int64_t ownRecords(std::int64_t reading) const
    {
        const SqliteConnection db(file(), SqliteConnection::Mode::ReadOnly, 0);
        SqliteStatement count(db, "SELECT count(*) FROM records WHERE reading = ?");
        count.Bind(1, reading);
        return count.Step() ? count.Integer(0) : -1;
    }

    // Takes a record row out of the file, as damage or a hand with sqlite3 would.
    void dropRecord(std::int64_t reading, unsigned index) const
    {
        const SqliteConnection db(file(), SqliteConnection::Mode::ReadWrite, 0);
        SqliteStatement drop(db, "DELETE FROM records WHERE reading = ? AND table_number = 0 AND idx = ?");
        drop.Bind(1, reading).Bind(2, std::int64_t{index});
        drop.Step();
        ASSERT_EQ(sqlite3_changes(db.handle()), 1);
    }

    ReportLines kept(std::int64_t reading) const
    {
        return FileArchive(file(), ReadingArchive::Access::Read).Lines(reading);
    }

    wxString file() const { return scratch / "archive.sqlite"; }

    ScratchFolder scratch;
    SimulatedUnit unit;
};

bool says(const std::vector<wxString>& progress, const char* text)
{
    return std::any_of(progress.begin(), progress.end(), [&](const wxString& p) { return p.Contains(text); });
}

} // namespace

TEST_F(OnlyNewTest, AGrownMemoryIsReadFromWhereTheArchiveEnds)
{
    read(memoryOf({records(0, 40), records(0, 5, "b")}), false);
    const UnitMemory grown = memoryOf({records(0, 50), records(0, 5, "b")});
    const Reading onlyNew = read(grown, true);
    const wxArrayString full = grown.toReportLines();

    EXPECT_EQ(onlyNew.lines, ReportLines(full.begin(), full.end()));
    EXPECT_EQ(kept(onlyNew.id), onlyNew.lines);
    // Table 1: records 0 and 39 checked, 40..49 read; table 2: 0 and 4.
    EXPECT_EQ(onlyNew.recordsRead, 2u + 10u + 2u);
    EXPECT_EQ(ownRecords(onlyNew.id), 10);
    EXPECT_TRUE(says(onlyNew.progress, "Reading table 1: 40 records kept, 10 new...")) << onlyNew.progress.size();

    // And again, from that reading: referred to through it.
    const UnitMemory more = memoryOf({records(0, 53), records(0, 6, "b")});
    const Reading third = read(more, true);
    const wxArrayString fullMore = more.toReportLines();
    EXPECT_EQ(third.lines, ReportLines(fullMore.begin(), fullMore.end()));
    EXPECT_EQ(kept(third.id), third.lines);
    EXPECT_EQ(ownRecords(third.id), 3 + 1);
}

TEST_F(OnlyNewTest, AChangedMemoryIsReadWhole)
{
    struct Case {
        const char* name;
        std::vector<wxString> before;
        std::vector<wxString> after;
        const char* progress;
    };
    const std::vector<Case> cases = {
        {"cleared and refilled", records(0, 30), records(0, 35, "new"), "differ from the kept ones"},
        {"first record changed", records(0, 30), joined(records(0, 1, "x"), records(1, 35)),
         "differ from the kept ones"},
        {"last kept record changed", records(0, 30), joined(joined(records(0, 29), records(29, 30, "x")),
                                                            records(30, 35)),
         "differ from the kept ones"},
        {"shrunk", records(0, 30), records(0, 20, "s"), "none of its records is kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (wxFileName::FileExists(file()))
            wxRemoveFile(file());
        read(memoryOf({c.before}), false);
        const UnitMemory after = memoryOf({c.after});
        const Reading onlyNew = read(after, true);
        const wxArrayString full = after.toReportLines();
        EXPECT_EQ(onlyNew.lines, ReportLines(full.begin(), full.end()));
        EXPECT_EQ(kept(onlyNew.id), onlyNew.lines);
        EXPECT_GE(onlyNew.recordsRead, c.after.size());
        EXPECT_EQ(ownRecords(onlyNew.id), static_cast<std::int64_t>(c.after.size()));
        EXPECT_TRUE(says(onlyNew.progress, c.progress));
    }
}

TEST_F(OnlyNewTest, RepeatedReadingsKeepOnlyTheNewRecords)
{
    std::vector<wxString> memory = records(0, 1000);
    read(memoryOf({memory}), false);
    for (int round = 1; round <= 5; ++round) {
        memory = joined(memory, records(1000 + 10 * (round - 1), 1000 + 10 * round));
        const Reading onlyNew = read(memoryOf({memory}), true);
        EXPECT_EQ(ownRecords(onlyNew.id), 10);
        EXPECT_EQ(onlyNew.recordsRead, 12u);
        EXPECT_EQ(kept(onlyNew.id).size(), memory.size() + 2);
    }
}

TEST_F(OnlyNewTest, KeptRecordsWithAHoleAreNotTaken)
{
    // A row gone from the kept table, in the reading itself or in the one
    // it refers to: the table is read whole and the reading kept whole,
    // never a report cut at the hole.
    struct Case {
        const char* name;
        std::vector<std::vector<wxString>> earlier; // readings before, the first full, then only new
        std::size_t dropFrom;                       // which of them loses the row
        unsigned dropped;
    };
    const std::vector<Case> cases = {
        {"its own record", {records(0, 30)}, 0, 12},
        {"a record it refers to", {records(0, 30), records(0, 35)}, 0, 20},
        {"a record of its own after the referred ones", {records(0, 30), records(0, 35)}, 1, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (wxFileName::FileExists(file()))
            wxRemoveFile(file());
        std::vector<std::int64_t> ids;
        for (std::size_t i = 0; i < c.earlier.size(); ++i)
            ids.push_back(read(memoryOf({c.earlier[i]}), i > 0).id);
        dropRecord(ids[c.dropFrom], c.dropped);

        const UnitMemory after = memoryOf({records(0, 40)});
        const Reading onlyNew = read(after, true);
        const wxArrayString full = after.toReportLines();
        EXPECT_EQ(onlyNew.lines, ReportLines(full.begin(), full.end()));
        EXPECT_EQ(kept(onlyNew.id), onlyNew.lines);
        EXPECT_EQ(ownRecords(onlyNew.id), 40);
        EXPECT_GE(onlyNew.recordsRead, 40u);
    }
}
