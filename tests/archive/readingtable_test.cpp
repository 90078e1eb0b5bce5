// The lines of "archive list": aligned under a heading for a terminal,
// tab-separated for a script, one line whatever a field holds.
#include "cli/readingtable.h"

#include <gtest/gtest.h>

namespace {

ReadingSummary reading(std::int64_t id, const wxString& station, const char* port, ReadingEnd end,
                       const wxString& error)
{
    ReadingSummary r;
    r.id = id;
    r.facts.station = station;
    r.facts.port = port;
    r.facts.device = "/dev/ttyUSB0";
    r.started = wxDateTime(10, wxDateTime::Dec, 2026, 14, 2, 5);
    r.end = end;
    r.error = error;
    r.tableCount = 3;
    r.recordCount = 1234;
    return r;
}

} // namespace

TEST(ReadingTableTest, ForScriptsAndForTerminals)
{
    const std::vector<ReadingSummary> readings{
        reading(12, L"фургон 7", "COM1", ReadingEnd::Complete, wxString()),
        reading(3, "lab\t1", "COM10", ReadingEnd::Failed, "No answer\nfrom\tunit")};
    EXPECT_EQ(ReadingTable(readings, false),
              "12\t2026-12-10 14:02:05\tфургон 7\tCOM1\t/dev/ttyUSB0\t3\t1234\tcomplete\n"
              "3\t2026-12-10 14:02:05\tlab 1\tCOM10\t/dev/ttyUSB0\t3\t1234\tfailed: No answer from unit\n");
    EXPECT_EQ(ReadingTable(readings, true),
              "NO.  STARTED              STATION   PORT   DEVICE        TABLES  RECORDS  ENDED\n"
              "12   2026-12-10 14:02:05  фургон 7  COM1   /dev/ttyUSB0  3       1234     complete\n"
              "3    2026-12-10 14:02:05  lab 1     COM10  /dev/ttyUSB0  3       1234     failed: No answer from unit\n");
    EXPECT_EQ(ReadingTable({}, true), "");
}
