#ifndef MORVA_FIGURESLIST_H
#define MORVA_FIGURESLIST_H

#include "insight/columnfigures.h"

#include <wx/listctrl.h>

#include <vector>

// The figures of a chosen column, a line per series and one for the whole
// table: count, lowest and highest with their times, mean, first and last
// time, and with a limit the values outside it and for how long.
class FiguresList : public wxListCtrl {
public:
    enum Column { Series, Count, Minimum, MinimumAt, Maximum, MaximumAt, Mean, First, Last, Outside, TimeOutside,
                  ColumnCount };

    FiguresList(wxWindow* parent, wxWindowID id);

    void Show(const std::vector<Figures>& figures);

private:
    static wxString Heading(Column column);
    static wxString Cell(const Figures& figures, Column column);
};

#endif
