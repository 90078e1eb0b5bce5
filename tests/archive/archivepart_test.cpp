// The headless reader exporting a part of a kept reading of the sample
// memory (a time range, a series, a table) in every format, the Excel
// workbook among them, against the records picked out by hand; and what it
// says of a part that holds nothing.
#include "keptsample.h"

#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include <string>
#include <vector>

namespace {

const char* const Formats[] = {"rtf", "html", "txt", "csv", "xlsx"};

// The lines of a workbook's dump that are not of the sheet "Reading", whose
// times of the reading's start differ between a reading and its export.
std::string tableSheets(const std::string& dump)
{
    std::string kept;
    std::size_t begin = 0;
    while (begin < dump.size()) {
        const std::size_t end = dump.find('\n', begin);
        const std::string line = dump.substr(begin, end - begin);
        begin = end == std::string::npos ? dump.size() : end + 1;
        if (line.find("\tReading\t") == std::string::npos && line != "sheet\tReading")
            kept += line + "\n";
    }
    return kept;
}

struct PartCase {
    const char* name;
    std::vector<std::string> options;
    // Record times (unique in the sample) the part holds, and some it must not.
    std::vector<std::string> kept;
    std::vector<std::string> left;
};

class ArchivePartTest : public ::testing::TestWithParam<PartCase> {
protected:
    void SetUp() override { ASSERT_TRUE(sample.Kept()) << sample.Reading().err; }

    // What a report holds of its records, as text to look for cells in:
    // without the time the report was made (in its title, and naming its
    // file "report_YYYY_MM_DD_HH_MM_SS"), which may be any of the sample's,
    // nor the workbook's sheet "Reading", which dates the reading itself.
    std::string Contents(const std::string& folder, const std::string& file, const std::string& format) const
    {
        const std::string path = folder + "/" + file;
        if (format == "xlsx")
            return tableSheets(
                CommandOutput("/usr/bin/python3 " + ShellQuoted(MORVA_READ_WORKBOOK) + " " + ShellQuoted(path)));
        std::string contents = FileBytes(wxString::FromUTF8(path));
        const std::string stamp = file.substr(file.rfind('.') - 8, 8);
        const std::string made = stamp.substr(0, 2) + ":" + stamp.substr(3, 2) + ":" + stamp.substr(6, 2);
        for (std::size_t at = contents.find(made); at != std::string::npos; at = contents.find(made, at))
            contents.erase(at, made.size());
        return contents;
    }

    KeptSample sample;
};

TEST_P(ArchivePartTest, EveryFormatHoldsTheRecordsChosen)
{
    const PartCase& c = GetParam();
    for (const char* format : Formats) {
        SCOPED_TRACE(format);
        const wxString folder = sample.scratch() / (wxString(c.name) + "-" + format);
        ASSERT_TRUE(wxFileName::Mkdir(folder));
        std::vector<std::string> arguments{"archive", "export", "1", "--format", format, "--folder",
                                           folder.utf8_string()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliRun run = sample.Run(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> files = FolderNames(folder);
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(files[0].substr(files[0].rfind('.') + 1), format);
        const std::string contents = Contents(folder.utf8_string(), files[0], format);
        for (const std::string& time : c.kept)
            EXPECT_NE(contents.find(time), std::string::npos) << time << " is missing";
        for (const std::string& time : c.left)
            EXPECT_EQ(contents.find(time), std::string::npos) << time << " is not of the part";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sample, ArchivePartTest,
    testing::Values(
        // The event log's 10:02:37 .. 10:48:05 and the wide table's 10:14:40.
        PartCase{"AnHour",
                 {"--since", "14.03.2024 10:00", "--until", "2024-03-14 11:00"},
                 {"10:02:37", "10:08:58", "10:43:13", "10:48:05", "10:14:40"},
                 {"08:25:09", "11:18:26", "11:54:08", "07:14:09"}},
        PartCase{"AcrossMidnight",
                 {"--table", "2", "--since", "2024-03-15 18:00", "--until", "16.03.2024 20:00"},
                 {"18:19:41", "19:29:22"},
                 {"17:51:29", "20:25:58", "10:08:58"}},
        PartCase{"AChannel", {"--series", "CH2 Temperature"}, {"08:59:04", "09:36:06", "11:25:15"},
                 {"08:53:41", "10:14:40", "07:14:09"}}),
    [](const testing::TestParamInfo<PartCase>& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::vector<std::string> options;
    const char* message;
};

TEST(ArchivePart, APartOfNothingOrNotThereWritesNoFile)
{
    const KeptSample sample;
    ASSERT_TRUE(sample.Kept()) << sample.Reading().err;
    const RefusalCase cases[] = {
        {"no records", {"--since", "2030-01-01"}, "holds no records"},
        {"no records of the table", {"--table", "3", "--series", "CH1 Pressure"}, "holds no records"},
        {"not a time", {"--until", "yesterday"}, "is not a date"},
        {"no such table", {"--table", "9"}, "has no table 9"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const wxString folder = sample.scratch() / wxString(c.name);
        ASSERT_TRUE(wxFileName::Mkdir(folder));
        std::vector<std::string> arguments{"archive", "export", "1", "--format", "xlsx", "--folder",
                                           folder.utf8_string()};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const CliRun run = sample.Run(arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(FolderNames(folder).empty());
    }
}

TEST(ArchivePart, AReadingsWorkbookIsItsExports)
{
    const KeptSample sample;
    ASSERT_TRUE(sample.Kept()) << sample.Reading().err;
    const morva_sim::SimulatedUnit unit(sample.memory());
    const wxString read = sample.scratch() / "read";
    const wxString exported = sample.scratch() / "exported";
    ASSERT_TRUE(wxFileName::Mkdir(read) && wxFileName::Mkdir(exported));
    const CliRun reading = sample.Run({"read", "--port", unit.portPath(), "--baud", "115200", "--pace", "line",
                                       "--format", "xlsx", "--folder", read.utf8_string()});
    ASSERT_EQ(reading.status, 0) << reading.err;
    const CliRun exporting
        = sample.Run({"archive", "export", "2", "--format", "xlsx", "--folder", exported.utf8_string()});
    ASSERT_EQ(exporting.status, 0) << exporting.err;
    const auto dump = [](const wxString& folder) {
        const std::vector<std::string> files = FolderNames(folder);
        EXPECT_EQ(files.size(), 1u);
        return files.empty() ? std::string()
                             : CommandOutput("/usr/bin/python3 " + ShellQuoted(MORVA_READ_WORKBOOK) + " "
                                             + ShellQuoted((folder + "/" + files[0]).utf8_string()));
    };
    const std::string fromReading = dump(read);
    EXPECT_EQ(FolderNames(read), FolderNames(exported)) << "named by the same time";
    EXPECT_NE(fromReading.find("sheet\t1 No. Date Time Channel Event"), std::string::npos);
    EXPECT_NE(fromReading.find("\tReading\tB4\tstr\t" + unit.portPath() + "\t"), std::string::npos) << "the port";
    EXPECT_EQ(tableSheets(fromReading), tableSheets(dump(exported)));
}

} // namespace
