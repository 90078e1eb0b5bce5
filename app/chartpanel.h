#ifndef MORVA_CHARTPANEL_H
#define MORVA_CHARTPANEL_H

#include "insight/chartmodel.h"
#include "insight/columnchoice.h"
#include "insight/typedtable.h"

#include <wx/panel.h>

#include <cstdint>
#include <functional>
#include <optional>

// The chart of a table's chosen column, laid out for the panel's size and
// painted double-buffered. Under the pointer it tells the value and time of
// the nearest record; a drag across it zooms to that time range, and a
// double click or Escape zooms back out.
class ChartPanel : public wxPanel {
public:
    // Told what is under the pointer; empty when nothing is near.
    using Pointed = std::function<void(const wxString& text)>;
    // Told that the time range drawn changed.
    using Zoomed = std::function<void()>;

    ChartPanel(wxWindow* parent, wxWindowID id, Pointed pointed, Zoomed zoomed);

    // Draws `choice` of `table`, which must outlive the panel or the next
    // call, over the whole time range.
    void Draw(const TypedTable* table, const ColumnChoice& choice);
    const ChartModel& Model() const { return m_model; }
    // The choice drawn, with the zoomed range.
    const ColumnChoice& Choice() const { return m_choice; }

    // Draws the records whose times lie between the pixels `left` and
    // `right` of the chart drawn.
    void ZoomBetween(double left, double right);
    void ZoomOut();
    bool IsZoomed() const { return m_choice.from.has_value() || m_choice.to.has_value(); }
    // What the chart tells of the record nearest to a pixel: its series,
    // value and time; empty when none is near.
    wxString Describe(double x, double y) const;

private:
    void Rebuild();
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCharHook(wxKeyEvent& event);

    Pointed m_pointed;
    Zoomed m_zoomed;
    const TypedTable* m_table = nullptr;
    ColumnChoice m_choice;
    ChartModel m_model;
    // Where a drag began and where it is now, in pixels.
    std::optional<int> m_dragFrom;
    int m_dragTo = 0;
};

#endif
