// The report driver: writer choice, file name, cutting the lines into
// tables, and writing the file.
#include "report/reportfile.h"
#include "report/reportgenerator.h"
#include "report_test_util.h"

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filename.h>

#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <thread>
#include <vector>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

const wxDateTime When{7, wxDateTime::Dec, 2026, 21, 58, 3};

std::string FileBytes(const wxString& fileName)
{
    wxFFile file(fileName, "rb");
    std::string bytes;
    if (!file.IsOpened())
        return "<missing>";
    wxString text;
    char buffer[4096];
    size_t n;
    while ((n = file.Read(buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    return bytes;
}

wxString RowsText(const ReportTable& table)
{
    wxString text;
    for (const ReportRow& row : table) {
        text += "[";
        for (const wxString& cell : row)
            text += "<" + cell + ">";
        text += "]";
    }
    return text;
}

// A fresh folder per test, removed afterwards.
class ReportFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTempFolder("morva_report_");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE); }

    wxArrayString FilesInFolder() const
    {
        wxArrayString names;
        wxDir::GetAllFiles(folder, &names, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN);
        return names;
    }

    wxString folder;
};

} // namespace

TEST(ReportDriverTest, FormatIndexChoosesTheWriter)
{
    struct Case {
        int selection;
        const char* extension;
    };
    const Case cases[] = {{0, "rtf"}, {1, "html"}, {2, "txt"}, {3, "csv"}, {-1, "txt"}, {4, "txt"}};
    for (const Case& c : cases)
        EXPECT_EQ(CreateFormater(ReportFormatIndex(c.selection))->Extension(), c.extension)
            << c.selection;
    EXPECT_EQ(CreateFormater(-1)->Extension(), "html");
    EXPECT_EQ(CreateFormater(7)->Extension(), "html");
}

TEST(ReportDriverTest, FileNameIsFolderReportAndLocalTime)
{
    const wxString sep = wxFileName::GetPathSeparator(); // '\\' on Windows
    EXPECT_EQ(ReportFileName("/data/reports", "html", When), "/data/reports" + sep + "report_2026_12_07_21_58_03.html");
    EXPECT_EQ(ReportFileName("/data/reports/", "html", When), "/data/reports/report_2026_12_07_21_58_03.html");
    EXPECT_EQ(ReportFileName("", "csv", When), "report_2026_12_07_21_58_03.csv");
    const wxDateTime morning{1, wxDateTime::Feb, 2027, 3, 4, 5};
    EXPECT_EQ(ReportFileName("/", "rtf", morning), "/report_2027_02_01_03_04_05.rtf");
}

TEST(ReportDriverTest, TitleIsDateTimeAndProgramName)
{
    EXPECT_EQ(ReportTitle(When),
              "Report on " + When.Format("%x") + " " + When.Format("%X") + " - MORVA_Reporter");
}

