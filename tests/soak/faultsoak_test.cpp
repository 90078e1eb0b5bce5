// A noisy line loses nothing: the whole memory is read through the real
// engine and reading algorithm from a simulated unit whose answers are
// spoilt at random (at a fixed seed), and the report comes out byte for
// byte as from a clean reading, in either pace of the port's reads.
//
// MORVA_SOAK_RECORDS sets the number of records (200 when unset); the long
// run (scripts/soak-long.sh) reads 2,000.
#include "reading/memoryreader.h"
#include "reading/readinghost.h"
#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "report/reportgenerator.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <wx/datetime.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/init.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

using morva_sim::Fault;
using morva_sim::FaultRule;
using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;
using morva_velox::Pace;
using morva_velox::SerialPortVeloxProtocol;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint32_t Seed = 20240314;

int soakRecords()
{
    const char* value = std::getenv("MORVA_SOAK_RECORDS");
    const int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : 200;
}

// Record texts in the manner of a unit's event log, with the characters
// that each report format has to take care of.
wxString recordText(int table, int i)
{
    static const char* const events[] = {
        "Power on", "Threshold exceeded", "T < 5 & rising", "{calibration} \\ J. Smith",
        "\xd0\x9f\xd0\xbe\xd1\x80\xd1\x96\xd0\xb3 \xd0\xbf\xd0\xb5\xd1\x80\xd0\xb5\xd0\xb2\xd0\xb8\xd1\x89\xd0\xb5\xd0\xbd\xd0\xbe",
        "",
    };
    return wxString::Format("%d\t%02d.03.2024\t%02d:%02d:%02d\tCH%d\t", i + 1, 1 + i % 28, i % 24,
                            i % 60, (i * 7) % 60, table + 1)
        + wxString::FromUTF8(events[i % 6]) + wxString::Format("\t%d.%d\t", i * 3 % 1000, i % 10)
        + wxString::FromUTF8(i % 3 == 0 ? "\xc2\xb0\x43" : "kPa");
}

// Three tables sharing the records half, three tenths and a fifth.
UnitMemory soakMemory(int records)
{
    const int counts[] = {records / 2, records * 3 / 10, records - records / 2 - records * 3 / 10};
    UnitMemory memory;
    for (int t = 0; t < 3; ++t) {
        std::vector<wxString> texts;
        for (int i = 0; i < counts[t]; ++i)
            texts.push_back(recordText(t, i));
        memory.addTable(wxString::Format("No.\tDate\tTime\tChannel\tEvent\tValue\tUnit (table %d)", t + 1),
                        texts);
    }
    return memory;
}

// Faults by request index: about 5 % of answers silent, truncated, with a
// wrong header or data checksum, or "busy" (code 5 or 6); about 1 % more
// come after a few stale garbage bytes.
class FaultPlan {
public:
    FaultPlan(std::size_t requests, std::uint32_t seed)
    {
        std::mt19937 random(seed);
        for (std::size_t index = 0; index < requests; ++index) {
            const std::uint32_t roll = random() % 1000;
            if (roll < 50)
                add(index, spoilt(random));
            else if (roll < 60)
                add(index, {"stale bytes", Fault::staleBytesBefore(garbage(random))});
        }
    }

    const std::vector<FaultRule>& rules() const { return m_rules; }

    // How many faults of each kind the unit has applied after `requests`
    // requests.
    std::map<std::string, int> applied(std::size_t requests) const
    {
        std::map<std::string, int> counts;
        for (std::size_t i = 0; i < m_rules.size(); ++i)
            if (*m_rules[i].requestIndex < requests)
                ++counts[m_names[i]];
        return counts;
    }

private:
    struct Named {
        std::string name;
        Fault fault;
    };

    static Named spoilt(std::mt19937& random)
    {
        switch (random() % 6) {
        case 0: return {"silence", Fault::silence()};
        case 1: return {"truncated data", Fault::truncatedData(random() % 8)};
        case 2: return {"bad header checksum", Fault::badHeaderChecksum()};
        case 3: return {"bad data checksum", Fault::badDataChecksum()};
        case 4: return {"busy (5)", Fault::errorAnswer(morva_velox::BusyCannotAnswer)};
        default: return {"busy (6)", Fault::errorAnswer(morva_velox::BusyWillAnswerLater)};
        }
    }

