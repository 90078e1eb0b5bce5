// The tab-separated and plain text writers.
#include "report/reportformatercsv.h"
#include "report/reportformatertxt.h"
#include "report_test_util.h"

#include <gtest/gtest.h>

TEST(CsvWriterTest, RowsAreCellsJoinedByTabs)
{
    struct Case {
        const char* name;
        ReportTable table;
        const char* text;
    };
    const Case cases[] = {
        {"empty middle cell", {{"h"}, {"1", "", "3"}}, "\nh\n1\t\t3\n\n"},
        {"trailing empty cell", {{"h"}, {"1", "2", ""}}, "\nh\n1\t2\n\n"},
        {"trailing blanks of the last cell", {{"h  "}, {"1", "2  ", "", " "}}, "\nh\n1\t2\n\n"},
        {"a row of empty cells leaves no line", {{"h"}, {"a"}, {"", ""}, {"b"}}, "\nh\na\nb\n\n"},
        {"an empty header row takes the table's line feed", {{"", ""}, {"a"}}, "\na\n\n"},
        {"rows wider than the header", {{"a", "b", "c"}, {"1", "2", "3", "4", "5"}},
         "\na\tb\tc\n1\t2\t3\t4\t5\n\n"},
        {"no quoting", {{"say \"hi\""}, {"a,b;c"}}, "\nsay \"hi\"\na,b;c\n\n"},
    };
    for (const Case& c : cases) {
        ReportFormaterCSV csv;
        EXPECT_EQ(csv.FormatTable(c.table), c.text) << c.name;
    }
}

TEST(CsvWriterTest, DocumentHasOnlyTheTables)
{
    ReportFormaterCSV csv;
    EXPECT_EQ(BuildText(csv, {}, 0, "Title"), "\n\n");
    EXPECT_EQ(BuildText(csv, {"h1\th2", "a\tb", "", "g", "", ""}, 3, "Title"),
              "\n\nh1\th2\na\tb\n\n\n\ng\n\n\n\n\n");
    EXPECT_EQ(csv.Extension(), "csv");
}

TEST(TxtWriterTest, TitleThenTablesWithEveryCellFollowedByATab)
{
    ReportFormaterTxt txt;
    EXPECT_EQ(BuildText(txt, {}, 0, "Title"), "Title\n\n\n");
    EXPECT_EQ(BuildText(txt, {"Date\tEvent", "1.1\t", "2.1\tx\ty", ""}, 1, "Title"),
              "Title\n\n"
              "\nDate  \tEvent  \t\n"
              "1.1\t\t\n"
              "2.1\tx\ty\t\n"
              "\n\n\n");
    EXPECT_EQ(txt.Extension(), "txt");
}
