// The HTML writer.
#include "report/reportformaterhtml.h"
#include "report_test_util.h"

#include <wx/language.h>

#include <gtest/gtest.h>

TEST(HtmlWriterTest, WholeDocumentOfOneTable)
{
    ReportFormaterHtml html;
    const wxString text = BuildText(html, {"Date\tEvent", "1.1\t", ""}, 1, "Title");
    EXPECT_EQ(text,
              "<html>\n"
              "<head>\n\t<title>Title</title>\n"
              "\t<meta content=\"text/html; charset=utf-8\" http-equiv=Content-Type>\n"
              "\t<meta name=\"Author\" content=\"Dorin V. Marsk\">\n"
              "\t<meta name=\"generator\" content=\"MORVA_Reporter\">\n"
              "</head>\n"
              "<body>\n"
              "\t<p>Title\n"
              "\n\t\t<br>\n\t\t<br>\n"
              "\t<table border=1 cols=2>\n"
              "\t<thead>\n\t\t<th>Date</th>\n\t\t<th>Event</th>\n\t</thead>\n"
              "\t<tbody>\n\t<tr>\n\t\t<td>1.1</td>\n\t\t<td></td>\n\t</tr>\n\t</tbody>\n"
              "\t</table>\n"
              "\n\t\t<br>\n\t\t<br>\n"
              "</body>\n"
              "</html>\n");
}

TEST(HtmlWriterTest, ZeroTablesAndBodyRowsWiderThanTheHeader)
{
    ReportFormaterHtml html;
    const wxString empty = BuildText(html, {}, 0, "T");
    EXPECT_TRUE(empty.EndsWith("</head>\n<body>\n\t<p>T\n\n\t\t<br>\n\t\t<br>\n</body>\n</html>\n"));

    const wxString wide = html.FormatTable({{"1", "2", "3", "4", "5"}, {"a", "b", "c", "d", "e", "f", "g"}});
    EXPECT_TRUE(wide.StartsWith("\t<table border=1 cols=5>\n"));
    EXPECT_EQ(wide.Freq('\n'), 2 + 5 + 2 + 1 + 7 + 1 + 1 + 1);
    EXPECT_NE(wide.Find("<td>g</td>"), wxNOT_FOUND);
}

TEST(HtmlWriterTest, CharacterSetLineOnlyForCyrillicLanguages)
{
    ReportFormaterHtml html;
    const wxString charset = "charset=utf-8";
    for (int language : {wxLANGUAGE_RUSSIAN, wxLANGUAGE_RUSSIAN_UKRAINE, wxLANGUAGE_UKRAINIAN})
        EXPECT_NE(html.DocumentHeader(language, "T").Find(charset), wxNOT_FOUND) << language;
    const wxString english = html.DocumentHeader(wxLANGUAGE_ENGLISH, "T");
    EXPECT_EQ(english, "<head>\n\t<title>T</title>\n"
                       "\t<meta name=\"Author\" content=\"Dorin V. Marsk\">\n"
                       "\t<meta name=\"generator\" content=\"MORVA_Reporter\">\n"
                       "</head>\n");
}

TEST(HtmlWriterTest, MarkupCharactersInUnitTextsAreEscaped)
{
    ReportFormaterHtml html;
    const wxString raw = "T<5 & rising > \"x\"";
    const wxString escaped = "T&lt;5 &amp; rising &gt; \"x\"";
    EXPECT_EQ(html.Cell(raw), "\t\t<td>" + escaped + "</td>\n");
    EXPECT_EQ(html.HeaderCell(raw), "\t\t<th>" + escaped + "</th>\n");
    EXPECT_EQ(html.Paragraph(raw), "\t<p>" + escaped + "\n");
    EXPECT_NE(html.DocumentHeader(wxLANGUAGE_RUSSIAN, raw).Find("<title>" + escaped + "</title>"),
              wxNOT_FOUND);
    EXPECT_EQ(html.Cell("  a\tb "), "\t\t<td>  a\tb </td>\n");
}
