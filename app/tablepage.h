#ifndef MORVA_TABLEPAGE_H
#define MORVA_TABLEPAGE_H

#include "insight/columnchoice.h"
#include "insight/typedtable.h"

#include <wx/panel.h>

class ChartPanel;
class FiguresList;
class RecordGrid;
class wxChoice;
class wxStaticText;
class wxTextCtrl;

// One table of a kept reading: its records, the choice of a column, its
// series and limits, the column's figures and its chart, which can be
// saved as a picture. The operator may change what a column holds; the
// choices, figures and chart follow.
class TablePage : public wxPanel {
public:
    enum {
        ID_Column = 21,
        ID_Kind,
        ID_By,
        ID_Lower,
        ID_Upper,
        ID_Grid,
        ID_Chart,
        ID_ChartStatus,
        ID_ZoomOut,
        ID_SaveChart,
        ID_Figures,
    };

    TablePage(wxWindow* parent, TypedTable table);

    const TypedTable& Table() const { return m_table; }
    // The choice the chart and figures show, with the time range zoomed.
    const ColumnChoice& Choice() const;
    ChartPanel& Chart() const { return *m_chart; }
    // Gives `column` the kind `kind`; the choices, figures and chart follow.
    void SetKind(std::size_t column, ColumnKind kind);
    // Saves the chart as `path` (SVG or PNG, by its extension); returns the
    // name written, empty when it could not, having told the operator why.
    wxString SaveChart(const wxString& path);
    // What the line under the chart tells.
    wxString ChartStatus() const;

private:
    void FillChoices();
    void Update();
    void ShowFigures();
    void OnSaveChart(wxCommandEvent& event);
    void Tell(const wxString& text);

    TypedTable m_table;
    ColumnChoice m_choice;
    wxChoice* m_column = nullptr;
    wxChoice* m_kind = nullptr;
    wxChoice* m_by = nullptr;
    wxTextCtrl* m_lower = nullptr;
    wxTextCtrl* m_upper = nullptr;
    RecordGrid* m_grid = nullptr;
    ChartPanel* m_chart = nullptr;
    wxStaticText* m_status = nullptr;
    FiguresList* m_figures = nullptr;
};

#endif
