// The report folder the operator chose cannot take the report: it does not
// exist, it is read-only, or its file system is full. The operator gets
// the error and no success message; no partial file is left, and an
// earlier report of the same name stays as it was. A report written in
// full that cannot take its name is kept, and the error says where.
#include "appendonlyfolder.h"
#include "clirun.h"
#include "scratchfolder.h"
#include "tmpfsmount.h"

#include "report/reportgenerator.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <wx/datetime.h>
#include <wx/filename.h>
#include <wx/init.h>

#include <string>
#include <vector>

namespace {

const std::string Earlier = "the earlier report of this name\n";

// About 300 KB of report: more than the full file system can take.
ReportLines bigReport()
{
    ReportLines lines = {"No.\tDate\tEvent"};
    for (int i = 0; i < 5000; ++i)
        lines.push_back(wxString::Format("%d\t14.03.2024\tThreshold exceeded on channel %d", i, i % 4));
    lines.push_back(wxString());
    return lines;
}

class ReportFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(init.IsOk());
        ASSERT_FALSE(scratch.path().empty());
    }

    // Generates the report into the folder and checks everything the
    // operator and the folder must show for a failure.
    void expectRefused(const wxString& folder, const wxString& error, bool hasEarlier)
    {
        const std::vector<std::string> before = FolderNames(folder);
        const ReportOutcome outcome = GenerateReport(lines, 1, ReportFormatTxt, folder, when);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.fileName, ReportFileName(folder, "txt", when));
        EXPECT_EQ(outcome.message, error + outcome.fileName);
        EXPECT_EQ(outcome.message.Find("successfully"), wxNOT_FOUND);
        EXPECT_EQ(FolderNames(folder), before) << "a partial or temporary file was left";
        if (hasEarlier)
            EXPECT_EQ(FileBytes(outcome.fileName), Earlier);
        else
            EXPECT_FALSE(wxFileName::Exists(outcome.fileName));
    }

    // The report written into an append-only folder, where it cannot take
    // its name: the error says where it was kept instead, which must be in
    // the folder and hold the whole report.
    wxString expectKept(const wxString& folder, const wxString& error)
    {
        EXPECT_TRUE(error.StartsWith(wxS("Error writing file: ") + folder + "/report_")) << error;
        const wxString keptIn = wxS("\nThe report was kept in the file ");
        EXPECT_NE(error.Find(keptIn), wxNOT_FOUND) << error;
        const wxString kept = error.Mid(error.Find(keptIn) + keptIn.size()).BeforeFirst('\n');
        EXPECT_EQ(wxFileName(kept).GetPath(), folder) << kept;
        EXPECT_EQ(FolderNames(folder), std::vector<std::string>{wxFileName(kept).GetFullName().utf8_string()});
        return kept;
    }

    wxInitializer init;
    ScratchFolder scratch;
    const wxDateTime when{14, wxDateTime::Mar, 2024, 12, 0, 0};
    const ReportLines lines = bigReport();
};

} // namespace

TEST_F(ReportFolderTest, MissingFolder)
{
    expectRefused(scratch / "no-such-folder", "Error creating file: ", false);
    expectRefused(scratch / "no-such-folder/deeper", "Error creating file: ", false);
}

TEST_F(ReportFolderTest, ReadOnlyFolder)
{
    const wxString folder = scratch / "read-only";
    ASSERT_TRUE(wxFileName::Mkdir(folder));
    TmpfsMount mount(folder, 1024);
    if (!mount.mounted()) {
        // Without mounting, root writes anywhere; a file where the folder
        // should be is the one refusal left to show.
        std::printf("read-only folder: tmpfs not available (%s); using a file in place of the folder\n",
                    mount.error().c_str());
        ASSERT_TRUE(wxFileName::Rmdir(folder));
        ASSERT_TRUE(WriteFileBytes(folder, "not a folder"));
        expectRefused(folder, "Error creating file: ", false);
        return;
    }
    ASSERT_TRUE(WriteFileBytes(ReportFileName(folder, "txt", when), Earlier));
    ASSERT_TRUE(mount.remountReadOnly());
    expectRefused(folder, "Error creating file: ", true);
}

