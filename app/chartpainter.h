#ifndef MORVA_CHARTPAINTER_H
#define MORVA_CHARTPAINTER_H

#include "insight/chartmodel.h"

class wxDC;
class wxGraphicsContext;

// Draws a chart's model as the SVG writer writes it: the title, the grid
// and the ticks, the lines, the limits dashed, the values outside them
// marked, the legend; or, when there is nothing to draw, why, centred.
// The model keeps at most four vertices per pixel column, so that a table
// of any length paints at once.
class ChartPainter {
public:
    static void Paint(wxDC& dc, const ChartModel& chart);
    static void Paint(wxGraphicsContext& gc, const ChartModel& chart);
};

#endif
