// The figures of a column, against values worked out by hand.

#include "insight/civiltime.h"
#include "insight/columnfigures.h"
#include "sampletables.h"

#include <gtest/gtest.h>

namespace {

// Two points of a process, a value missing at 10:30, limits 0 and 10.
TypedTable processTable()
{
    return TypedTable(TableOf({
        "No.\tDate\tTime\tPoint\tT",
        "1\t01.02.2024\t10:00\tA\t5,0",
        "2\t01.02.2024\t10:10\tB\t1,5",
        "3\t01.02.2024\t10:20\tA\t12,5",
        "4\t01.02.2024\t10:30\tA\t",
        "5\t01.02.2024\t10:45\tB\t-2,0",
        "6\t01.02.2024\t11:00\tA\t7,25",
        "7\t01.02.2024\t11:30\tB\t3,0",
    }));
}

struct Expected {
    const char* series;
    std::size_t count;
    const char* minimum;
    const char* minimumAt;
    const char* maximum;
    const char* maximumAt;
    const char* mean;
    const char* first;
    const char* last;
    std::size_t outside;
    std::int64_t secondsOutside;
};

TEST(ColumnFigures, PerSeriesAndWholeWithLimits)
{
    const TypedTable table = processTable();
    ColumnChoice choice;
    choice.column = 4;
    choice.by = 3;
    choice.lower = 0;
    choice.upper = 10;
    const std::vector<Figures> figures = ColumnFigures::Of(table, choice);
    const Expected expected[] = {
        // A: 5 + 12.5 + 7.25 = 24.75 over 3; 12.5 outside from 10:20 to A's next value at 11:00 (the
        // empty cell at 10:30 is no value).
        {"A", 3, "5,0", "01.02.2024 10:00:00", "12,5", "01.02.2024 10:20:00", "8,250", "01.02.2024 10:00:00",
         "01.02.2024 11:00:00", 1, 40 * 60},
        // B: 1.5 - 2 + 3 = 2.5 over 3, its values of one decimal; -2 below from 10:45 to 11:30.
        {"B", 3, "-2,0", "01.02.2024 10:45:00", "3,0", "01.02.2024 11:30:00", "0,83", "01.02.2024 10:10:00",
         "01.02.2024 11:30:00", 1, 45 * 60},
        // Whole: 27.25 over 6; 12.5 from 10:20 to 10:45, -2 from 10:45 to 11:00.
        {"", 6, "-2,0", "01.02.2024 10:45:00", "12,5", "01.02.2024 10:20:00", "4,542", "01.02.2024 10:00:00",
         "01.02.2024 11:30:00", 2, 25 * 60 + 15 * 60},
    };
    ASSERT_EQ(figures.size(), std::size(expected));
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const Figures& f = figures[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.series);
        EXPECT_EQ(f.series, e.series);
        EXPECT_EQ(f.whole, i + 1 == figures.size());
        EXPECT_EQ(f.count, e.count);
        EXPECT_EQ(f.minimum, e.minimum);
        EXPECT_EQ(f.minimumAt, e.minimumAt);
        EXPECT_EQ(f.maximum, e.maximum);
        EXPECT_EQ(f.maximumAt, e.maximumAt);
        EXPECT_EQ(f.mean, e.mean);
        EXPECT_EQ(f.first, e.first);
        EXPECT_EQ(f.last, e.last);
        EXPECT_EQ(f.outside, e.outside);
        EXPECT_EQ(f.secondsOutside, e.secondsOutside);
    }
    EXPECT_EQ(FormatDuration(figures.back().secondsOutside), "00:40:00");
}

TEST(ColumnFigures, WithoutLimitsOrSeriesAndWithinARange)
{
    const TypedTable table = processTable();
    ColumnChoice choice;
    choice.column = 4;
    std::vector<Figures> figures = ColumnFigures::Of(table, choice);
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_FALSE(figures[0].outside) << "no limit, no count outside";
    EXPECT_EQ(figures[0].count, 6u);

    // From 10:15 to 11:00: 12.5, -2 and 7.25.
    choice.from = *table.Time(2) - 5 * 60;
    choice.to = *table.Time(5);
    figures = ColumnFigures::Of(table, choice);
    EXPECT_EQ(figures[0].count, 3u);
    EXPECT_EQ(figures[0].mean, "5,917");
    EXPECT_EQ(figures[0].first, "01.02.2024 10:20:00");
}

TEST(ColumnFigures, TheSampleEventLogByChannel)
{
    const TypedTable log(SampleTables()[0]);
    ColumnChoice choice;
    choice.column = 5;
    choice.by = 3;
    const std::vector<Figures> figures = ColumnFigures::Of(log, choice);
    // CH1 Pressure, CH2 Temperature, CH3 Flow, CH4 Humidity, SYSTEM, then the whole table.
    ASSERT_EQ(figures.size(), 6u);
    EXPECT_EQ(figures[1].series, "CH2 Temperature");
    EXPECT_EQ(figures[1].count, 3u);
    EXPECT_EQ(figures[1].minimum, "79.9");
    EXPECT_EQ(figures[1].maximum, "86.1");
    EXPECT_EQ(figures[1].mean, "83.80");
    EXPECT_EQ(figures[2].count, 1u) << "a sensor failure without a value is no value";
    EXPECT_EQ(figures[4].maximum, "+2") << "as the unit wrote it";
}

} // namespace
