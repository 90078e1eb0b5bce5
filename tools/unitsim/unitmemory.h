#ifndef MORVA_SIM_UNITMEMORY_H
#define MORVA_SIM_UNITMEMORY_H

#include <wx/arrstr.h>
#include <wx/string.h>

#include <cstddef>
#include <vector>

namespace morva_sim {

// The nonvolatile memory of a simulated unit: tables, each a header text
// and record texts. The texts are what the unit itself sends: cells
// separated by tabs, kept as they are.
class UnitMemory {
public:
    struct Table {
        wxString header;
        std::vector<wxString> records;

        friend bool operator==(const Table& a, const Table& b)
        {
            return a.header == b.header && a.records == b.records;
        }
    };

    // Memory text in the shape of report lines: per table a header line, its
    // record lines and one empty line that ends the table. The final empty
    // line may be missing; CRLF line ends and a leading byte order mark are
    // accepted; extra empty lines between tables are skipped.
    static UnitMemory fromText(const wxString& text);

    // The same from a UTF-8 file. Throws std::runtime_error naming the file
    // when it cannot be read or is not valid UTF-8.
    static UnitMemory loadFromFile(const wxString& path);

    void addTable(const wxString& header, std::vector<wxString> records = {});

    std::size_t tableCount() const { return m_tables.size(); }
    const std::vector<Table>& tables() const { return m_tables; }

    // Removes every record of every table; the headers stay.
    void clearRecords();

    // The lines a full reading of this memory collects: per table its
    // header, its records and one empty line.
    wxArrayString toReportLines() const;

    friend bool operator==(const UnitMemory& a, const UnitMemory& b)
    {
        return a.m_tables == b.m_tables;
    }

private:
    std::vector<Table> m_tables;
};

} // namespace morva_sim

#endif
