// The reading as a workbook, read back by a real reader (openpyxl).

#include "insight/spreadsheetcell.h"
#include "insight/xlsxreport.h"
#include "sampletables.h"

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

// What openpyxl found, keyed by its first fields.
struct WorkbookFacts {
    std::vector<std::string> sheets;
    std::map<std::string, std::string> frozen;
    std::map<std::string, std::string> filters;
    // "SHEET!CELL" -> {type, value, number format, bold}
    std::map<std::string, std::vector<std::string>> cells;

    const std::vector<std::string>& Cell(const std::string& at) const
    {
        static const std::vector<std::string> none{"", "", "", ""};
        const auto found = cells.find(at);
        return found == cells.end() ? none : found->second;
    }
};

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', begin);
        out.push_back(line.substr(begin, tab - begin));
        if (tab == std::string::npos)
            return out;
        begin = tab + 1;
    }
}

WorkbookFacts readWorkbook(const wxString& path)
{
    const std::string command =
        std::string("/usr/bin/python3 ") + MORVA_READ_WORKBOOK + " '" + std::string(path.utf8_str()) + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while (pipe && (got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        text.append(buffer, got);
    WorkbookFacts facts;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        const std::vector<std::string> f = fields(text.substr(begin, end - begin));
        begin = end == std::string::npos ? text.size() : end + 1;
        if (f[0] == "sheet")
            facts.sheets.push_back(f[1]);
        else if (f[0] == "frozen")
            facts.frozen[f[1]] = f[2];
        else if (f[0] == "filter")
            facts.filters[f[1]] = f[2];
        else if (f[0] == "cell" && f.size() == 7)
            facts.cells[f[1] + "!" + f[2]] = {f[3], f[4], f[5], f[6]};
    }
    return facts;
}

class XlsxReportTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = wxFileName::CreateTempFileName("morva-xlsx");
        wxRemoveFile(m_folder);
        ASSERT_TRUE(wxFileName::Mkdir(m_folder));
    }
    void TearDown() override { wxFileName::Rmdir(m_folder, wxPATH_RMDIR_RECURSIVE); }

    wxString m_folder;
};

