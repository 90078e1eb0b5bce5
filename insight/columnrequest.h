#ifndef MORVA_INSIGHT_COLUMNREQUEST_H
#define MORVA_INSIGHT_COLUMNREQUEST_H

#include "insight/columnchoice.h"
#include "insight/typedtable.h"

#include <wx/string.h>

#include <optional>
#include <string>

// The column an operator asks to look at, as written (UTF-8): the column of
// values and the one of series, each by its heading or its number counted
// from 1, and the limits (a decimal point or comma). Without a column, the
// table's first column of numbers; without a series column, its first.
struct ColumnRequest {
    std::optional<std::string> column;
    std::optional<std::string> by;
    std::optional<std::string> lower;
    std::optional<std::string> upper;
    // How the limits were asked for, as the messages name them: "--lower".
    const char* lowerName = "--lower";
    const char* upperName = "--upper";

    // The choice for table `number`; none, with the operator's message in
    // `error`, when the request does not fit the table.
    std::optional<ColumnChoice> Choose(const TypedTable& table, unsigned number, wxString& error) const;
};

#endif
