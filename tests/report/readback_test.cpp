// Every format read back by readers this project did not write: Python's
// html.parser and csv modules, and unrtf for RTF.
#include "report/reportgenerator.h"

#include <wx/filename.h>
#include <wx/tokenzr.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// What the reader saw: the title line, then one line per row with the
// cells separated by U+001F.
wxString ReadBack(const char* mode, const wxString& fileName)
{
    const std::string command = std::string("python3 '") + MORVA_READBACK_SCRIPT + "' " + mode
        + " '" + fileName.utf8_string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return wxString();
    std::string output;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
        output.append(buffer.data(), n);
    return wxString::FromUTF8(output);
}

wxString Rows(std::initializer_list<wxString> rows)
{
    wxString text;
    for (const wxString& row : rows) {
        wxString line = row;
        line.Replace("\t", "\x1f");
        text += line + "\n";
    }
    return text;
}

class ReadBackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/morva_readback_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE); }

    wxString Generate(int format)
    {
        const ReportOutcome outcome = GenerateReport(lines, 2, format, folder, when);
        EXPECT_TRUE(outcome.ok) << outcome.message;
        return outcome.fileName;
    }

    const wxString cyrillic = wxString::FromUTF8(
        "\xd0\x94\xd0\xb0\xd1\x82\xd1\x87\xd0\xb8\xd0\xba \xd1\x96\xd1\x97\xd1\x94");
    const wxString note = "{brace} \\ back";
    const ReportLines lines = {
        "Date\tEvent\tNote",
        "01.02\tT<5 & rising\t" + note,
        "02.02\t" + cyrillic + "\t\"quoted\"",
        "",
        "Counter",
        "42",
        "",
    };
    const wxDateTime when{7, wxDateTime::Dec, 2026, 21, 58, 3};
    wxString folder;
};

} // namespace

TEST_F(ReadBackTest, HtmlParserSeesTheCellsAndTitle)
{
    const wxString seen = ReadBack("html", Generate(ReportFormatHtml));
    EXPECT_EQ(seen, "TITLE:" + ReportTitle(when) + "\n" + Rows({lines[0], lines[1], lines[2], lines[4], lines[5]}));
}

TEST_F(ReadBackTest, CsvReaderSeesTheCells)
{
    const wxString seen = ReadBack("csv", Generate(ReportFormatCsv));
    EXPECT_EQ(seen, Rows({lines[0], lines[1], lines[2], lines[4], lines[5]}));
}

TEST_F(ReadBackTest, UnrtfSeesCyrillicBracesAndTitle)
{
    const wxString seen = ReadBack("rtf", Generate(ReportFormatRtf));
    EXPECT_EQ(seen, "TITLE:" + ReportTitle(when) + "\n" + Rows({lines[0], lines[1], lines[2], lines[4], lines[5]}));
}

TEST_F(ReadBackTest, UnrtfSeesCyrillicInTheTitleAndCharactersOutsideTheCodePage)
{
    ReportLines mixed = {wxString::FromUTF8("\xd0\x90\xd0\x91") + "\t" + wxString(wxUniChar(0x4E2D)) + "\t"
                         + wxString(wxUniChar(0x2603)), ""};
    const auto formater = CreateFormater(ReportFormatRtf);
    const wxString fileName = folder + "/mixed.rtf";
    ASSERT_TRUE(WriteReport(*formater, fileName, mixed, 1, when).ok);
    wxString expected = mixed[0];
    expected.Replace("\t", "\x1f");
    const wxString seen = ReadBack("rtf", fileName);
    EXPECT_TRUE(seen.EndsWith("\n" + expected + "\n")) << seen;
}
