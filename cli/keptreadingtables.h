#ifndef MORVA_KEPTREADINGTABLES_H
#define MORVA_KEPTREADINGTABLES_H

#include "cliarguments.h"
#include "clisettings.h"

#include "archive/readingarchive.h"

#include <functional>
#include <vector>

// Runs archive show, stats or chart on the tables they look at: of the kept
// reading N, the table that --table names (counted from 1), else all of
// them, in the archive that archive list reads. A reading or table that is
// not there fails the command with the operator's message.
int WithKeptTables(
    const CliArguments& args, const CliSettings& settings,
    const std::function<int(const ReadingArchive&, const std::vector<ReadingArchive::KeptTable>&)>& run);

// A table's number as the operator counts it, from 1.
unsigned OperatorNumber(const ReadingArchive::KeptTable& table);

#endif
