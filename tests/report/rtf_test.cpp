// The RTF writer.
#include "report/reportformaterrtf.h"
#include "report_test_util.h"

#include <wx/language.h>

#include <gtest/gtest.h>

namespace {

const char Borders[] = "\\clbrdrt \\brdrs \\brdrw10 \\clbrdrl \\brdrs \\brdrw10 "
                       "\\clbrdrb \\brdrs \\brdrw10 \\clbrdrr \\brdrs \\brdrw10 ";
const char Landscape[] = "\\paperw16840\\paperh11907\\margl1440\\margr1440\\margt1797\\margb1797\n"
                         "\\landscape\n";

wxString RowDefinition(std::initializer_list<int> edges)
{
    wxString text = "\\trowd\n";
    bool first = true;
    for (int edge : edges) {
        if (!first)
            text += "\n";
        first = false;
        text += Borders + wxString::Format("\\cellx%d", edge);
    }
    return text;
}

wxString Line(int fields, const wxString& last = "")
{
    wxString line = "f";
    for (int i = 1; i < fields; ++i)
        line += "\tf";
    return line + last;
}

} // namespace

TEST(RtfWriterTest, WholeDocumentOfOneTable)
{
    ReportFormaterRtf rtf;
    const wxString text = BuildText(rtf, {"A\tB\tC", "1\t2\t3", ""}, 1, "Title");
    const wxString row = RowDefinition({3000, 6000, 9000});
    EXPECT_EQ(text,
              "{\\rtf \\ansicpg1251\n"
              "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset204 Times New Roman;}}"
              "{\\info {\\title Title}{\\author Dorin V. Marsk}}"
              "{\\f0\\lang1049 Title}"
              "\n\\par\n\\par\n"
              + row + "\n\\trhdr\n"
              "\n\\pard \\intbl {\\f0\\lang1049 A} \\cell"
              "\n\\pard \\intbl {\\f0\\lang1049 B} \\cell"
              "\n\\pard \\intbl {\\f0\\lang1049 C} \\cell"
              " \\row \\pard\n"
              + row +
              "\n\\pard \\intbl {\\f0\\lang1049 1} \\cell"
              "\n\\pard \\intbl {\\f0\\lang1049 2} \\cell"
              "\n\\pard \\intbl {\\f0\\lang1049 3} \\cell"
              " \\row \\pard\n"
              "\n\\par\n\\par\n"
              "}");
}

TEST(RtfWriterTest, PageTurnsToLandscapeFromFourteenFields)
{
    struct Case {
        const char* name;
        ReportLines lines;
        bool landscape;
    };
    const Case cases[] = {
        {"13 fields", {Line(13), ""}, false},
        {"14 fields", {Line(3), Line(14), ""}, true},
        {"a trailing tab adds no field", {Line(13, "\t"), ""}, false},
        {"an empty field in the middle counts", {Line(7) + "\t\t" + Line(6), ""}, true},
        {"no lines", {}, false},
    };
    for (const Case& c : cases) {
        ReportFormaterRtf rtf;
        rtf.Prepare(c.lines);
        const wxString header = rtf.DocumentHeader(wxLANGUAGE_RUSSIAN, "T");
        EXPECT_EQ(header.EndsWith(Landscape), c.landscape) << c.name;
        EXPECT_EQ(header.Find("\\paperw") != wxNOT_FOUND, c.landscape) << c.name;
    }
}

TEST(RtfWriterTest, ColumnsShareTheTableWidth)
{
    struct Case {
        const char* name;
        ReportLines lines;
        int columns;
        wxString definition;
    };
    const Case cases[] = {
        {"portrait, 3 columns", {Line(13)}, 3, RowDefinition({3000, 6000, 9000})},
        {"portrait, 7 columns drop the remainder", {Line(7)}, 7,
         RowDefinition({1285, 2570, 3855, 5140, 6425, 7710, 8995})},
        {"landscape, 14 columns", {Line(14)}, 14,
         RowDefinition({1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 11000,
                        12000, 13000, 14000})},
        {"a 20-field line elsewhere, 3 columns", {Line(20)}, 3, RowDefinition({4666, 9332, 13998})},
    };
    for (const Case& c : cases) {
        ReportFormaterRtf rtf;
        rtf.Prepare(c.lines);
        EXPECT_EQ(rtf.TableBegin(c.columns), "") << c.name;
        EXPECT_EQ(rtf.RowBegin(), c.definition) << c.name;
        EXPECT_EQ(rtf.HeaderRowBegin(), c.definition + "\n\\trhdr\n") << c.name;
    }
}

TEST(RtfWriterTest, TextIsEncodedForCodePage1251)
{
    ReportFormaterRtf rtf;
    struct Case {
        const char* name;
        wxString text;
        wxString encoded;
    };
    const Case cases[] = {
        {"ASCII unchanged", "Temp 21.5 C", "Temp 21.5 C"},
        {"empty", "", ""},
        {"Cyrillic capital A", wxString(wxUniChar(0x0410)), "\\'c0"},
        {"Cyrillic word", wxString::FromUTF8("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"),
         "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2"},
        {"Ukrainian letters", wxString::FromUTF8("\xd1\x96\xd1\x97\xd1\x94\xd2\x91"),
         "\\'b3\\'bf\\'ba\\'b4"},
        {"euro sign is in the code page", wxString(wxUniChar(0x20AC)), "\\'88"},
        {"backslash and braces", "a\\b{c}", "a\\\\b\\{c\\}"},
        {"outside the code page", wxString(wxUniChar(0x4E2D)) + "x" + wxString(wxUniChar(0xFFFF)),
         "\\u20013?x\\u-1?"},
        {"outside the basic plane", wxString(wxUniChar(0x1F600)), "\\u-10179?\\u-8704?"},
        {"tabs and line feeds stay", "a\tb\nc", "a\tb\nc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rtf.Encoded(c.text), c.encoded) << c.name;

    EXPECT_EQ(rtf.Paragraph("abc"), "{\\f0\\lang1049 abc}");
    EXPECT_EQ(rtf.Cell(""), "\n\\pard \\intbl {\\f0\\lang1049 } \\cell");
    EXPECT_EQ(rtf.HeaderCell("x"), rtf.Cell("x"));
}

TEST(RtfWriterTest, HeaderDeclaresTheCodePageAndEncodesTheTitle)
{
    ReportFormaterRtf rtf;
    const wxString title = wxString(wxUniChar(0x0410)) + "{1}";
    EXPECT_EQ(rtf.DocumentHeader(wxLANGUAGE_UKRAINIAN, title),
              "\\ansicpg1251\n{\\fonttbl{\\f0\\froman\\fprq2\\fcharset204 Times New Roman;}}"
              "{\\info {\\title \\'c0\\{1\\}}{\\author Dorin V. Marsk}}");
    EXPECT_TRUE(rtf.DocumentHeader(wxLANGUAGE_GERMAN, "T").StartsWith("\\ansi\n{\\fonttbl"));
}
