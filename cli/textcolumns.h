#ifndef MORVA_TEXTCOLUMNS_H
#define MORVA_TEXTCOLUMNS_H

#include <string>
#include <vector>

// The reader's listings: rows of UTF-8 fields, one line a row.
using TextRow = std::vector<std::string>;

// For a terminal: each column as wide as its widest field (in characters),
// two spaces apart, no blanks at the end of a line.
std::string AlignedColumns(const std::vector<TextRow>& rows);

// For scripts: the fields separated by tabs.
std::string TabSeparated(const std::vector<TextRow>& rows);

#endif
