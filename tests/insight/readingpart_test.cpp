// Parts of a reading: a time range, a series, a table, against the sample
// memory's records picked out by hand.

#include "insight/readingpart.h"
#include "sampletables.h"

#include <gtest/gtest.h>

namespace {

struct PartCase {
    const char* name;
    std::optional<unsigned> table;
    const char* since;
    const char* until;
    const char* series;
    // The first cell of each record kept ("No." or the date), per table.
    std::vector<std::vector<std::string>> kept;
};

std::vector<std::vector<std::string>> keptRecords(const ReportLines& lines)
{
    std::vector<std::vector<std::string>> tables;
    bool header = true;
    for (const wxString& line : lines) {
        if (line.empty()) {
            header = true;
            continue;
        }
        if (header) {
            tables.emplace_back();
            header = false;
            continue;
        }
        const wxString first = line.BeforeFirst('\t');
        const wxString second = line.AfterFirst('\t').BeforeFirst('\t');
        tables.back().push_back(std::string((first + " " + second).utf8_str()));
    }
    return tables;
}

class Parts : public testing::TestWithParam<PartCase> {};

TEST_P(Parts, KeepTheRecordsChosen)
{
    const PartCase& c = GetParam();
    ReadingPart part;
    part.table = c.table;
    if (*c.since)
        part.since = ReadingPart::ParseWhen(c.since, false);
    if (*c.until)
        part.until = ReadingPart::ParseWhen(c.until, true);
    if (*c.series)
        part.series = wxString::FromUTF8(c.series);
    std::size_t records = 0;
    const ReportLines lines = part.Select(SampleLines(), records);
    EXPECT_EQ(keptRecords(lines), c.kept);
    std::size_t expected = 0;
    for (const auto& table : c.kept)
        expected += table.size();
    EXPECT_EQ(records, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sample, Parts,
    testing::Values(
        PartCase{"AnHourOfTheFirstDay", std::nullopt, "14.03.2024 10:00", "2024-03-14 11:00", "",
                 {{"5 14.03.2024", "6 14.03.2024", "7 14.03.2024", "8 14.03.2024"}, {"1 14.03.2024"}}},
        PartCase{"UntilADateHoldsThatWholeDay", std::nullopt, "", "14.03.2024", "",
                 {{"1 14.03.2024", "2 14.03.2024", "3 14.03.2024", "4 14.03.2024", "5 14.03.2024",
                   "6 14.03.2024", "7 14.03.2024", "8 14.03.2024", "9 14.03.2024", "10 14.03.2024",
                   "11 14.03.2024", "12 14.03.2024"},
                  {"1 14.03.2024", "2 14.03.2024", "3 14.03.2024", "4 14.03.2024"}}},
        PartCase{"AcrossMidnight", std::nullopt, "15.03.2024 18:00", "16.03.2024 20:00", "",
                 {{"9 15.03.2024", "10 16.03.2024"}}},
        PartCase{"AChannel", std::nullopt, "", "", "CH2 Temperature",
                 {{"3 14.03.2024", "4 14.03.2024", "10 14.03.2024"}}},
        PartCase{"AChannelOfATable", 2u, "", "", "К1", {{"4 14.03.2024", "8 15.03.2024", "12 16.03.2024"}}},
        PartCase{"ATableAndASince", 3u, "2024-03-19", "", "",
                 {{"19.03.2024 15:00:31", "19.03.2024 17:53:37", "19.03.2024 19:11:16", "19.03.2024 21:18:00",
                   "20.03.2024 23:09:26"}}},
        PartCase{"NothingInTheRange", std::nullopt, "2030-01-01", "", "", {}},
        PartCase{"ATableChosenKeepsItsHeaderWhenEmpty", 1u, "2030-01-01", "", "", {{}}}),
    [](const testing::TestParamInfo<PartCase>& info) { return std::string(info.param.name); });

TEST(ReadingPart, TheWholeReadingIsItsLinesAsTheyStand)
{
    const ReportLines lines = SampleLines();
    std::size_t records = 0;
    EXPECT_EQ(ReadingPart().Select(lines, records), lines);
}

TEST(ReadingPart, Times)
{
    EXPECT_EQ(ReadingPart::ParseWhen("2024-03-14", true), *ReadingPart::ParseWhen("2024-03-15", false) - 1);
    EXPECT_EQ(ReadingPart::ParseWhen("14.03.2024 08:25", false), ReadingPart::ParseWhen("2024-03-14T08:25:00", false));
    for (const char* bad : {"", "yesterday", "2024-13-01", "14.03.2024 25:00", "1710405909"})
        EXPECT_FALSE(ReadingPart::ParseWhen(bad, false)) << bad;
}

} // namespace
