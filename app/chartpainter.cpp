#include "app/chartpainter.h"

#include <wx/dc.h>
#include <wx/graphics.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const wxColour Background(0xff, 0xff, 0xff);
const wxColour Grid(0xe4, 0xe4, 0xe4);
const wxColour Frame(0x88, 0x88, 0x88);
const wxColour Ink(0x33, 0x33, 0x33);

wxColour Colour(const ChartColour& colour) { return wxColour(colour.red, colour.green, colour.blue); }

// The chart's text: sans-serif of the height the layout reckons with.
wxFont ChartFont(double pixels, bool bold = false)
{
    wxFontInfo info(wxSize(0, static_cast<int>(pixels)));
    info.Family(wxFONTFAMILY_SWISS);
    if (bold)
        info.Bold();
    return wxFont(info);
}

enum class Anchor { Start, Middle, End };

// Vertices of a line stroked at once.
constexpr std::size_t PieceLength = 64;

class Painter {
public:
    Painter(wxGraphicsContext& gc, const ChartModel& chart) : m_gc(gc), m_chart(chart) {}

    void Paint()
    {
        m_gc.SetAntialiasMode(wxANTIALIAS_DEFAULT);
        m_gc.SetPen(*wxTRANSPARENT_PEN);
        m_gc.SetBrush(wxBrush(Background));
        m_gc.DrawRectangle(0, 0, m_chart.Width(), m_chart.Height());
        m_gc.SetFont(ChartFont(ChartModel::FontSize + 2, true), Ink);
        Text(m_chart.Plot().left, 18, m_chart.Title(), Anchor::Start);
        m_gc.SetFont(ChartFont(ChartModel::FontSize), Ink);
        if (!m_chart.Nothing().empty()) {
            Text(m_chart.Width() / 2.0, m_chart.Height() / 2.0, m_chart.Nothing(), Anchor::Middle);
            return;
        }
        Axes();
        Limits();
        Lines();
        Marks();
        Legend();
    }

private:
    void Axes()
    {
        const ChartModel::Rect& plot = m_chart.Plot();
        m_gc.SetPen(wxPen(Grid, 1));
        for (const ChartModel::Tick& tick : m_chart.ValueTicks())
            m_gc.StrokeLine(plot.left, tick.at, plot.Right(), tick.at);
        for (const ChartModel::Tick& tick : m_chart.TimeTicks())
            m_gc.StrokeLine(tick.at, plot.top, tick.at, plot.Bottom());
        m_gc.SetPen(wxPen(Frame, 1));
        m_gc.SetBrush(*wxTRANSPARENT_BRUSH);
        m_gc.DrawRectangle(plot.left, plot.top, plot.width, plot.height);
        for (const ChartModel::Tick& tick : m_chart.ValueTicks())
            Text(plot.left - 6, tick.at + 4, tick.label, Anchor::End);
        for (const ChartModel::Tick& tick : m_chart.TimeTicks()) {
            Text(tick.at, plot.Bottom() + 16, tick.label, Anchor::Middle);
            if (!tick.second.empty())
                Text(tick.at, plot.Bottom() + 31, tick.second, Anchor::Middle);
        }
    }

    void Limits()
    {
        const ChartModel::Rect& plot = m_chart.Plot();
        for (const ChartModel::Limit& limit : m_chart.Limits()) {
            wxGraphicsPenInfo pen(Colour(limit.colour), 1, wxPENSTYLE_USER_DASH);
            const wxDash dashes[] = {6, 4};
            pen.Dashes(2, dashes);
            m_gc.SetPen(m_gc.CreatePen(pen));
            m_gc.StrokeLine(plot.left, limit.y, plot.Right(), limit.y);
            m_gc.SetFont(ChartFont(ChartModel::FontSize), Colour(limit.colour));
            Text(plot.Right() - 4, limit.y - 4, limit.label, Anchor::End);
        }
        m_gc.SetFont(ChartFont(ChartModel::FontSize), Ink);
    }

