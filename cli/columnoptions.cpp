#include "columnoptions.h"

#include "clioutput.h"
#include "keptreadingtables.h"

#include "insight/columnrequest.h"
#include "insight/keptrecordtable.h"

std::optional<ColumnChoice> ChooseColumn(const CliArguments& args, const TypedTable& table, unsigned number,
                                         wxString& error)
{
    return ColumnRequest{args.column, args.by, args.lower, args.upper}.Choose(table, number, error);
}

int WithChosenColumn(const CliArguments& args, const CliSettings& settings,
                     const std::function<int(const TypedTable&, const ColumnChoice&)>& run)
{
    return WithKeptTables(args, settings,
                          [&](const ReadingArchive& archive, const std::vector<ReadingArchive::KeptTable>& tables) {
                              const unsigned number = OperatorNumber(tables.front());
                              const TypedTable table(KeptRecordTable::Load(archive, args.reading, tables.front()));
                              wxString error;
                              const std::optional<ColumnChoice> choice = ChooseColumn(args, table, number, error);
                              if (!choice) {
                                  PrintError(error);
                                  return int{ExitFailed};
                              }
                              return run(table, *choice);
                          });
}