TEST(ReportDriverTest, LinesAreCutIntoTablesRowsAndCells)
{
    const ReportLines lines = {"header 1\tx", "a\t\tc", "b", "", "header 2", "", "", "h4\t", ""};
    struct Case {
        unsigned number;
        const char* rows;
    };
    const Case cases[] = {
        {1, "[<header 1><x>][<a><><c>][<b>]"},
        {2, "[<header 2>]"},
        {3, ""},
        {4, "[<h4><>]"},
        {5, ""},
        {9, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RowsText(CutTable(lines, c.number)), c.rows) << c.number;
}

TEST(ReportDriverTest, DocumentHasEveryCountedTableInOrder)
{
    const ReportLines lines = {"h1", "a", "", "", "h3", ""};
    const auto csv = CreateFormater(ReportFormatCsv);
    EXPECT_EQ(BuildText(*csv, lines, 3), "\n\nh1\na\n\n\n\n\nh3\n\n\n\n");
    // Only as many tables as counted.
    EXPECT_EQ(BuildText(*csv, lines, 1), "\n\nh1\na\n\n\n\n");
}

TEST_F(ReportFolderTest, WritesUtf8WithoutLeadingWhiteSpace)
{
    const ReportLines lines = {"Date\tEvent", wxString::FromUTF8("1.1\t\xd0\x90"), ""};
    const ReportOutcome outcome = GenerateReport(lines, 1, ReportFormatCsv, folder, When);
    ASSERT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(outcome.fileName, folder + wxFileName::GetPathSeparator() + "report_2026_12_07_21_58_03.csv");
    EXPECT_EQ(outcome.message, "Report successfully generated in file " + outcome.fileName);
    EXPECT_EQ(FileBytes(outcome.fileName), "Date\tEvent\n1.1\t\xd0\x90\n\n\n\n");
    EXPECT_EQ(FilesInFolder().size(), 1u);
}

TEST_F(ReportFolderTest, ZeroTablesGiveAnEmptyCsvAndATitleOnlyText)
{
    const ReportOutcome csv = GenerateReport({}, 0, ReportFormatCsv, folder, When);
    ASSERT_TRUE(csv.ok);
    EXPECT_EQ(FileBytes(csv.fileName), "");
    const ReportOutcome txt = GenerateReport({}, 0, -1, folder + "/", When);
    ASSERT_TRUE(txt.ok);
    EXPECT_EQ(txt.fileName, folder + "/report_2026_12_07_21_58_03.txt");
    EXPECT_EQ(FileBytes(txt.fileName), (ReportTitle(When) + "\n\n\n").utf8_string());
}

// A report never replaces another: an existing file of the report's name
// stays byte for byte, and the report takes the first free numbered name.
TEST_F(ReportFolderTest, KeepsAnExistingFileAndTakesTheNextFreeName)
{
    const wxString fileName = ReportFileName(folder, "txt", When);
    const std::string older(10000, 'x');
    {
        wxFFile old(fileName, "wb");
        ASSERT_TRUE(old.Write(older.data(), older.size()));
    }
    const std::string expected = (ReportTitle(When) + "\n\n\nh  \t\n\n\n\n").utf8_string();
    const wxString second = folder + wxFileName::GetPathSeparator() + "report_2026_12_07_21_58_03_2.txt";
    const wxString third = folder + wxFileName::GetPathSeparator() + "report_2026_12_07_21_58_03_3.txt";

    const ReportOutcome outcome = GenerateReport({"h", ""}, 1, ReportFormatTxt, folder, When);
    ASSERT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(outcome.fileName, second);
    EXPECT_EQ(outcome.message, "Report successfully generated in file " + second);
    EXPECT_EQ(FileBytes(second), expected);
    EXPECT_EQ(FileBytes(fileName), older);

    EXPECT_EQ(GenerateReport({"h", ""}, 1, ReportFormatTxt, folder, When).fileName, third);
    EXPECT_EQ(FilesInFolder().size(), 3u);
#ifndef _WIN32
    // Readable as any file the program makes, not only by its owner.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(second.fn_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
#endif

    // The report's own name is taken again as soon as it is free.
    ASSERT_TRUE(wxRemoveFile(fileName));
    EXPECT_EQ(GenerateReport({"h", ""}, 1, ReportFormatTxt, folder, When).fileName, fileName);
    EXPECT_EQ(FileBytes(fileName), expected);
}

// With the report's name and every numbered name after it taken, the
// report is not lost: it stays in the folder under a visible name that the
// error names, and the files that were there stay as they were.
TEST_F(ReportFolderTest, AReportThatFindsNoFreeNameIsKept)
{
    const wxString fileName = ReportFileName(folder, "txt", When);
    for (unsigned number = 1; number <= 9999; ++number)
        ASSERT_TRUE(wxFFile(ReportFile::NumberedName(fileName, number), "wb").IsOpened());

    const ReportOutcome outcome = GenerateReport({"h", ""}, 1, ReportFormatTxt, folder, When);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.fileName, fileName);
    const wxString error = "Error writing file: " + fileName + "\nThe report was kept in the file ";
    wxString kept;
    ASSERT_TRUE(outcome.message.StartsWith(error, &kept)) << outcome.message;
    EXPECT_EQ(wxFileName(kept).GetPath(), folder);
    EXPECT_TRUE(wxFileName(kept).GetFullName().Matches("report_2026_12_07_21_58_03.????????.txt")) << kept;
    EXPECT_EQ(FileBytes(kept), (ReportTitle(When) + "\n\n\nh  \t\n\n\n\n").utf8_string());
    EXPECT_EQ(FileBytes(ReportFile::NumberedName(fileName, 9999)), "");
    EXPECT_EQ(FilesInFolder().size(), 10000u) << "a temporary file was left";
}

