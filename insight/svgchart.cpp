#include "insight/svgchart.h"

#include "report/reportfile.h"

#include <wx/intl.h>

#include <charconv>
#include <stdexcept>

namespace {

// A coordinate with one decimal at most: enough for a pixel, few bytes.
void appendNumber(std::string& out, double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    if (error != std::errc()) {
        out += '0';
        return;
    }
    std::string_view written(text, static_cast<std::size_t>(end - text));
    if (written.size() > 2 && written.substr(written.size() - 2) == ".0")
        written.remove_suffix(2);
    if (written == "-0")
        written = "0";
    out += written;
}

void appendEscaped(std::string& out, const wxString& text)
{
    for (const char c : std::string(text.utf8_str())) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            // Control characters may not stand in XML.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
                out += c;
        }
    }
}

class Writer {
public:
    explicit Writer(const ChartModel& chart) : m_chart(chart) {}

    std::string Document()
    {
        Begin();
        if (m_chart.Nothing().empty()) {
            Axes();
            Limits();
            Lines();
            Marks();
            Legend();
        } else {
            Text(m_chart.Width() / 2.0, m_chart.Height() / 2.0, m_chart.Nothing(), "middle", "nothing");
        }
        m_out += "</svg>\n";
        return std::move(m_out);
    }

private:
    void Begin()
    {
        m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
        m_out += std::to_string(m_chart.Width());
        m_out += "\" height=\"";
        m_out += std::to_string(m_chart.Height());
        m_out += "\" viewBox=\"0 0 " + std::to_string(m_chart.Width()) + ' ' + std::to_string(m_chart.Height());
        m_out += "\" font-family=\"sans-serif\" font-size=\"12\">\n";
        m_out += "<title>";
        appendEscaped(m_out, m_chart.Title());
        m_out += "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
        Text(m_chart.Plot().left, 18, m_chart.Title(), "start", "title", "font-size=\"14\" font-weight=\"bold\"");
    }

    void Axes()
    {
        const ChartModel::Rect& plot = m_chart.Plot();
        m_out += "<g class=\"grid\" stroke=\"#e4e4e4\" stroke-width=\"1\">\n";
        for (const ChartModel::Tick& tick : m_chart.ValueTicks())
            LineElement(plot.left, tick.at, plot.Right(), tick.at);
        for (const ChartModel::Tick& tick : m_chart.TimeTicks())
            LineElement(tick.at, plot.top, tick.at, plot.Bottom());
        m_out += "</g>\n<rect class=\"frame\" fill=\"none\" stroke=\"#888888\" x=\"";
        appendNumber(m_out, plot.left);
        m_out += "\" y=\"";
        appendNumber(m_out, plot.top);
        m_out += "\" width=\"";
        appendNumber(m_out, plot.width);
        m_out += "\" height=\"";
        appendNumber(m_out, plot.height);
        m_out += "\"/>\n<g class=\"ticks\" fill=\"#333333\">\n";
        for (const ChartModel::Tick& tick : m_chart.ValueTicks())
            Text(plot.left - 6, tick.at + 4, tick.label, "end", "");
        for (const ChartModel::Tick& tick : m_chart.TimeTicks()) {
            Text(tick.at, plot.Bottom() + 16, tick.label, "middle", "");
            if (!tick.second.empty())
                Text(tick.at, plot.Bottom() + 31, tick.second, "middle", "");
        }
        m_out += "</g>\n";
    }

    void Limits()
    {
        const ChartModel::Rect& plot = m_chart.Plot();
        for (const ChartModel::Limit& limit : m_chart.Limits()) {
            LineElement(plot.left, limit.y, plot.Right(), limit.y,
                        std::string("class=\"") + (limit.upper ? "upper" : "lower") + "\" stroke=\""
                            + std::string(limit.colour.Hex()) + "\" stroke-dasharray=\"6 4\"");
            Text(plot.Right() - 4, limit.y - 4, limit.label, "end", "", "fill=\"" + std::string(limit.colour.Hex()) + '"');
        }
    }