    void Lines()
    {
        for (const ChartModel::Line& line : m_chart.Lines()) {
            if (line.vertices.empty())
                continue;
            const wxColour colour = Colour(line.colour);
            if (line.vertices.size() == 1) {
                // A line of one value is a dot.
                m_gc.SetPen(*wxTRANSPARENT_PEN);
                m_gc.SetBrush(wxBrush(colour));
                m_gc.DrawEllipse(line.vertices[0].x - 3, line.vertices[0].y - 3, 6, 6);
                continue;
            }
            Line(line.vertices, colour);
        }
    }

    // One long stroke that folds over itself in every pixel column costs
    // the renderer far more than its length: it is stroked a piece at a
    // time. A line denser than the pixel columns is drawn without
    // smoothing, which it would not show, and which costs most.
    void Line(const std::vector<ChartModel::Vertex>& vertices, const wxColour& colour)
    {
        const bool dense = static_cast<double>(vertices.size()) > m_chart.Plot().width;
        if (dense)
            m_gc.SetAntialiasMode(wxANTIALIAS_NONE);
        m_gc.SetPen(m_gc.CreatePen(wxGraphicsPenInfo(colour, 1.5).Join(wxJOIN_ROUND)));
        std::vector<wxPoint2DDouble> piece;
        piece.reserve(PieceLength);
        for (std::size_t v = 0; v < vertices.size(); ++v) {
            piece.emplace_back(vertices[v].x, vertices[v].y);
            if (piece.size() == PieceLength || v + 1 == vertices.size()) {
                m_gc.StrokeLines(piece.size(), piece.data());
                piece.assign(1, piece.back());
            }
        }
        if (dense)
            m_gc.SetAntialiasMode(wxANTIALIAS_DEFAULT);
    }

    void Marks()
    {
        m_gc.SetPen(*wxTRANSPARENT_PEN);
        for (const ChartModel::Line& line : m_chart.Lines()) {
            MarkGroup(line.above, m_chart.AboveColour());
            MarkGroup(line.below, m_chart.BelowColour());
        }
    }

    void MarkGroup(const std::vector<ChartModel::Vertex>& marks, const ChartColour& colour)
    {
        if (marks.empty())
            return;
        // Marks that crowd each other are drawn without smoothing too.
        const bool dense = static_cast<double>(marks.size()) * 6 > m_chart.Plot().width;
        if (dense)
            m_gc.SetAntialiasMode(wxANTIALIAS_NONE);
        m_gc.SetBrush(wxBrush(Colour(colour)));
        wxGraphicsPath path = m_gc.CreatePath();
        for (const ChartModel::Vertex& mark : marks)
            path.AddCircle(mark.x, mark.y, 3);
        m_gc.FillPath(path);
        if (dense)
            m_gc.SetAntialiasMode(wxANTIALIAS_DEFAULT);
    }

    void Legend()
    {
        for (const ChartModel::LegendEntry& entry : m_chart.Legend()) {
            const ChartModel::Line& line = m_chart.Lines()[entry.line];
            m_gc.SetPen(wxPen(Colour(line.colour), 3));
            m_gc.StrokeLine(entry.x, entry.y - 4, entry.x + 18, entry.y - 4);
            Text(entry.x + 24, entry.y, line.legend, Anchor::Start);
        }
    }

    // Writes `text` with its baseline at `y`.
    void Text(double x, double y, const wxString& text, Anchor anchor)
    {
        if (text.empty())
            return;
        double width = 0;
        double height = 0;
        double descent = 0;
        m_gc.GetTextExtent(text, &width, &height, &descent);
        if (anchor == Anchor::Middle)
            x -= width / 2;
        else if (anchor == Anchor::End)
            x -= width;
        m_gc.DrawText(text, x, y - (height - descent));
    }

    wxGraphicsContext& m_gc;
    const ChartModel& m_chart;
};

} // namespace

void ChartPainter::Paint(wxDC& dc, const ChartModel& chart)
{
    const std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (gc)
        Paint(*gc, chart);
}

void ChartPainter::Paint(wxGraphicsContext& gc, const ChartModel& chart) { Painter(gc, chart).Paint(); }
