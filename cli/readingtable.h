#ifndef MORVA_READINGTABLE_H
#define MORVA_READINGTABLE_H

#include "archive/archivedreading.h"

#include <string>
#include <vector>

// The kept readings, one line each: number, start (local time), station,
// port, device, tables, records and how the reading ended. For a terminal the
// columns are aligned under a heading; otherwise separated by tabs, for
// scripts. Empty when there are none.
std::string ReadingTable(const std::vector<ReadingSummary>& readings, bool forTerminal);
// One reading's line for scripts, as ReadingTable makes it.
std::string ReadingLine(const ReadingSummary& reading);

#endif