    static morva_sim::Bytes garbage(std::mt19937& random)
    {
        morva_sim::Bytes bytes(1 + random() % 16);
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>(random());
        return bytes;
    }

    void add(std::size_t index, Named named)
    {
        m_rules.push_back(FaultRule::onRequest(index, named.fault));
        m_names.push_back(named.name);
    }

    std::vector<FaultRule> m_rules;
    std::vector<std::string> m_names;
};

class QuietHost : public ReadingHost {
public:
    bool UpdateProgress(int, const wxString&) override { return true; }
    void ShowMessage(const wxString& text, const wxString&, long, bool) override
    {
        messages.push_back(text);
    }
    void OnReadingDone(bool ok) override { done = ok; }

    std::vector<wxString> messages;
    bool done = false;
};

wxString fileBytes(const wxString& name)
{
    wxFFile file(name, "rb");
    wxString bytes;
    EXPECT_TRUE(file.IsOpened() && file.ReadAll(&bytes, wxConvISO8859_1)) << name;
    return bytes;
}

class FaultSoakTest : public ::testing::TestWithParam<Pace> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(init.IsOk());
        char pattern[] = "/tmp/morva_soak_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE); }

    // The report of the lines in the format, in its own subfolder.
    wxString report(const ReportLines& lines, unsigned tables, int format, const wxString& name)
    {
        const wxString subfolder = folder + "/" + name;
        wxFileName::Mkdir(subfolder);
        const ReportOutcome outcome = GenerateReport(lines, tables, format, subfolder, when);
        EXPECT_TRUE(outcome.ok) << outcome.message;
        return fileBytes(outcome.fileName);
    }

    wxInitializer init;
    wxString folder;
    const wxDateTime when{14, wxDateTime::Mar, 2024, 12, 0, 0};
};

INSTANTIATE_TEST_SUITE_P(Paces, FaultSoakTest, ::testing::Values(Pace::Design, Pace::Line),
                         [](const ::testing::TestParamInfo<Pace>& info) { return morva_velox::paceName(info.param); });

} // namespace

TEST_P(FaultSoakTest, NoisyLineLosesNothing)
{
    const int records = soakRecords();
    const UnitMemory memory = soakMemory(records);
    // Select, status and text for every record, a few per table, and room
    // for the resends.
    const FaultPlan plan(static_cast<std::size_t>(records) * 8 + 200, Seed);

    SimulatedUnit unit(memory);
    unit.setStatusBusyPolls(1);
    for (const FaultRule& rule : plan.rules())
        unit.addFault(rule);
    SerialPortVeloxProtocol protocol(unit.portPath(), false, 115200, 'N', 8, 0);
    ASSERT_TRUE(protocol.isOpen());
    protocol.setPace(GetParam());

    QuietHost host;
    MemoryReader reader(host, protocol);
    const Clock::time_point start = Clock::now();
    reader.Read();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::size_t requests = unit.requestCount();
    const std::map<std::string, int> faults = plan.applied(requests);

    int faultCount = 0;
    std::printf("soak (%s pace): %d records in 3 tables, %zu requests, %.1f s\n", morva_velox::paceName(GetParam()),
                records, requests, seconds);
    for (const auto& [kind, count] : faults) {
        std::printf("soak:   %-20s %d\n", kind.c_str(), count);
        faultCount += count;
    }
    std::printf("soak:   %-20s %d (%.1f %% of requests)\n", "all faults", faultCount,
                100.0 * faultCount / static_cast<double>(requests));

    ASSERT_TRUE(host.done);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    const wxArrayString read = reader.GetReportLines();
    const ReportLines readLines(read.begin(), read.end());
    const wxArrayString clean = memory.toReportLines();
    const ReportLines cleanLines(clean.begin(), clean.end());
    EXPECT_EQ(reader.GetTableCount(), 3u);
    ASSERT_EQ(readLines, cleanLines);
    for (const int format : {ReportFormatTxt, ReportFormatCsv, ReportFormatHtml, ReportFormatRtf}) {
        SCOPED_TRACE(format);
        EXPECT_EQ(report(readLines, reader.GetTableCount(), format, wxString::Format("read%d", format)),
                  report(cleanLines, 3, format, wxString::Format("clean%d", format)));
    }

    // Every fault costs at most the resends of one transaction; a generous
    // bound still tells a hang from a slow line.
    EXPECT_LT(seconds, 5.0 + 0.25 * static_cast<double>(requests) + 2.0 * faultCount);
}
