#ifndef MORVA_TESTS_SAMPLETABLES_H
#define MORVA_TESTS_SAMPLETABLES_H

#include "insight/recordtable.h"

#include <wx/string.h>

#include <vector>

// The tables of a memory file as the simulated unit serves them: a header
// line, its records, an empty line between tables.
std::vector<RecordTable> SampleTables(const char* path = MORVA_SAMPLE_MEMORY);
// The report lines of a memory file, as a reading collects them: per table
// its header, its records and an empty line.
std::vector<wxString> SampleLines(const char* path = MORVA_SAMPLE_MEMORY);
// A table from lines written out in a test, the first the header.
RecordTable TableOf(const std::vector<wxString>& lines, unsigned number = 1);

#endif