TEST_F(XlsxReportTest, TheSampleReadsBackTyped)
{
    ReadingSummary reading;
    reading.facts.station = "lab-2";
    reading.facts.port = "COM1";
    reading.facts.device = "/dev/ttyUSB0";
    reading.facts.baud = 9600;
    reading.facts.version = "0.1.0";
    reading.started = wxDateTime(14, wxDateTime::Mar, 2024, 12, 0, 0);
    reading.ended = wxDateTime(14, wxDateTime::Mar, 2024, 12, 5, 30);
    reading.end = ReadingEnd::Complete;
    const ReportOutcome outcome =
        XlsxReport::Write(SampleTables(), reading, wxFileName(m_folder, "report.xlsx").GetFullPath());
    ASSERT_TRUE(outcome.ok) << outcome.message;
    const WorkbookFacts book = readWorkbook(outcome.fileName);

    ASSERT_EQ(book.sheets.size(), 4u);
    EXPECT_EQ(book.sheets[0], "Reading");
    EXPECT_EQ(book.sheets[1], "1 No. Date Time Channel Event");
    EXPECT_LE(wxString::FromUTF8(book.sheets[2].c_str()).length(), 31u);
    EXPECT_EQ(book.sheets[2].rfind("2 ", 0), 0u);

    // The event log: header bold and frozen, a filter over the table.
    const std::string log = book.sheets[1];
    EXPECT_EQ(book.frozen.at(log), "A2");
    EXPECT_EQ(book.filters.at(log), "A1:H13");
    EXPECT_EQ(book.Cell(log + "!D1")[1], "Channel");
    EXPECT_EQ(book.Cell(log + "!D1")[3], "True");
    // A running number, a date, a time, a text, a number, an empty cell.
    EXPECT_EQ(book.Cell(log + "!A2")[0], "int");
    EXPECT_EQ(book.Cell(log + "!B2")[0], "datetime");
    EXPECT_EQ(book.Cell(log + "!B2")[1], "2024-03-14T00:00:00");
    EXPECT_EQ(book.Cell(log + "!B2")[2], "dd.mm.yyyy");
    EXPECT_EQ(book.Cell(log + "!C2")[0], "time");
    EXPECT_EQ(book.Cell(log + "!C2")[1], "08:25:09");
    EXPECT_EQ(book.Cell(log + "!E2")[1], "Power on");
    EXPECT_EQ(book.Cell(log + "!F2")[0], "") << "no value is an empty cell, not a zero";
    EXPECT_EQ(book.Cell(log + "!F3")[0], "float");
    EXPECT_EQ(book.Cell(log + "!F3")[1], "101.3");
    EXPECT_EQ(book.Cell(log + "!F3")[2], "0.0");
    EXPECT_EQ(book.Cell(log + "!F8")[1], "148");
    EXPECT_EQ(book.Cell(log + "!F8")[2], "0.0") << "148.0 keeps its decimal in its format";
    EXPECT_EQ(book.Cell(log + "!F12")[0], "str") << "\"+2\" would lose its sign as a number";
    EXPECT_EQ(book.Cell(log + "!F12")[1], "+2");

    // The Russian wide table: decimal commas read as such.
    const std::string wide = book.sheets[2];
    EXPECT_EQ(book.Cell(wide + "!E2")[0], "float");
    EXPECT_EQ(book.Cell(wide + "!E2")[1], "113.2");
    EXPECT_EQ(book.Cell(wide + "!G2")[1], "12.51");
    EXPECT_EQ(book.Cell(wide + "!G2")[2], "0.00");
    // The Ukrainian log: the minus sign U+2212 stays as written.
    EXPECT_EQ(book.Cell(book.sheets[3] + "!E9")[0], "str");

    // The reading's facts, and the figures of a measured column.
    EXPECT_EQ(book.Cell("Reading!B3")[1], "lab-2");
    EXPECT_EQ(book.Cell("Reading!B5")[1], "/dev/ttyUSB0");
    bool found = false;
    for (const auto& [at, cell] : book.cells)
        found = found || (at.rfind("Reading!", 0) == 0 && cell[1] == "CH2 Temperature");
    EXPECT_TRUE(found) << "the figures per channel";
}

TEST_F(XlsxReportTest, NeverOverAnotherFileNorHalfWritten)
{
    const wxString name = wxFileName(m_folder, "report.xlsx").GetFullPath();
    const std::vector<RecordTable> tables = SampleTables();
    ASSERT_TRUE(XlsxReport::Write(tables, ReadingSummary(), name).ok);
    const ReportOutcome second = XlsxReport::Write(tables, ReadingSummary(), name);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(wxFileName(second.fileName).GetFullName(), "report_2.xlsx");
    // A folder that is not there: an error, and nothing left behind.
    const ReportOutcome failed =
        XlsxReport::Write(tables, ReadingSummary(), wxFileName(m_folder + "/missing", "r.xlsx").GetFullPath());
    EXPECT_FALSE(failed.ok);
    wxArrayString files;
    wxDir::GetAllFiles(m_folder, &files, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN);
    EXPECT_EQ(files.size(), 2u);
}

TEST(SpreadsheetCell, NumbersThatReadBackAsWritten)
{
    for (const char* number : {"0", "0,5", "-0.5", "113,2", "150,0", "12", "123456789012345"})
        EXPECT_TRUE(SpreadsheetCell::ReadsAsNumber(number)) << number;
    for (const char* text : {"007", "+2", "\xE2\x88\x92" "1", "00,5", "1234567890123456", "-", ""})
        EXPECT_FALSE(SpreadsheetCell::ReadsAsNumber(text)) << text;
}

TEST(XlsxReport, SheetNames)
{
    EXPECT_EQ(XlsxReport::SheetName(1, "No.\tDate\tTime\tChannel\tEvent\tValue"), "1 No. Date Time Channel Event");
    EXPECT_EQ(XlsxReport::SheetName(12, "a/b\t[c]*?:\td'e"), "12 a b c d e");
    EXPECT_EQ(XlsxReport::SheetName(3, ""), "3");
    EXPECT_EQ(XlsxReport::SheetName(4, "Averyveryveryveryveryveryverylongword"), "4");
}

} // namespace