    void Lines()
    {
        for (const ChartModel::Line& line : m_chart.Lines()) {
            m_out += "<path class=\"series\" fill=\"none\" stroke-width=\"1.5\" stroke-linejoin=\"round\" stroke=\"";
            appendEscaped(m_out, line.colour.Hex());
            m_out += "\" data-series=\"";
            appendEscaped(m_out, line.name);
            m_out += "\" d=\"";
            char command = 'M';
            for (const ChartModel::Vertex& vertex : line.vertices) {
                m_out += command;
                appendNumber(m_out, vertex.x);
                m_out += ' ';
                appendNumber(m_out, vertex.y);
                command = 'L';
            }
            m_out += "\"/>\n";
            // A line of one value is a dot of its colour.
            if (line.vertices.size() == 1) {
                m_out += "<circle class=\"single\" r=\"3\" fill=\"";
                appendEscaped(m_out, line.colour.Hex());
                m_out += "\" cx=\"";
                appendNumber(m_out, line.vertices.front().x);
                m_out += "\" cy=\"";
                appendNumber(m_out, line.vertices.front().y);
                m_out += "\"/>\n";
            }
        }
    }

    void Marks()
    {
        for (const ChartModel::Line& line : m_chart.Lines()) {
            MarkGroup(line.above, "above", m_chart.AboveColour());
            MarkGroup(line.below, "below", m_chart.BelowColour());
        }
    }

    void MarkGroup(const std::vector<ChartModel::Vertex>& marks, const char* name, const ChartColour& colour)
    {
        if (marks.empty())
            return;
        m_out += "<g class=\"";
        m_out += name;
        m_out += "\" fill=\"";
        appendEscaped(m_out, colour.Hex());
        m_out += "\">\n";
        for (const ChartModel::Vertex& mark : marks) {
            m_out += "<circle r=\"3\" cx=\"";
            appendNumber(m_out, mark.x);
            m_out += "\" cy=\"";
            appendNumber(m_out, mark.y);
            m_out += "\"/>\n";
        }
        m_out += "</g>\n";
    }

    void Legend()
    {
        m_out += "<g class=\"legend\">\n";
        for (const ChartModel::LegendEntry& entry : m_chart.Legend()) {
            const ChartModel::Line& line = m_chart.Lines()[entry.line];
            LineElement(entry.x, entry.y - 4, entry.x + 18, entry.y - 4,
                        "stroke-width=\"3\" stroke=\"" + std::string(line.colour.Hex()) + '"');
            Text(entry.x + 24, entry.y, line.legend, "start", "");
        }
        m_out += "</g>\n";
    }

    // A line from (x1, y1) to (x2, y2), with the attributes given (our
    // own, never the unit's text).
    void LineElement(double x1, double y1, double x2, double y2, const std::string& attributes = std::string())
    {
        m_out += "<line ";
        if (!attributes.empty())
            m_out += attributes + ' ';
        m_out += "x1=\"";
        appendNumber(m_out, x1);
        m_out += "\" x2=\"";
        appendNumber(m_out, x2);
        m_out += "\" y1=\"";
        appendNumber(m_out, y1);
        m_out += "\" y2=\"";
        appendNumber(m_out, y2);
        m_out += "\"/>\n";
    }

    void Text(double x, double y, const wxString& text, const char* anchor, const char* name,
              const std::string& more = std::string())
    {
        m_out += "<text";
        if (*name) {
            m_out += " class=\"";
            m_out += name;
            m_out += '"';
        }
        m_out += " x=\"";
        appendNumber(m_out, x);
        m_out += "\" y=\"";
        appendNumber(m_out, y);
        m_out += "\" text-anchor=\"";
        m_out += anchor;
        m_out += '"';
        if (!more.empty())
            m_out += ' ' + more;
        m_out += '>';
        appendEscaped(m_out, text);
        m_out += "</text>\n";
    }

    const ChartModel& m_chart;
    std::string m_out;
};

} // namespace

std::string SvgChart::Write(const ChartModel& chart)
{
    return Writer(chart).Document();
}

wxString SvgChart::Save(const ChartModel& chart, const wxString& path)
{
    ReportFile file(path);
    if (!file.IsOpened() || !file.Write(Write(chart)) || !file.Commit())
        throw std::runtime_error(std::string(wxString::Format(_("Cannot write %s."), path).utf8_str()));
    return file.FileName();
}
