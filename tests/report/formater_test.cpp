// The table walk that every writer inherits.
#include "report/reportformater.h"

#include <gtest/gtest.h>

namespace {

// Names every operation it is asked for, so the text is the call order.
class RecordingFormater : public ReportFormater {
public:
    wxString DocumentBegin() const override { return "DocumentBegin;"; }
    wxString DocumentEnd() const override { return "DocumentEnd;"; }
    wxString DocumentHeader(int, wxString) const override { return "DocumentHeader;"; }
    wxString BodyBegin() const override { return "BodyBegin;"; }
    wxString BodyEnd() const override { return "BodyEnd;"; }
    wxString Paragraph(wxString) const override { return "Paragraph;"; }
    wxString Separator() const override { return "Separator;"; }
    wxString Extension() const override { return "ext"; }
    wxString TableBegin(int n) override { return wxString::Format("TableBegin(%d);", n); }
    wxString TableEnd() const override { return "TableEnd;"; }
    wxString HeaderRowBegin() const override { return "HeaderRowBegin;"; }
    wxString HeaderRowEnd() const override { return "HeaderRowEnd;"; }
    wxString HeaderCell(const wxString& t) const override { return "H(" + t + ");"; }
    wxString TableBodyBegin() const override { return "TableBodyBegin;"; }
    wxString TableBodyEnd() const override { return "TableBodyEnd;"; }
    wxString RowBegin() const override { return "RowBegin;"; }
    wxString RowEnd() const override { return "RowEnd;"; }
    wxString Cell(const wxString& t) const override { return "C(" + t + ");"; }
};

// Marks where AfterCells ran, and shows that it sees the whole table text.
class MarkingFormater : public RecordingFormater {
public:
    void AfterCells(wxString& text) const override
    {
        text += wxString::Format("|%zu|", text.length());
    }
};

} // namespace

TEST(FormatTableTest, CallsTheOperationsInOrder)
{
    struct Case {
        const char* name;
        ReportTable table;
        const char* expected;
    };
    const Case cases[] = {
        {"empty table", {}, ""},
        {"header only", {{"a", "b"}},
         "TableBegin(2);HeaderRowBegin;H(a);H(b);HeaderRowEnd;TableBodyBegin;TableBodyEnd;TableEnd;"},
        {"body rows keep their own cell counts", {{"h1", "h2", "h3"}, {"1", "2", "3", "4", "5"}, {"x"}},
         "TableBegin(3);HeaderRowBegin;H(h1);H(h2);H(h3);HeaderRowEnd;TableBodyBegin;"
         "RowBegin;C(1);C(2);C(3);C(4);C(5);RowEnd;RowBegin;C(x);RowEnd;TableBodyEnd;TableEnd;"},
        {"empty cells count", {{""}, {"", ""}},
         "TableBegin(1);HeaderRowBegin;H();HeaderRowEnd;TableBodyBegin;RowBegin;C();C();RowEnd;"
         "TableBodyEnd;TableEnd;"},
    };
    for (const Case& c : cases) {
        RecordingFormater formater;
        EXPECT_EQ(formater.FormatTable(c.table), c.expected) << c.name;
    }
}

TEST(FormatTableTest, AfterCellsSeesTheTableSoFarAfterEachRow)
{
    MarkingFormater formater;
    const wxString text = formater.FormatTable({{"a"}, {"b"}});
    EXPECT_EQ(text, "TableBegin(1);HeaderRowBegin;H(a);|34|HeaderRowEnd;TableBodyBegin;"
                    "RowBegin;C(b);|80|RowEnd;TableBodyEnd;TableEnd;");
}
