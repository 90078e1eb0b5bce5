// The headless reader looking at a kept reading of the sample memory: its
// records shown as the unit wrote them, a column's figures per series, its
// chart as SVG; and what it says when asked for what is not there.
#include "keptsample.h"

#include "tests/support/postgrescluster.h"

#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filename.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The lines of an output that ends with a line end.
std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> all = split(text, '\n');
    EXPECT_EQ(all.back(), "") << "no line end at the end";
    all.pop_back();
    return all;
}

// A table as the unit wrote it: its header and its records, a line each.
std::string tableText(const morva_sim::UnitMemory::Table& table)
{
    std::string text = table.header.utf8_string() + "\n";
    for (const wxString& record : table.records)
        text += record.utf8_string() + "\n";
    return text;
}

class ArchiveViewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sample.Kept()) << sample.Reading().err; }

    std::string file(const char* name) const { return (sample.scratch() / name).utf8_string(); }

    KeptSample sample;
};

} // namespace

TEST_F(ArchiveViewTest, ShowPrintsTheRecordsAsTheUnitWroteThem)
{
    const std::vector<morva_sim::UnitMemory::Table>& tables = sample.memory().tables();
    ASSERT_EQ(tables.size(), 3u);

    const CliRun all = sample.Run({"archive", "show", "1"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, tableText(tables[0]) + "\n" + tableText(tables[1]) + "\n" + tableText(tables[2]));
    EXPECT_EQ(all.err, "");

    const CliRun second = sample.Run({"archive", "show", "1", "--table", "2"});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, tableText(tables[1]));
}

TEST_F(ArchiveViewTest, ShowAlignsTheCellsUnderTheHeaderOnATerminal)
{
    // script(1) gives the reader a terminal for its standard output.
    const std::string reader = std::string(MORVA_CLI_PROGRAM) + " archive show 1 --table 1 --archive "
        + ShellQuoted(file("archive.sqlite"));
    const std::string command
        = "timeout -s KILL 60 script -qec " + ShellQuoted(reader) + " /dev/null </dev/null";
    std::string out = CommandOutput(command);
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    const std::vector<std::string> shown = lines(out);
    ASSERT_EQ(shown.size(), 13u) << out;
    EXPECT_EQ(shown[0].rfind("No.  Date        Time      Channel          Event", 0), 0u) << shown[0];
    EXPECT_EQ(shown[1], "1    14.03.2024  08:25:09  CH1 Pressure     Power on");
    EXPECT_EQ(shown[8], "8    14.03.2024  10:48:05  CH4 Humidity     Calibration            45.0   %RH   J. Smith");
    EXPECT_EQ(out.find('\t'), std::string::npos);
}