TEST_F(ReportFolderTest, FullFileSystem)
{
    const wxString folder = scratch / "full";
    ASSERT_TRUE(wxFileName::Mkdir(folder));
    TmpfsMount mount(folder, 64);
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << mount.error()
                     << "); the full file system is not tested";
    ASSERT_TRUE(WriteFileBytes(ReportFileName(folder, "txt", when), Earlier));
    // Fill what is left, so that the report's first write already fails.
    WriteFileBytes(folder + "/filler", std::string(64 * 1024, 'x'));
    expectRefused(folder, "Error writing file: ", true);
}

TEST_F(ReportFolderTest, AReportThatCannotTakeItsNameIsKept)
{
    const wxString folder = scratch / "append-only";
    ASSERT_TRUE(wxFileName::Mkdir(folder));
    const ReportOutcome whole = GenerateReport(lines, 1, ReportFormatTxt, scratch.path(), when);
    ASSERT_TRUE(whole.ok) << whole.message;

    const AppendOnlyFolder appendOnly(folder);
    if (!appendOnly.made())
        GTEST_SKIP() << "cannot make a folder append-only here (" << appendOnly.error()
                     << "); a report that cannot take its name is not tested";
    const ReportOutcome outcome = GenerateReport(lines, 1, ReportFormatTxt, folder, when);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.fileName, ReportFileName(folder, "txt", when));
    const wxString kept = expectKept(folder, outcome.message);
    EXPECT_TRUE(FileBytes(kept) == FileBytes(whole.fileName)) << "the report kept is not the whole report";
}

// The same through the headless reader, with a unit to read from: the
// error on standard error, no report path on standard output, exit 1.
TEST_F(ReportFolderTest, HeadlessReaderReportsTheFailure)
{
    morva_sim::UnitMemory memory;
    memory.addTable("No.\tEvent", {"1\tPower on", "2\tPower off"});
    morva_sim::SimulatedUnit unit(memory);

    const wxString folder = scratch / "no-such-folder";
    const CliRun run = RunCli(scratch.path(), {"read", "--port", unit.portPath(), "--baud", "115200",
                                               "--format", "txt", "--folder", folder.utf8_string()});
    ASSERT_TRUE(run.exited) << run.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Error creating file: " + folder.utf8_string() + "/report_"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("successfully"), std::string::npos) << run.err;
    EXPECT_FALSE(wxFileName::Exists(folder));
}

TEST_F(ReportFolderTest, HeadlessReaderSaysWhereTheReportWasKept)
{
    morva_sim::UnitMemory memory;
    memory.addTable("No.\tEvent", {"1\tPower on", "2\tPower off"});
    morva_sim::SimulatedUnit unit(memory);

    const wxString folder = scratch / "append-only";
    ASSERT_TRUE(wxFileName::Mkdir(folder));
    const AppendOnlyFolder appendOnly(folder);
    if (!appendOnly.made())
        GTEST_SKIP() << "cannot make a folder append-only here (" << appendOnly.error()
                     << "); a report that cannot take its name is not tested";
    const CliRun run = RunCli(scratch.path(), {"read", "--port", unit.portPath(), "--baud", "115200",
                                               "--format", "txt", "--folder", folder.utf8_string()});
    ASSERT_TRUE(run.exited) << run.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find("successfully"), std::string::npos) << run.err;
    const auto error = run.err.find("Error writing file: ");
    ASSERT_NE(error, std::string::npos) << run.err;
    const wxString kept = expectKept(folder, wxString::FromUTF8(run.err.substr(error)));
    const std::string bytes = FileBytes(kept);
    EXPECT_NE(bytes.find("Power on"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Power off"), std::string::npos) << bytes;
}
