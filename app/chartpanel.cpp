#include "app/chartpanel.h"

#include "app/chartpainter.h"

#include <wx/dcbuffer.h>
#include <wx/intl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// How far from a record the pointer may be for it to be told, and how far
// a drag must go to zoom, in pixels.
constexpr double NearEnough = 12;
constexpr int LeastDrag = 4;

} // namespace

ChartPanel::ChartPanel(wxWindow* parent, wxWindowID id, Pointed pointed, Zoomed zoomed)
    : wxPanel(parent, id, wxDefaultPosition, wxSize(480, 300), wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE)
    , m_pointed(std::move(pointed))
    , m_zoomed(std::move(zoomed))
{
    SetName(_("Chart"));
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &ChartPanel::OnPaint, this);
    Bind(wxEVT_SIZE, &ChartPanel::OnSize, this);
    Bind(wxEVT_LEFT_DOWN, &ChartPanel::OnLeftDown, this);
    Bind(wxEVT_MOTION, &ChartPanel::OnMotion, this);
    Bind(wxEVT_LEFT_UP, &ChartPanel::OnLeftUp, this);
    Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent&) { ZoomOut(); });
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
        m_pointed(wxString());
        event.Skip();
    });
    Bind(wxEVT_CHAR_HOOK, &ChartPanel::OnCharHook, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
        m_dragFrom.reset();
        Refresh();
    });
}

void ChartPanel::Draw(const TypedTable* table, const ColumnChoice& choice)
{
    m_table = table;
    m_choice = choice;
    m_choice.from.reset();
    m_choice.to.reset();
    Rebuild();
}

void ChartPanel::ZoomBetween(double left, double right)
{
    if (!m_table || !m_model.Nothing().empty())
        return;
    const std::int64_t from = m_model.TimeAt(std::min(left, right));
    const std::int64_t to = m_model.TimeAt(std::max(left, right));
    if (to <= from)
        return;
    m_choice.from = from;
    m_choice.to = to;
    Rebuild();
    m_zoomed();
}

void ChartPanel::ZoomOut()
{
    if (!IsZoomed())
        return;
    m_choice.from.reset();
    m_choice.to.reset();
    Rebuild();
    m_zoomed();
}

wxString ChartPanel::Describe(double x, double y) const
{
    if (!m_table || !m_model.Nothing().empty())
        return wxString();
    const std::optional<ChartModel::Hit> hit = m_model.Nearest(x, y, NearEnough);
    if (!hit)
        return wxString();
    const std::size_t record = hit->vertex.record;
    const wxString value = m_table->Records().CellText(record, m_choice.column);
    const wxString time = m_table->TimeText(record);
    const wxString& series = m_model.Lines()[hit->line].name;
    // TRANSLATORS: what the chart tells of the record under the pointer:
    // the series (or column), the value as the unit wrote it, its time.
    return wxString::Format(_("%s: %s at %s"), series, value, time);
}

void ChartPanel::Rebuild()
{
    const wxSize size = GetClientSize();
    if (m_table)
        m_model = ChartModel::Build(*m_table, m_choice, ChartSize{std::max(size.x, 1), std::max(size.y, 1)});
    else
        m_model = ChartModel();
    SetToolTip(m_model.Nothing().empty() ? m_model.Title() : m_model.Nothing());
    Refresh();
}

void ChartPanel::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    if (!m_table) {
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        return;
    }
    ChartPainter::Paint(dc, m_model);
    if (m_dragFrom) {
        // The time range a drag chooses, shaded.
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(wxColour(0x2e, 0x86, 0xc1, 0x40)));
        const ChartModel::Rect& plot = m_model.Plot();
        dc.DrawRectangle(std::min(*m_dragFrom, m_dragTo), static_cast<int>(plot.top),
                         std::abs(m_dragTo - *m_dragFrom), static_cast<int>(plot.height));
    }
}

void ChartPanel::OnSize(wxSizeEvent& event)
{
    if (m_table && (GetClientSize().x != m_model.Width() || GetClientSize().y != m_model.Height()))
        Rebuild();
    event.Skip();
}

void ChartPanel::OnLeftDown(wxMouseEvent& event)
{
    SetFocus();
    const ChartModel::Rect& plot = m_model.Plot();
    if (m_model.Nothing().empty() && event.GetX() >= plot.left && event.GetX() <= plot.Right()) {
        m_dragFrom = event.GetX();
        m_dragTo = event.GetX();
        CaptureMouse();
    }
    event.Skip();
}

void ChartPanel::OnMotion(wxMouseEvent& event)
{
    if (m_dragFrom) {
        const ChartModel::Rect& plot = m_model.Plot();
        m_dragTo = std::clamp(event.GetX(), static_cast<int>(plot.left), static_cast<int>(plot.Right()));
        Refresh();
    }
    m_pointed(Describe(event.GetX(), event.GetY()));
    event.Skip();
}

void ChartPanel::OnLeftUp(wxMouseEvent& event)
{
    if (HasCapture())
        ReleaseMouse();
    if (m_dragFrom) {
        const int from = *m_dragFrom;
        m_dragFrom.reset();
        if (std::abs(m_dragTo - from) >= LeastDrag)
            ZoomBetween(from, m_dragTo);
        else
            Refresh();
    }
    event.Skip();
}

void ChartPanel::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && (IsZoomed() || m_dragFrom)) {
        if (HasCapture())
            ReleaseMouse();
        m_dragFrom.reset();
        ZoomOut();
        Refresh();
        return;
    }
    // From the keyboard: "+" looks closer at the middle half of the time
    // drawn, "-" shows it whole again.
    const int key = event.GetKeyCode();
    if (key == '+' || key == '=' || key == WXK_NUMPAD_ADD) {
        const ChartModel::Rect& plot = m_model.Plot();
        ZoomBetween(plot.left + plot.width / 4, plot.left + plot.width * 3 / 4);
        return;
    }
    if ((key == '-' || key == WXK_NUMPAD_SUBTRACT) && IsZoomed()) {
        ZoomOut();
        return;
    }
    event.Skip();
}
