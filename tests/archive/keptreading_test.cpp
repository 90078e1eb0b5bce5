// Readings of the simulated unit kept as they go: the archive holds what
// the reading read, and makes the same report of it.
#include "archive/filearchive.h"
#include "archive/readingrecorder.h"
#include "reading/memoryreader.h"
#include "report/reportgenerator.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "tests/robustness/scratchfolder.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <wx/filefn.h>
#include <wx/filename.h>

#include <functional>
#include <optional>

using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;
using morva_velox::SerialPortVeloxProtocol;

namespace {

class Host : public ReadingHost {
public:
    bool UpdateProgress(int, const wxString& message) override { return onProgress ? onProgress(message) : true; }
    void ShowMessage(const wxString& text, const wxString&, long, bool) override { messages.push_back(text); }
    void OnReadingDone(bool ok) override { done = ok; }

    std::function<bool(const wxString&)> onProgress;
    std::vector<wxString> messages;
    std::optional<bool> done;
};

std::vector<wxString> records(int n)
{
    std::vector<wxString> out;
    for (int i = 0; i < n; ++i)
        out.push_back(wxString::Format(L"%d\t10.12.2026\tДавление\t%d,5 кПа", i + 1, i));
    return out;
}

const ReadingFacts Facts{"COM1", "/dev/pts/9", 115200, "line", "0.1.0", "lab-1"};

class KeptReadingTest : public ::testing::Test {
protected:
    // Reads the unit once, keeping the reading; returns the reader's lines.
    ReportLines read(SimulatedUnit& unit)
    {
        SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
        protocol.setPace(morva_velox::Pace::Line);
        EXPECT_TRUE(protocol.isOpen());
        ReadingRecorder recorder(file(), Facts);
        MemoryReader reader(host, protocol, &recorder);
        reader.Read();
        warning = recorder.Warning();
        tableCount = reader.GetTableCount();
        const wxArrayString lines = reader.GetReportLines();
        return ReportLines(lines.begin(), lines.end());
    }

    ReadingSummary only() const
    {
        const std::vector<ReadingSummary> list = FileArchive(file(), ReadingArchive::Access::Read).List();
        EXPECT_EQ(list.size(), 1u);
        return list.empty() ? ReadingSummary() : list.front();
    }

    wxString file() const { return scratch / "archive.sqlite"; }

    ScratchFolder scratch;
    Host host;
    wxString warning;
    unsigned tableCount = 0;
};

std::string report(int format, const ReportLines& lines, unsigned tableCount)
{
    const auto formater = CreateFormater(format);
    std::string text;
    BuildReport(*formater, lines, tableCount, ReportTitle(wxDateTime(wxLongLong(1796900520000LL))),
                [&](const wxString& piece) {
                    text += piece.utf8_string();
                    return true;
                });
    return text;
}

} // namespace

TEST_F(KeptReadingTest, TheArchiveMakesTheReadingsReportInEveryFormat)
{
    UnitMemory memory;
    memory.addTable("No.\tDate\tChannel\tValue", records(30));
    memory.addTable(L"№\tДата", records(1));
    memory.addTable("Empty cells\t\t", {"\t\t", "x\t\ty"});
    SimulatedUnit unit(memory);
    const ReportLines lines = read(unit);
    ASSERT_EQ(host.done, true);
    EXPECT_TRUE(warning.empty()) << warning;

    const ReadingSummary kept = only();
    EXPECT_EQ(kept.end, ReadingEnd::Complete);
    EXPECT_EQ(kept.tableCount, 3u);
    EXPECT_EQ(kept.recordCount, 33);
    EXPECT_EQ(kept.facts.port, "COM1");
    EXPECT_TRUE(kept.ended.IsValid());
    const ReportLines archived = FileArchive(file(), ReadingArchive::Access::Read).Lines(kept.id);
    EXPECT_EQ(archived, lines);
    for (int format = ReportFormatRtf; format <= ReportFormatCsv; ++format) {
        SCOPED_TRACE(format);
        EXPECT_EQ(report(format, archived, kept.tableCount), report(format, lines, tableCount));
    }
}

TEST_F(KeptReadingTest, AnUnpluggedUnitLeavesAFailedReadingWithItsRecords)
{
    UnitMemory memory;
    memory.addTable("No.\tText", records(20));
    SimulatedUnit unit(memory);
    host.onProgress = [&](const wxString& message) {
        if (message.Contains("(5 record from 20)"))
            unit.unplug();
        return true;
    };
    read(unit);
    ASSERT_EQ(host.done, false);
    const ReadingSummary kept = only();
    EXPECT_EQ(kept.end, ReadingEnd::Failed);
    EXPECT_TRUE(kept.error == morva_velox::errorText(morva_velox::NoAnswer)
                || kept.error == morva_velox::errorText(morva_velox::NotAllDataReceived))
        << kept.error;
    // The design's error text, as the operator saw it.
    ASSERT_FALSE(host.messages.empty());
    EXPECT_TRUE(host.messages.back().EndsWith(kept.error));
    EXPECT_EQ(kept.recordCount, 5);
    ReportLines expected{"No.\tText"};
    for (const wxString& r : records(5))
        expected.push_back(r);
    expected.emplace_back();
    EXPECT_EQ(FileArchive(file(), ReadingArchive::Access::Read).Lines(kept.id), expected);
}

TEST_F(KeptReadingTest, HowAReadingEnded)
{
    struct Case {
        const char* name;
        UnitMemory memory;
        std::function<bool(const wxString&)> onProgress;
        ReadingEnd end;
        wxString error;
        std::int64_t records;
    };
    UnitMemory two;
    two.addTable("No.\tText", records(10));
    two.addTable("No.\tText", records(10));
    UnitMemory empty;
    empty.addTable("No.\tText", {});
    const std::vector<Case> cases = {
        {"complete", two, nullptr, ReadingEnd::Complete, wxString(), 20},
        {"cancelled", two, [](const wxString& m) { return !m.Contains("(3 record from"); }, ReadingEnd::Cancelled,
         wxString(), 6}, // each table ends at its third record
        {"no records", empty, nullptr, ReadingEnd::Failed, "There are no records in unit's nonvolatile memory", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (wxFileName::FileExists(file()))
            wxRemoveFile(file());
        SimulatedUnit unit(c.memory);
        host = Host();
        host.onProgress = c.onProgress;
        read(unit);
        const ReadingSummary kept = only();
        EXPECT_EQ(kept.end, c.end);
        EXPECT_EQ(kept.error, c.error);
        EXPECT_EQ(kept.recordCount, c.records);
    }
}

TEST_F(KeptReadingTest, AnArchiveThatCannotBeWrittenCostsTheReadingNothing)
{
    // A file where the archive's folder should be.
    ASSERT_TRUE(WriteFileBytes(scratch / "folder", "x"));
    UnitMemory memory;
    memory.addTable("No.\tText", records(3));
    SimulatedUnit unit(memory);
    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    ReadingRecorder recorder(scratch / "folder/archive.sqlite", Facts);
    EXPECT_FALSE(recorder.IsKeeping());
    MemoryReader reader(host, protocol, &recorder);
    reader.Read();
    EXPECT_EQ(host.done, true);
    EXPECT_EQ(reader.GetReportLines().size(), 5u);
    EXPECT_TRUE(recorder.Warning().StartsWith("The reading was not kept in the archive: ")) << recorder.Warning();
}
