// morva_reporter_cli archive show N: the records of a kept reading.

#include "commands.h"

#include "clioutput.h"
#include "keptreadingtables.h"
#include "textcolumns.h"

#include "insight/keptrecordtable.h"

#include <cstdio>

#include <unistd.h>

namespace {

void print(const wxString& text) { std::fputs(text.utf8_str().data(), stdout); }

// For a terminal: the cells aligned under the header's.
std::string alignedTable(const RecordTable& table)
{
    std::vector<TextRow> rows;
    rows.reserve(table.RecordCount() + 1);
    TextRow heading;
    for (std::size_t column = 0; column < table.ColumnCount(); ++column)
        heading.push_back(table.Heading(column).utf8_string());
    rows.push_back(std::move(heading));
    for (std::size_t record = 0; record < table.RecordCount(); ++record) {
        TextRow row;
        for (std::size_t column = 0; column < table.ColumnCount(); ++column)
            row.emplace_back(table.Cell(record, column));
        rows.push_back(std::move(row));
    }
    return AlignedColumns(rows);
}

// For scripts: the header and the records as the unit wrote them.
void printAsWritten(const ReadingArchive::KeptTable& kept, const RecordTable& table)
{
    print(kept.header + "\n");
    for (std::size_t record = 0; record < table.RecordCount(); ++record)
        print(table.RecordText(record) + "\n");
}

int showTables(const CliArguments& args, const ReadingArchive& archive,
               const std::vector<ReadingArchive::KeptTable>& tables)
{
    const bool terminal = ::isatty(STDOUT_FILENO) != 0;
    for (std::size_t index = 0; index < tables.size(); ++index) {
        const RecordTable table = KeptRecordTable::Load(archive, args.reading, tables[index]);
        if (index > 0)
            std::fputs("\n", stdout);
        if (terminal)
            std::fputs(alignedTable(table).c_str(), stdout);
        else
            printAsWritten(tables[index], table);
    }
    return ExitOk;
}

} // namespace

int CommandArchiveShow(const CliArguments& args, const CliSettings& settings)
{
    return WithKeptTables(args, settings,
                          [&args](const ReadingArchive& archive, const std::vector<ReadingArchive::KeptTable>& tables) {
                              return showTables(args, archive, tables);
                          });
}
