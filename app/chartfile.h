#ifndef MORVA_CHARTFILE_H
#define MORVA_CHARTFILE_H

#include "insight/chartmodel.h"

#include <wx/image.h>
#include <wx/string.h>

// A chart saved as a picture: SVG when the name ends in ".svg", else PNG,
// drawn as the window draws it. Written whole or not at all, and never over
// another file: a name that is taken gets "_2", "_3", ... before its
// extension, as reports do.
class ChartFile {
public:
    // Returns the name written; throws std::runtime_error with the
    // operator's message when it cannot.
    static wxString Save(const ChartModel& chart, const wxString& path);
    // The chart drawn into a picture of its size.
    static wxImage Picture(const ChartModel& chart);
};

#endif
