#ifndef MORVA_INSIGHT_SVGCHART_H
#define MORVA_INSIGHT_SVGCHART_H

#include "insight/chartmodel.h"

#include <string>

// Writes a chart as a standalone SVG document (UTF-8) of the model's size:
// one path per line, the limits as dashed lines, the values outside them
// marked, the axes, the title and the legend. Every text is escaped.
class SvgChart {
public:
    static std::string Write(const ChartModel& chart);
    // Writes it to `path`, whole or not at all, and never over another
    // file: when `path` is taken, to the first free name with "_2", "_3",
    // ... before the extension. Returns the name written; throws
    // std::runtime_error with the reason when it cannot.
    static wxString Save(const ChartModel& chart, const wxString& path);
};

#endif
