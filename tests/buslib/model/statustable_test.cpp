// Status tables and the default message kinds.
#include "buslib/model/statustable.h"

#include <gtest/gtest.h>

using namespace morva_velox;

TEST(StatusTableTest, BuiltInTable)
{
    struct Row {
        std::int32_t code;
        const char* text;
        int kind;
    };
    const Row rows[] = {
        {1, "Shortcut circuit", 1},
        {2, "Block is absence", 1},
        {3, "Block is broken", 1},
        {4, "Memory is broken", 1},
        {5, "Unknown block type", 1},
        {6, "Threshold is exceeded", 2},
        {7, "Preliminary threshold is exceeded", 2},
        {8, "Threshold is reduced", 2},
        {9, "Block sensitivity is exceeded", 2},
        {10, "Block isn't ready", 0},
        {11, "Params have been changed", 0},
        {0, "", -1},
        {12, "", -1},
        {-1, "", -1},
    };
    const StatusTable table = defaultStatusTable();
    EXPECT_EQ(table.count(), 11);
    for (const Row& row : rows) {
        EXPECT_EQ(table.statusText(row.code), row.text) << row.code;
        const StatusMessage entry = table.statusEntry(row.code);
        EXPECT_EQ(entry.text(), row.text) << row.code;
        EXPECT_EQ(entry.kind(), row.kind) << row.code;
        EXPECT_EQ(entry.style().alert(), row.kind == 2) << row.code;
    }
}

TEST(StatusTableTest, CountIsCappedButEveryEntryStays)
{
    StatusTable::Entries entries;
    for (std::int32_t code = 1; code <= 20; ++code)
        entries.emplace(code, StatusMessage(wxString::Format("status %d", code), 0));
    const StatusTable table(entries);
    EXPECT_EQ(table.count(), StatusTable::MaxCount);
    EXPECT_EQ(table.statusText(20), "status 20");
    EXPECT_EQ(table.statusText(17), "status 17");

    StatusTable copy;
    EXPECT_EQ(copy.count(), 0);
    copy = table;
    EXPECT_EQ(copy.count(), 16);
    EXPECT_EQ(copy.entries().size(), 20u);

    entries.erase(entries.find(20), entries.end());
    EXPECT_EQ(StatusTable(StatusTable::Entries(entries.begin(), entries.find(4))).count(), 3);
}

TEST(StatusTableTest, DefaultMessageKind)
{
    struct Row {
        std::int32_t code;
        int kind;
    };
    const Row rows[] = {{-5, 1}, {0, 1}, {1, 1}, {5, 1}, {6, 2}, {9, 2}, {10, 0}, {1000, 0}};
    for (const Row& row : rows)
        EXPECT_EQ(defaultMessageKind(row.code), row.kind) << row.code;
}
