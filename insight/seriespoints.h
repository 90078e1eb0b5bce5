#ifndef MORVA_INSIGHT_SERIESPOINTS_H
#define MORVA_INSIGHT_SERIESPOINTS_H

#include "insight/columnchoice.h"
#include "insight/typedtable.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The values of a chosen column, series by series in the order each series
// first appears, records without a value left out.
class SeriesPoints {
public:
    struct Point {
        std::size_t record = 0;
        std::optional<std::int64_t> time;
        double value = 0;
        int decimals = 0; // as the unit wrote it
    };
    struct Series {
        wxString name; // the cell of the series column; empty without one
        std::vector<Point> points; // in the records' order
    };

    SeriesPoints(const TypedTable& table, const ColumnChoice& choice);

    const std::vector<Series>& All() const { return m_series; }
    // Every point of the table, in the records' order.
    const std::vector<Point>& Whole() const { return m_whole; }
    // The greatest number of decimals the values were written with, and
    // whether a decimal comma wrote them.
    int Decimals() const { return m_decimals; }
    bool Comma() const { return m_comma; }

    // The points that have a time, ordered by it (records of the same time
    // keep their order).
    static std::vector<Point> Timed(const std::vector<Point>& points);

private:
    std::vector<Series> m_series;
    std::vector<Point> m_whole;
    int m_decimals = 0;
    bool m_comma = false;
};

#endif