TEST_F(ArchiveViewTest, StatsGivesTheFiguresPerSeriesAndForTheWholeTable)
{
    // The event log's values by channel, checked by hand against the
    // sample; above 85 count the values and the time until the channel's
    // next value.
    const CliRun stats = sample.Run({"archive", "stats", "1", "--table", "1", "--by", "Channel", "--upper", "85"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    const std::vector<std::string> rows = lines(stats.out);
    const std::vector<std::vector<std::string>> expected{
        {"SERIES", "COUNT", "MINIMUM", "AT", "MAXIMUM", "AT", "MEAN", "FIRST", "LAST", "OUTSIDE", "TIME OUTSIDE"},
        {"CH1 Pressure", "2", "101.3", "14.03.2024 08:53:41", "148.0", "14.03.2024 10:43:13", "124.65",
         "14.03.2024 08:53:41", "14.03.2024 10:43:13", "2", "01:49:32"},
        {"CH2 Temperature", "3", "79.9", "14.03.2024 09:36:06", "86.1", "14.03.2024 11:25:15", "83.80",
         "14.03.2024 08:59:04", "14.03.2024 11:25:15", "2", "00:37:02"},
        {"CH3 Flow", "1", "12.75", "14.03.2024 10:08:58", "12.75", "14.03.2024 10:08:58", "12.750",
         "14.03.2024 10:08:58", "14.03.2024 10:08:58", "0", "00:00:00"},
        {"CH4 Humidity", "2", "45.0", "14.03.2024 10:48:05", "47.2", "14.03.2024 11:18:26", "46.10",
         "14.03.2024 10:48:05", "14.03.2024 11:18:26", "0", "00:00:00"},
        {"SYSTEM", "1", "+2", "14.03.2024 11:33:35", "+2", "14.03.2024 11:33:35", "2.0", "14.03.2024 11:33:35",
         "14.03.2024 11:33:35", "0", "00:00:00"},
        {"all", "9", "+2", "14.03.2024 11:33:35", "148.0", "14.03.2024 10:43:13", "67.517",
         "14.03.2024 08:53:41", "14.03.2024 11:33:35", "4", "00:55:37"},
    };
    ASSERT_EQ(rows.size(), expected.size()) << stats.out;
    for (std::size_t row = 0; row < rows.size(); ++row)
        EXPECT_EQ(split(rows[row], '\t'), expected[row]) << "row " << row;

    // Without limits there are no columns for them; the column and the
    // series column by number; a limit with a decimal comma.
    const CliRun plain = sample.Run({"archive", "stats", "1", "--table", "2", "--column", "6", "--by", "4"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    const std::vector<std::string> plainRows = lines(plain.out);
    ASSERT_EQ(plainRows.size(), 6u) << plain.out;
    EXPECT_EQ(split(plainRows[0], '\t').size(), 9u);
    EXPECT_EQ(split(plainRows[5], '\t'),
              (std::vector<std::string>{"all", "12", "21,3", "14.03.2024 11:54:08", "85,3", "15.03.2024 16:04:48",
                                        "48,59", "14.03.2024 10:14:40", "16.03.2024 21:55:35"}));
    const CliRun comma = sample.Run({"archive", "stats", "1", "--table", "2", "--column", "Температура, °C",
                                     "--lower", "30,5"});
    ASSERT_EQ(comma.status, 0) << comma.err;
    const std::vector<std::string> commaRows = lines(comma.out);
    ASSERT_FALSE(commaRows.empty());
    EXPECT_EQ(split(commaRows.back(), '\t')[9], "2") << comma.out; // 26,7 and 21,3; 30,7 is within
}

namespace {

// An SVG file's root element's width and height, as Python's XML parser
// reads them: "error" when the file is not well-formed XML.
std::string svgSize(const std::string& path)
{
    const std::string script = "import sys, xml.etree.ElementTree as E\n"
                               "try:\n"
                               "    root = E.parse(sys.argv[1]).getroot()\n"
                               "except E.ParseError:\n"
                               "    print('error'); sys.exit()\n"
                               "print(root.tag.split('}')[-1], root.get('width'), root.get('height'))\n";
    std::string out = CommandOutput("python3 -c " + ShellQuoted(script) + " " + ShellQuoted(path));
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace

TEST_F(ArchiveViewTest, ChartWritesAnSvgOfTheSizeAskedAndNeverOverAnother)
{
    const std::string path = file("temperature.svg");
    const CliRun first = sample.Run({"archive", "chart", "1", "--table", "1", "--by", "Channel", "--upper", "85",
                                     "--out", path, "--size", "900x450"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, path + "\n");
    EXPECT_EQ(svgSize(path), "svg 900 450");
    const std::string written = FileBytes(wxString::FromUTF8(path));
    EXPECT_NE(written.find("CH2 Temperature"), std::string::npos);

    // The same again, at the default size: beside it, with "_2".
    const CliRun second = sample.Run({"archive", "chart", "1", "--table", "1", "--out", path});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, file("temperature_2.svg") + "\n");
    EXPECT_EQ(svgSize(file("temperature_2.svg")), "svg 1200 600");
    EXPECT_EQ(FileBytes(wxString::FromUTF8(path)), written);

    // A relative name is the working directory's; the path printed is whole.
    const CliRun relative = sample.Run({"archive", "chart", "1", "--table", "3", "--out", "ukrainian.svg"});
    ASSERT_EQ(relative.status, 0) << relative.err;
    EXPECT_EQ(relative.out, file("ukrainian.svg") + "\n");
}

TEST_F(ArchiveViewTest, WhatIsNotThereFailsWithItsReason)
{
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"show", "2"}, 1, "The archive holds no reading number 2."},
        {{"stats", "7", "--table", "1"}, 1, "The archive holds no reading number 7."},
        {{"show", "1", "--table", "4"}, 1, "Reading 1 has no table 4: it has 3 tables."},
        {{"show", "1", "--table", "0"}, 1, "Reading 1 has no table 0: it has 3 tables."},
        {{"stats", "1", "--table", "two"}, 1, "Reading 1 has no table two: it has 3 tables."},
        {{"stats", "1", "--table", "1", "--column", "Pressure"}, 1, "Table 1 has no column \"Pressure\"."},
        {{"stats", "1", "--table", "1", "--column", "9"}, 1, "Table 1 has no column \"9\"."},
        {{"chart", "1", "--table", "1", "--by", "Station", "--out", "x.svg"}, 1,
         "Table 1 has no column \"Station\"."},
        {{"stats", "1", "--table", "1", "--column", "Channel"}, 1, "Column \"Channel\" holds series, not numbers."},
        {{"chart", "1", "--table", "1", "--column", "event", "--out", "x.svg"}, 1,
         "Column \"Event\" holds text, not numbers."},
        {{"stats", "1", "--table", "1", "--lower", "low"}, 1,
         "--lower needs a number, such as 85.5 or 85,5, not \"low\"."},
        {{"stats", "1", "--table", "1", "--upper", "8.5.1"}, 1, "--upper needs a number"},
        {{"stats", "1", "--table", "1", "--upper", ""}, 1, "--upper needs a number"},
        {{"chart", "1", "--table", "1", "--lower", "90", "--upper", "80,5", "--out", "x.svg"}, 1,
         "The lower limit 90 is above the upper limit 80,5."},
        {{"chart", "1", "--table", "1", "--out", "x.svg", "--size", "1200"}, 1, "--size needs the chart's width"},
        {{"chart", "1", "--table", "1", "--out", "x.svg", "--size", "0x600"}, 1, "--size needs the chart's width"},
        {{"chart", "1", "--table", "1", "--out", "x.svg", "--size", "1200x99999"}, 1, "--size needs the chart's width"},
        {{"chart", "1", "--table", "1", "--out", "x.svg", "--size", "-5x600"}, 1, "--size needs the chart's width"},
        // Nothing to draw: the chart model's reason, and no file.
        {{"chart", "1", "--table", "1", "--out", "x.svg", "--size", "40x30"}, 1, "The chart is too small to draw."},
        {{"chart", "1", "--table", "1", "--out", sample.scratch().path().utf8_string() + "/none/x.svg"}, 1,
         "Cannot write"},
        // Usage errors.
        {{"stats", "1"}, 2, "archive stats and chart need --table T"},
        {{"chart", "1", "--table", "1"}, 2, "archive chart needs --out FILE.svg"},
        {{"show", "1", "--column", "Value"}, 2, "unknown option '--column' for archive"},
        {{"show", "one"}, 2, "archive show needs the number of a kept reading"},
    };
    // Which files there are beside the archive's own.
    const auto written = [this] {
        std::vector<std::string> names = FolderNames(sample.scratch().path());
        names.erase(std::remove_if(names.begin(), names.end(),
                                   [](const std::string& name) { return name.rfind("archive.sqlite", 0) == 0; }),
                    names.end());
        return names;
    };
    const std::vector<std::string> before = written();
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"archive"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CliRun run = sample.Run(arguments);
        SCOPED_TRACE(c.says);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(written(), before);
}

TEST_F(ArchiveViewTest, TheArchiveServersReadingIsShownAndCountedAlike)
{
    const std::string why = morva_test::PostgresCluster::unavailableReason();
    if (!why.empty())
        GTEST_SKIP() << why;
    const morva_test::PostgresCluster cluster;
    // The sample's reading sent from its file to the server, as a station
    // that kept it while the server was away does.
    {
        wxFFile settings(sample.scratch() / "morva_reporter.ini", "w");
        ASSERT_TRUE(settings.Write("[archive]\npath=" + sample.scratch() / "archive.sqlite" + "\n"));
    }
    const CliRun sync
        = RunCli(sample.scratch().path(), {"archive", "sync", "--archive", cluster.passwordConnection()});
    ASSERT_EQ(sync.status, 0) << sync.err;

    const auto onServer = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "archive");
        arguments.push_back("--archive");
        arguments.push_back(cluster.passwordConnection());
        return RunCli(sample.scratch().path(), arguments);
    };
    const CliRun shown = onServer({"show", "1"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.err, "") << "read from the server, not from this computer's file";
    EXPECT_EQ(shown.out, sample.Run({"archive", "show", "1"}).out);
    const CliRun stats = onServer({"stats", "1", "--table", "2", "--upper", "150"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    EXPECT_EQ(stats.out, sample.Run({"archive", "stats", "1", "--table", "2", "--upper", "150"}).out);
    const CliRun missing = onServer({"show", "2"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("The archive holds no reading number 2."), std::string::npos) << missing.err;
}
