// What each column of the unit's records holds, told from the cells alone.

#include "insight/cellparsing.h"
#include "insight/columnrecogniser.h"
#include "insight/typedtable.h"
#include "sampletables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using K = ColumnKind;

struct RecognitionCase {
    const char* name;
    std::vector<wxString> lines;
    std::vector<ColumnKind> kinds;
};

class Recognition : public testing::TestWithParam<RecognitionCase> {};

TEST_P(Recognition, TellsEachColumnsKind)
{
    const RecognitionCase& c = GetParam();
    EXPECT_EQ(ColumnRecogniser::Recognise(TableOf(c.lines)), c.kinds);
}

std::vector<wxString> withRows(std::vector<wxString> lines, const wxString& row, int times)
{
    for (int i = 0; i < times; ++i)
        lines.push_back(wxString::Format(row, i + 1));
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Recognition,
    testing::Values(
        RecognitionCase{"DecimalCommasAndEmptyCells",
                        {"A\tB\tC", "1,5\t\tx", "-2,25\t\ty", "\t\tx", "+3\t\ty"},
                        {K::Number, K::Empty, K::Series}},
        RecognitionCase{"OneCellHoldingDateAndTime",
                        {"When\tV", "2024-03-14 08:25:09\t1.5", "2024-03-14T09:00\t2.5", "14/03/24 10:00:00\t3.5"},
                        {K::DateTime, K::Number}},
        RecognitionCase{"RunningNumberIsNotMeasured",
                        {"N\tV", "7\t10", "8\t12", "9\t11", "10\t10"}, {K::RunningNumber, K::Number}},
        RecognitionCase{"NumbersThatAreNotAllNumbers",
                        {"V", "1.2.3", "5.", "1 000", "12", "x"}, {K::Text}},
        RecognitionCase{"NothingToChart",
                        {"Who\tWhat", "Ann\topened the valve", "Bob\tclosed it", "Ann\tleft"},
                        {K::Series, K::Text}}),
    [](const testing::TestParamInfo<RecognitionCase>& info) { return std::string(info.param.name); });

TEST(Recognition, AStrayTextLeavesADateColumnADate)
{
    std::vector<wxString> lines = withRows({"Day\tV"}, "%02d.01.2024\t1", 11);
    lines.push_back("clock lost\t2");
    const TypedTable table(TableOf(lines));
    EXPECT_EQ(table.Kind(0), K::Date);
    EXPECT_TRUE(table.Time(0));
    EXPECT_FALSE(table.Time(11));
}

TEST(Recognition, BothSampleTablesComeOutRight)
{
    const std::vector<RecordTable> tables = SampleTables();
    ASSERT_GE(tables.size(), 3u);

    // The event log: Value and Unit per channel, "Power on" without a value.
    const TypedTable log(tables[0]);
    EXPECT_EQ(log.Kind(0), K::RunningNumber);
    EXPECT_EQ(log.Kind(1), K::Date);
    EXPECT_EQ(log.Kind(2), K::Time);
    EXPECT_EQ(log.Kind(3), K::Series);
    EXPECT_EQ(log.Kind(4), K::Text);
    EXPECT_EQ(log.Kind(5), K::Number);
    EXPECT_EQ(log.FirstMeasured(), 5u);
    EXPECT_EQ(log.FirstSeries(), 3u);
    EXPECT_EQ(log.UnitColumn(5, 3), 6u);
    EXPECT_FALSE(log.UnitColumn(5, std::nullopt)) << "the units differ between channels";
    EXPECT_EQ(log.TimeText(0), "14.03.2024 08:25:09");
    EXPECT_FALSE(log.Number(0, 5)) << "an empty cell is a missing value, not a zero";

    // The Russian wide table: one column per quantity, decimal commas.
    const TypedTable wide(tables[1]);
    const std::vector<ColumnKind> expected{K::RunningNumber, K::Date,   K::Time,   K::Series, K::Number,
                                           K::Number,        K::Number, K::Number, K::Number, K::Number,
                                           K::Number,        K::Number, K::Series, K::Series, K::Series,
                                           K::Text};
    EXPECT_EQ(wide.Kinds(), expected);
    EXPECT_EQ(wide.Records().Heading(*wide.FirstMeasured()), wxString::FromUTF8("Давление, кПа"));
    ASSERT_TRUE(wide.Number(0, 4));
    EXPECT_DOUBLE_EQ(wide.Number(0, 4)->value, 113.2);
    EXPECT_TRUE(wide.Number(0, 4)->comma);

    // The Ukrainian log: no record number, a minus sign that is not "-".
    const TypedTable ukrainian(tables[2]);
    EXPECT_EQ(ukrainian.Kind(0), K::Date);
    EXPECT_EQ(ukrainian.Kind(4), K::Number);
    EXPECT_EQ(ukrainian.FirstSeries(), 2u);
    ASSERT_TRUE(ukrainian.Number(7, 4));
    EXPECT_DOUBLE_EQ(ukrainian.Number(7, 4)->value, -1);
}