TEST(ReportDriverTest, NumberedNameGoesBeforeTheExtension)
{
    EXPECT_EQ(ReportFile::NumberedName("/r/report_1.csv", 1), "/r/report_1.csv");
    EXPECT_EQ(ReportFile::NumberedName("/r/report_1.csv", 2), "/r/report_1_2.csv");
    EXPECT_EQ(ReportFile::NumberedName("report_1.html", 12), "report_1_12.html");
    EXPECT_EQ(ReportFile::NumberedName("/r.d/report", 3), "/r.d/report_3");
}

// Readings that end in the same second, side by side, each keep their own
// report: threads of one program here, separate programs below.
TEST_F(ReportFolderTest, WritersSideBySideEachKeepTheirOwnReport)
{
    constexpr int Writers = 8;
    std::vector<ReportOutcome> outcomes(Writers);
    {
        std::vector<std::thread> threads;
        for (int i = 0; i < Writers; ++i) {
            threads.emplace_back([&, i] {
                outcomes[i] = GenerateReport({"header", wxString::Format("row of writer %d", i), ""}, 1,
                                             ReportFormatCsv, folder, When);
            });
        }
        for (std::thread& t : threads)
            t.join();
    }
    std::set<wxString> names;
    for (int i = 0; i < Writers; ++i) {
        ASSERT_TRUE(outcomes[i].ok) << outcomes[i].message;
        names.insert(outcomes[i].fileName);
        EXPECT_EQ(FileBytes(outcomes[i].fileName),
                  wxString::Format("header\nrow of writer %d\n\n\n\n", i).utf8_string());
    }
    EXPECT_EQ(names.size(), std::size_t{Writers});
    EXPECT_EQ(names.count(ReportFileName(folder, "csv", When)), 1u);
    EXPECT_EQ(FilesInFolder().size(), std::size_t{Writers}) << "a temporary file was left";
}

#ifndef _WIN32
TEST_F(ReportFolderTest, ProgramsSideBySideEachKeepTheirOwnReport)
{
    constexpr int Writers = 6;
    std::vector<pid_t> children;
    for (int i = 0; i < Writers; ++i) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const ReportOutcome outcome = GenerateReport(
                {"header", wxString::Format("row of program %d", i), ""}, 1, ReportFormatTxt, folder, When);
            ::_exit(outcome.ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const wxArrayString files = FilesInFolder();
    ASSERT_EQ(files.size(), std::size_t{Writers}) << "a report was lost or a temporary file left";
    std::set<std::string> rows;
    for (const wxString& file : files) {
        const std::string bytes = FileBytes(file);
        const auto row = bytes.find("row of program ");
        ASSERT_NE(row, std::string::npos) << file;
        rows.insert(bytes.substr(row, bytes.find(' ', row + 15) - row));
    }
    EXPECT_EQ(rows.size(), std::size_t{Writers}) << "two files hold the same reading";
}
#endif

TEST_F(ReportFolderTest, MissingFolderIsAnErrorCreatingTheFile)
{
    const wxString missing = folder + "/no/such/folder";
    const ReportOutcome outcome = GenerateReport({"h", ""}, 1, ReportFormatHtml, missing, When);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.fileName, missing + wxFileName::GetPathSeparator() + "report_2026_12_07_21_58_03.html");
    EXPECT_EQ(outcome.message, "Error creating file: " + outcome.fileName);
    EXPECT_FALSE(wxFileName::Exists(outcome.fileName));
}

// A write that fails after the file was created (here: the process may not
// write more than a few kilobytes) is a failure, and the report that stood
// under that name before is left whole.
#ifndef _WIN32 // a file size limit stands in for a full disk
TEST_F(ReportFolderTest, FailedWriteIsReportedAndKeepsTheOlderReport)
{
    const wxString fileName = ReportFileName(folder, "html", When);
    {
        wxFFile old(fileName, "wb");
        ASSERT_TRUE(old.Write(wxString("older report")));
    }
    ReportLines lines = {"header"};
    for (int i = 0; i < 2000; ++i)
        lines.push_back(wxString::Format("record %d\tvalue", i));
    lines.push_back("");

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 16 * 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const ReportOutcome outcome = GenerateReport(lines, 1, ReportFormatHtml, folder, When);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "Error writing file: " + fileName);
    EXPECT_EQ(FileBytes(fileName), "older report");
    EXPECT_EQ(FilesInFolder().size(), 1u);
}
#endif
