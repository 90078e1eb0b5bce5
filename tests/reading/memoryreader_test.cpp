// The reading algorithm against the simulated unit, through a host that
// records what the operator would see.
#include "reading/getdatathread.h"
#include "reading/memoryreader.h"
#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "tests/support/testunit.h"

#include <gtest/gtest.h>

#include <wx/defs.h>
#include <wx/init.h>

#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

using morva_sim::Fault;
using morva_sim::FaultRule;
using SimulatedUnit = morva_test::TestUnit;
using morva_sim::UnitMemory;
using morva_velox::SerialPortVeloxProtocol;

namespace {

struct Message {
    wxString text;
    wxString caption;
    long style;
    bool parented;
};

class RecordingHost : public ReadingHost {
public:
    bool UpdateProgress(int value, const wxString& message) override
    {
        progress.emplace_back(value, message);
        return onProgress ? onProgress(value, message) : true;
    }
    void ShowMessage(const wxString& text, const wxString& caption, long style, bool parented) override
    {
        messages.push_back({text, caption, style, parented});
    }
    void OnReadingDone(bool ok) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        done = ok;
        doneSignal.notify_all();
    }
    void reset()
    {
        progress.clear();
        messages.clear();
        done.reset();
        onProgress = nullptr;
    }
    bool waitDone()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return doneSignal.wait_for(lock, std::chrono::seconds(30), [&] { return done.has_value(); });
    }

    std::vector<std::pair<int, wxString>> progress;
    std::vector<Message> messages;
    std::optional<bool> done;
    std::function<bool(int, const wxString&)> onProgress;
    std::mutex mutex;
    std::condition_variable doneSignal;
};

std::vector<wxString> records(int n, const char* prefix)
{
    std::vector<wxString> out;
    for (int i = 0; i < n; ++i)
        out.push_back(wxString::Format("%s%d\t%d.5", prefix, i, i));
    return out;
}

UnitMemory tables(std::initializer_list<int> counts)
{
    UnitMemory m;
    int t = 0;
    for (int n : counts) {
        ++t;
        m.addTable(wxString::Format("Table %d\tValue", t), records(n, "r"));
    }
    return m;
}

std::vector<wxString> lines(const wxArrayString& a) { return {a.begin(), a.end()}; }
std::vector<wxString> lines(const UnitMemory& m) { return lines(m.toReportLines()); }

const wxString ReadError = "Error while reading! Can't get data!";

class ReaderTest : public ::testing::Test {
protected:
    void start(const UnitMemory& memory)
    {
        unit = std::make_unique<SimulatedUnit>(memory);
        protocol = std::make_unique<SerialPortVeloxProtocol>(unit->portPath(), false, 115200, 'N', 8, 0);
        ASSERT_TRUE(protocol->isOpen());
        reader = std::make_unique<MemoryReader>(host, *protocol);
    }

    // Arms a fault once the reading has passed record `after` (1-based) of
    // the first table: `times` error answers to the record selection.
    void failRecordsAfter(int after, int times, std::uint8_t code)
    {
        const wxString marker = wxString::Format("(%d record from", after);
        host.onProgress = [=, armed = false](int, const wxString& message) mutable {
            if (!armed && message.Contains(marker)) {
                armed = true;
                unit->addFault(FaultRule{Fault::errorAnswer(code), {}, morva_velox::CommandWrite,
                                         morva_velox::VarRecord, times});
            }
            return true;
        };
    }

    RecordingHost host;
    std::unique_ptr<SimulatedUnit> unit;
    std::unique_ptr<SerialPortVeloxProtocol> protocol;
    std::unique_ptr<MemoryReader> reader;
};

} // namespace

TEST_F(ReaderTest, ReadsEveryTableInOrder)
{
    const UnitMemory memory = tables({2, 1, 5});
    start(memory);
    reader->Read();
    ASSERT_TRUE(host.done.has_value());
    EXPECT_TRUE(*host.done);
    EXPECT_EQ(lines(reader->GetReportLines()), lines(memory));
    EXPECT_EQ(reader->GetTableCount(), 3u);
    EXPECT_TRUE(host.messages.empty());

    // What the progress dialog shows for the first table.
    ASSERT_GE(host.progress.size(), 4u);
    EXPECT_EQ(host.progress[0], std::make_pair(0, wxString("Reading table 1...")));
    EXPECT_EQ(host.progress[1], std::make_pair(0, wxString()));
    EXPECT_EQ(host.progress[2], std::make_pair(32767, wxString("Reading table 1 (1 record from 2)...")));
    EXPECT_EQ(host.progress[3], std::make_pair(65534, wxString("Reading table 1 (2 record from 2)...")));
    EXPECT_EQ(host.progress[4], std::make_pair(0, wxString("Reading table 2...")));
}

TEST_F(ReaderTest, EmptyTableEndsTheReadingWithoutReport)
{
    start(tables({2, 0, 5}));
    reader->Read();
    EXPECT_FALSE(host.done.value());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "There are no records in unit's nonvolatile memory");
    EXPECT_EQ(host.messages[0].caption, "MORVA_Reporter");
    EXPECT_EQ(host.messages[0].style, wxOK | wxICON_EXCLAMATION | wxCENTRE);
}