TEST(Recognition, TheOperatorsChoiceOfAKindHolds)
{
    TypedTable table(TableOf({"Day\tTime\tV", "01.02.2024\t10:00\t1", "01.02.2024\t11:00\t2"}));
    ASSERT_TRUE(table.HasTimes());
    table.SetKind(0, K::Text);
    EXPECT_FALSE(table.HasTimes());
    table.SetKind(0, K::Date);
    table.SetKind(1, K::Text);
    EXPECT_EQ(table.TimeText(1), "01.02.2024 00:00:00") << "a date without a time column is its midnight";
    table.SetKind(2, K::Text);
    EXPECT_FALSE(table.Number(0, 2));
}

struct CellCase {
    const char* cell;
    bool number;
    double value;
    int decimals;
};

TEST(CellParsing, NumbersAsTheUnitWritesThem)
{
    const CellCase cases[] = {
        {"113,2", true, 113.2, 1},  {"-0.5", true, -0.5, 1}, {"+2", true, 2, 0},     {"\xE2\x88\x92" "1", true, -1, 0},
        {"11,80", true, 11.8, 2},   {"1.2.3", false, 0, 0},  {"5.", false, 0, 0},    {",5", false, 0, 0},
        {"1e5", false, 0, 0},       {"-", false, 0, 0},      {"12 kPa", false, 0, 0}, {"0x10", false, 0, 0},
        {"14.03.2024", false, 0, 0}, {"08:25", false, 0, 0},
    };
    for (const CellCase& c : cases) {
        const auto number = ParseNumber(c.cell);
        EXPECT_EQ(number.has_value(), c.number) << c.cell;
        if (number && c.number) {
            EXPECT_DOUBLE_EQ(number->value, c.value) << c.cell;
            EXPECT_EQ(number->decimals, c.decimals) << c.cell;
        }
    }
}

TEST(CellParsing, DatesAndTimes)
{
    EXPECT_EQ(ParseDate("14.03.2024")->days, ParseDate("2024-03-14")->days);
    EXPECT_EQ(ParseDate("14/03/2024")->days, ParseDate("14.03.24")->days);
    EXPECT_EQ(ParseDate("01.01.70")->days, 0) << "a two-digit year from 70 on is of the 1900s";
    EXPECT_EQ(ParseDate("29.02.2024").has_value(), true);
    for (const char* bad : {"29.02.2023", "32.01.2024", "14.13.2024", "14.03.2024x", "2024-03", "14-03-2024",
                            "14.03/2024", "202403-14", "20240314"})
        EXPECT_FALSE(ParseDate(bad)) << bad;
    EXPECT_EQ(ParseTimeOfDay("8:05"), 8 * 3600 + 5 * 60);
    EXPECT_EQ(ParseTimeOfDay("23:59:59"), 86399);
    for (const char* bad : {"24:00", "12:60", "12:5", "12:00:60", "12", "12:00:00:00"})
        EXPECT_FALSE(ParseTimeOfDay(bad)) << bad;
    EXPECT_EQ(ParseDateTime("2024-03-14 08:25:09")->seconds, ParseDate("2024-03-14")->days * 86400 + 30309);
}

} // namespace
