#ifndef MORVA_INSIGHT_COLUMNKIND_H
#define MORVA_INSIGHT_COLUMNKIND_H

#include <wx/string.h>

#include <optional>

// What a column of the unit's records holds.
enum class ColumnKind {
    Empty,         // no cell holds anything
    Text,          // words, notes: shown, never counted
    Series,        // a few values that recur: a channel, a point, a state
    Number,        // a measured value
    RunningNumber, // the record's number: a number, but nothing measured
    Date,
    Time,     // a time of day
    DateTime, // a date and a time in one cell
};

// The operator's word for the kind, translated.
wxString ColumnKindText(ColumnKind kind);
// The kind's name on a command line ("text", "series", "number",
// "running-number", "date", "time", "date-time", "empty"), and back.
const char* ColumnKindKey(ColumnKind kind);
std::optional<ColumnKind> ColumnKindFromKey(const wxString& key);

#endif
