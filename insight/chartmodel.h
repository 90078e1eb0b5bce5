#ifndef MORVA_INSIGHT_CHARTMODEL_H
#define MORVA_INSIGHT_CHARTMODEL_H

#include "insight/columnchoice.h"
#include "insight/typedtable.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A colour of the chart.
struct ChartColour {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    // "#rrggbb"
    wxString Hex() const;
};

// The size of a chart in pixels.
struct ChartSize {
    int width = 1200;
    int height = 600;
};

// The chart of a chosen column over time, laid out in pixels for one size,
// for a painter to draw as it stands: the window's drawing context and the
// SVG writer draw the same model. One line per series; per pixel column a
// line keeps its first, lowest, highest and last value, so that however
// many records there are, a one-record spike stays drawn.
class ChartModel {
public:
    struct Rect {
        double left = 0;
        double top = 0;
        double width = 0;
        double height = 0;
        double Right() const { return left + width; }
        double Bottom() const { return top + height; }
    };
    // A point of a line and the record it stands for.
    struct Vertex {
        double x = 0;
        double y = 0;
        std::size_t record = 0;
    };
    struct Line {
        wxString name;   // the series, or the column without one
        wxString legend; // with its unit where series have units of their own
        ChartColour colour;
        // In time order; a line of one vertex is drawn as a dot.
        std::vector<Vertex> vertices;
        // The values above the upper and below the lower limit, one mark
        // per pixel column at most.
        std::vector<Vertex> above;
        std::vector<Vertex> below;
    };
    struct Tick {
        double at = 0;   // x or y in pixels
        wxString label;  // the value, or the time of day (or the date)
        wxString second; // on the time axis, the date where it changes
    };
    struct Limit {
        double y = 0;
        double value = 0;
        bool upper = false;
        wxString label;
        ChartColour colour;
    };
    // Where a line's legend entry stands: its swatch begins at `x`, its
    // text baseline is `y`.
    struct LegendEntry {
        double x = 0;
        double y = 0;
        std::size_t line = 0;
    };
    // The record nearest to a point, on a line.
    struct Hit {
        std::size_t line = 0;
        Vertex vertex;
    };

    // How tall the text is that the layout reckons with, and how wide a
    // character of it is at most on average.
    static constexpr double FontSize = 12;
    static constexpr double CharWidth = 7;

    static ChartModel Build(const TypedTable& table, const ColumnChoice& choice, ChartSize size = ChartSize());

    int Width() const { return m_size.width; }
    int Height() const { return m_size.height; }
    const wxString& Title() const { return m_title; }
    // Why there is nothing to draw; empty when there is.
    const wxString& Nothing() const { return m_nothing; }
    const Rect& Plot() const { return m_plot; }
    const std::vector<Line>& Lines() const { return m_lines; }
    const std::vector<Limit>& Limits() const { return m_limits; }
    const std::vector<Tick>& TimeTicks() const { return m_timeTicks; }
    const std::vector<Tick>& ValueTicks() const { return m_valueTicks; }
    const std::vector<LegendEntry>& Legend() const { return m_legend; }
    ChartColour AboveColour() const { return Upper; }
    ChartColour BelowColour() const { return Lower; }

    // The time range drawn, in seconds of the unit's clock.
    std::int64_t From() const { return m_from; }
    std::int64_t To() const { return m_to; }
    // Where a time and a value are drawn, and the time at a pixel's x
    // within the range drawn.
    double X(std::int64_t seconds) const;
    double Y(double value) const;
    std::int64_t TimeAt(double x) const;
    std::optional<Hit> Nearest(double x, double y, double within) const;

    static const ChartColour Upper;
    static const ChartColour Lower;
    static ChartColour SeriesColour(std::size_t index);

private:
    struct Timed;
    void Measure(const ColumnChoice& choice, const std::vector<Timed>& lines);
    void LayOut(const std::vector<Timed>& lines);
    void MakeValueTicks(bool comma);
    void MakeTimeTicks(const TypedTable& table);
    void Reduce(const ColumnChoice& choice, const Timed& timed, Line& line) const;
    void MakeLimits(const ColumnChoice& choice, bool comma, int decimals);

    ChartSize m_size;
    wxString m_title;
    wxString m_nothing;
    Rect m_plot;
    std::vector<Line> m_lines;
    std::vector<Limit> m_limits;
    std::vector<Tick> m_timeTicks;
    std::vector<Tick> m_valueTicks;
    std::vector<LegendEntry> m_legend;
    std::int64_t m_from = 0;
    std::int64_t m_to = 1;
    double m_low = 0;
    double m_high = 1;
    double m_valueStep = 1;
};

#endif
