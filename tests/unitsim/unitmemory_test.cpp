// Memory files: their shape, their line ends, and the lines a full
// reading gives back.
#include "tools/unitsim/unitmemory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

using morva_sim::UnitMemory;

namespace {

UnitMemory twoTables()
{
    UnitMemory memory;
    memory.addTable("Date\tTime\tEvent", {"01.02.2024\t10:00\tPower on", "01.02.2024\t10:05\t\t"});
    memory.addTable(wxString::FromUTF8("Дата\tПодія"), {});
    return memory;
}

// A file in the test's temporary directory, removed afterwards.
class TempFile {
public:
    explicit TempFile(const std::string& bytes)
        : m_path(testing::TempDir() + "unitsim_memory_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)))
    {
        std::ofstream(m_path, std::ios::binary) << bytes;
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    wxString path() const { return wxString::FromUTF8(m_path); }

private:
    std::string m_path;
};

} // namespace

TEST(UnitMemoryTest, ReadsTablesFromTextInItsVariousShapes)
{
    struct Row {
        const char* name;
        const char* text;
    };
    const Row rows[] = {
        {"LF, final empty line",
         "Date\tTime\tEvent\n01.02.2024\t10:00\tPower on\n01.02.2024\t10:05\t\t\n\nДата\tПодія\n\n"},
        {"CRLF", "Date\tTime\tEvent\r\n01.02.2024\t10:00\tPower on\r\n01.02.2024\t10:05\t\t\r\n\r\nДата\tПодія\r\n\r\n"},
        {"final empty line missing",
         "Date\tTime\tEvent\n01.02.2024\t10:00\tPower on\n01.02.2024\t10:05\t\t\n\nДата\tПодія\n"},
        {"no line end at all after the last header",
         "Date\tTime\tEvent\n01.02.2024\t10:00\tPower on\n01.02.2024\t10:05\t\t\n\nДата\tПодія"},
        {"byte order mark and extra empty lines between tables",
         "\xEF\xBB\xBF" "Date\tTime\tEvent\n01.02.2024\t10:00\tPower on\n01.02.2024\t10:05\t\t\n\n\n\r\nДата\tПодія\n\n\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(UnitMemory::fromText(wxString::FromUTF8(row.text)) == twoTables());
    }
}

TEST(UnitMemoryTest, ReportLinesAreHeaderRecordsAndAnEmptyLinePerTable)
{
    wxArrayString expected;
    for (const char* line : {"Date\tTime\tEvent", "01.02.2024\t10:00\tPower on", "01.02.2024\t10:05\t\t", "",
                             "Дата\tПодія", ""})
        expected.Add(wxString::FromUTF8(line));
    EXPECT_EQ(twoTables().toReportLines(), expected);
    EXPECT_TRUE(UnitMemory().toReportLines().IsEmpty());
}

TEST(UnitMemoryTest, ClearingKeepsTheHeaders)
{
    UnitMemory memory = twoTables();
    memory.clearRecords();
    ASSERT_EQ(memory.tableCount(), 2u);
    EXPECT_EQ(memory.tables()[0].header, "Date\tTime\tEvent");
    EXPECT_TRUE(memory.tables()[0].records.empty());
}

TEST(UnitMemoryTest, LoadsAUtf8File)
{
    const TempFile file("Date\tTime\tEvent\r\n01.02.2024\t10:00\tPower on\r\n01.02.2024\t10:05\t\t\r\n\r\n"
                        "Дата\tПодія");
    EXPECT_TRUE(UnitMemory::loadFromFile(file.path()) == twoTables());
}

TEST(UnitMemoryTest, RefusesAMissingFileAndTextThatIsNotUtf8)
{
    const TempFile latin1("Caf\xE9\tna\xEFve\n\n");
    for (const wxString& path : {latin1.path(), wxString("/nonexistent/unitsim/memory.txt")}) {
        try {
            UnitMemory::loadFromFile(path);
            ADD_FAILURE() << "no failure for " << path;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(path.utf8_string()), std::string::npos) << e.what();
        }
    }
}

TEST(UnitMemoryTest, SampleMemoryIsAUsefulLog)
{
    const UnitMemory memory = UnitMemory::loadFromFile(MORVA_SAMPLE_MEMORY);
    ASSERT_GE(memory.tableCount(), 3u);
    std::size_t records = 0;
    bool hasSixteenFields = false;
    bool hasCyrillic = false;
    for (const UnitMemory::Table& table : memory.tables()) {
        records += table.records.size();
        // A table without records ends a reading without a report.
        EXPECT_FALSE(table.records.empty()) << table.header;
        hasSixteenFields |= table.header.Freq('\t') == 15;
        hasCyrillic |= table.header.find(wxString::FromUTF8("Д")) != wxString::npos;
        for (const wxString& record : table.records)
            EXPECT_EQ(record.Freq('\t'), table.header.Freq('\t')) << record;
    }
    EXPECT_GE(records, 24u);
    EXPECT_TRUE(hasSixteenFields);
    EXPECT_TRUE(hasCyrillic);
}