TEST_F(ReaderTest, UnitWithoutTableSelectionIsOneTable)
{
    const UnitMemory memory = tables({3});
    start(memory);
    unit->setHasTableSelection(false);
    reader->Read();
    EXPECT_TRUE(host.done.value());
    EXPECT_EQ(reader->GetTableCount(), 1u);
    EXPECT_EQ(lines(reader->GetReportLines()), lines(memory));
    EXPECT_EQ(host.progress.at(0).second, "Reading table...");
}

TEST_F(ReaderTest, RecordRetries)
{
    struct Row {
        const char* name;
        int after;        // records read before the failures begin
        int failedReads;  // readRecord calls that fail in a row
        std::uint8_t code;
        bool ok;
        std::size_t firstTableRecords;
        std::vector<wxString> texts;
    };
    const Row rows[] = {
        {"three failures of record 7, then success", 7, 3, morva_velox::BusyCannotAnswer, true, 10, {}},
        {"four failures of record 7 end the table", 7, 4, morva_velox::BusyCannotAnswer, true, 7,
         {ReadError}},
        {"four failures of record 1 end the reading", 1, 4, morva_velox::BusyCannotAnswer, false, 0,
         {ReadError + "\nUnit is busy and can not answer now"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.reset();
        start(tables({10, 2}));
        failRecordsAfter(row.after, row.failedReads * SerialPortVeloxProtocol::MaxAttempts, row.code);
        reader->Read();
        ASSERT_TRUE(host.done.has_value());
        EXPECT_EQ(*host.done, row.ok);
        ASSERT_EQ(host.messages.size(), row.texts.size());
        for (std::size_t i = 0; i < row.texts.size(); ++i)
            EXPECT_EQ(host.messages[i].text, row.texts[i]);
        if (!row.ok)
            continue;
        const auto got = lines(reader->GetReportLines());
        const auto full = lines(tables({10, 2}));
        // Header, the records kept, the end of the table, then table 2 whole.
        std::vector<wxString> expected(full.begin(), full.begin() + 1 + row.firstTableRecords);
        expected.push_back(wxString());
        expected.insert(expected.end(), full.begin() + 12, full.end());
        EXPECT_EQ(got, expected);
        if (row.texts.size() == 1) {
            EXPECT_EQ(host.messages[0].caption, "Error");
            EXPECT_EQ(host.messages[0].style, wxICON_ERROR);
            EXPECT_FALSE(host.messages[0].parented);
        }
    }
}

TEST_F(ReaderTest, CancelKeepsWhatWasRead)
{
    start(tables({100, 3}));
    host.onProgress = [cancelled = false](int, const wxString& message) mutable {
        cancelled = cancelled || message.Contains("(11 record from 100)");
        return !cancelled;
    };
    reader->Read();
    EXPECT_TRUE(host.done.value());
    const auto got = lines(reader->GetReportLines());
    const auto full = lines(tables({100, 3}));
    // Table 1 ends after record index 10; table 2, still cancelled, after its first.
    std::vector<wxString> expected(full.begin(), full.begin() + 12);
    expected.push_back(wxString());
    expected.push_back(full[102]);
    expected.push_back(full[103]);
    expected.push_back(wxString());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(reader->GetTableCount(), 2u);
}

TEST_F(ReaderTest, HeaderRetryKeepsOneHeaderLine)
{
    const UnitMemory memory = tables({2});
    start(memory);
    unit->addFault(FaultRule{Fault::errorAnswer(morva_velox::BusyWillAnswerLater), {},
                             morva_velox::CommandRead, morva_velox::VarRecordCount,
                             SerialPortVeloxProtocol::MaxAttempts});
    reader->Read();
    EXPECT_TRUE(host.done.value());
    EXPECT_EQ(lines(reader->GetReportLines()), lines(memory));
}

TEST_F(ReaderTest, UnknownVariableForTheHeaderEndsTheReading)
{
    start(tables({2}));
    unit->addFault(FaultRule{Fault::errorAnswer(morva_velox::UnknownVariable), {},
                             morva_velox::CommandRead, morva_velox::VarTable, -1});
    reader->Read();
    EXPECT_FALSE(host.done.value());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, ReadError + "\nUnknown variable");
    EXPECT_EQ(host.messages[0].style, wxOK | wxICON_ERROR | wxCENTRE);
}

TEST_F(ReaderTest, SilentUnitGivesTheErrorAndNoReport)
{
    start(tables({2}));
    unit->addFault(FaultRule{Fault::silence(), {}, {}, {}, -1});
    reader->Read();
    EXPECT_FALSE(host.done.value());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, ReadError + "\nNo answer");
    EXPECT_EQ(host.messages[0].caption, "MORVA_Reporter");
}

TEST_F(ReaderTest, DetachedThreadRunsOneReading)
{
    // The toolkit stays initialised to the end of the run: its clean-up
    // must not meet the detached thread on its way out.
    static wxInitializer init;
    ASSERT_TRUE(init.IsOk());
    const UnitMemory memory = tables({2, 1});
    start(memory);
    // The thread lets go of its owner when it deletes itself: only then may
    // the host and the engine it uses go.
    std::promise<void> released;
    std::shared_ptr<const void> owner(nullptr, [&](const void*) { released.set_value(); });
    auto* thread = new GetDataThread(host, *protocol, std::move(owner)); // detached: deletes itself
    ASSERT_EQ(thread->Create(), wxTHREAD_NO_ERROR);
    ASSERT_EQ(thread->Run(), wxTHREAD_NO_ERROR);
    ASSERT_TRUE(host.waitDone());
    EXPECT_TRUE(*host.done);
    EXPECT_EQ(released.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
}
