#ifndef MORVA_INSIGHT_COLUMNFIGURES_H
#define MORVA_INSIGHT_COLUMNFIGURES_H

#include "insight/columnchoice.h"
#include "insight/seriespoints.h"
#include "insight/typedtable.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The figures of a chosen column for one series, or for the whole table:
// numbers as the unit wrote them (the mean with one decimal more, in the
// cells' decimal separator), times as the unit writes dates.
struct Figures {
    wxString series; // empty for the whole table
    bool whole = false;
    std::size_t count = 0;
    wxString minimum;
    wxString minimumAt;
    wxString maximum;
    wxString maximumAt;
    wxString mean;
    wxString first; // the earliest and latest time of a value
    wxString last;
    double minimumValue = 0;
    double maximumValue = 0;
    double meanValue = 0;
    // With a limit: the values outside it, and the time from each record
    // outside to the next record of the same series, summed.
    std::optional<std::size_t> outside;
    std::int64_t secondsOutside = 0;
};

class ColumnFigures {
public:
    // One entry per series, in the order the series first appear, then
    // one for the whole table.
    static std::vector<Figures> Of(const TypedTable& table, const ColumnChoice& choice);
    // A value written with `decimals` decimals in the separator asked for.
    static wxString FormatValue(double value, int decimals, bool comma);

private:
    static Figures Figure(const TypedTable& table, const ColumnChoice& choice, const SeriesPoints& points,
                          const std::vector<SeriesPoints::Point>& values);
};

#endif
