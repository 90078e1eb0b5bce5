#ifndef MORVA_COLUMNOPTIONS_H
#define MORVA_COLUMNOPTIONS_H

#include "cliarguments.h"
#include "clisettings.h"

#include "insight/columnchoice.h"
#include "insight/typedtable.h"

#include <wx/string.h>

#include <functional>
#include <optional>

// The column that archive stats and chart look at, as their options ask:
// --column (else the table's first column of numbers), --by (else its
// first column of series, none without one), --lower and --upper (with a
// decimal point or comma). None, with the operator's message in `error`,
// when the options do not fit the table.
std::optional<ColumnChoice> ChooseColumn(const CliArguments& args, const TypedTable& table, unsigned number,
                                         wxString& error);

// Runs archive stats or chart on the table --table names, typed from its
// cells, and the column its options choose; fails the command with the
// operator's message when there is no such reading, table or column.
int WithChosenColumn(const CliArguments& args, const CliSettings& settings,
                     const std::function<int(const TypedTable&, const ColumnChoice&)>& run);

#endif
