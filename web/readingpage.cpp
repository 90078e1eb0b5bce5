#include "web/readingpage.h"

#include "insight/chartmodel.h"
#include "insight/civiltime.h"
#include "insight/columnfigures.h"
#include "insight/readingpart.h"
#include "insight/svgchart.h"
#include "web/markup.h"
#include "web/pageframe.h"
#include "web/readingslistpage.h"

#include <wx/translation.h>

#include <algorithm>

namespace {

std::string html(const wxString& text) { return HtmlEscaped(text.utf8_string()); }

void addParameter(std::string& query, const char* name, const std::optional<std::string>& value)
{
    if (value && !value->empty())
        query += std::string(query.empty() ? "?" : "&") + name + "=" + UrlEncoded(*value);
}

std::string input(const PageText& text, const char* label, const char* name, const std::optional<std::string>& value)
{
    return "<label>" + text.Html(label) + "<input name=\"" + name + "\" value=\""
        + HtmlEscaped(value.value_or(std::string())) + "\"></label>";
}

// No column chosen.
constexpr std::size_t NoColumn = static_cast<std::size_t>(-1);

// A choice of the table's columns of `kinds`, the one chosen selected;
// `none` adds an empty entry first.
std::string columnSelect(const PageText& text, const char* label, const char* name, const TypedTable& table,
                         std::initializer_list<ColumnKind> kinds, std::size_t chosen, bool none)
{
    std::string select = "<label>" + text.Html(label) + "<select name=\"" + name + "\">";
    if (none)
        select += "<option value=\"\"></option>";
    for (std::size_t column = 0; column < table.ColumnCount(); ++column) {
        if (std::find(kinds.begin(), kinds.end(), table.Kind(column)) == kinds.end())
            continue;
        const std::string number = std::to_string(column + 1);
        select += "<option value=\"" + number + "\"" + (chosen == column ? " selected" : "") + ">"
            + html(table.Records().Name(column)) + "</option>";
    }
    return select + "</select></label>";
}

// The SVG document as a part of the page: without its XML declaration.
std::string inlineSvg(const std::string& document)
{
    const std::size_t svg = document.find("<svg");
    return svg == std::string::npos ? document : document.substr(svg);
}

} // namespace

std::string ReadingView::PartQuery() const
{
    std::string query = "?table=" + std::to_string(table);
    addParameter(query, "since", sinceText);
    addParameter(query, "until", untilText);
    addParameter(query, "series", series);
    return query;
}

std::string ReadingView::Query(std::optional<unsigned> otherPage) const
{
    std::string query = PartQuery();
    addParameter(query, "column", column.column);
    addParameter(query, "by", column.by);
    addParameter(query, "lower", column.lower);
    addParameter(query, "upper", column.upper);
    const unsigned shown = otherPage.value_or(page);
    if (shown > 1)
        query += "&page=" + std::to_string(shown);
    return query;
}

ReadingPage::ReadingPage(const ReadingSummary& reading, const std::vector<ReadingArchive::KeptTable>& tables,
                         const ReadingView& view, const PageText& text)
    : m_reading(reading)
    , m_tables(tables)
    , m_view(view)
    , m_text(text)
{
}

std::string ReadingPage::Write(const TypedTable* table, bool loggedIn) const
{
    std::string body = Facts() + Downloads() + TableLinks();
    if (table) {
        wxString error;
        const std::optional<ColumnChoice> choice = m_view.column.Choose(*table, m_view.table, error);
        body += Choices(*table, choice) + FiguresAndChart(*table, choice, error) + Records(*table);
    } else
        body += "<p class=\"nothing\">" + m_text.Html(wxTRANSLATE("The reading holds no tables.")) + "</p>";
    const std::string title = html(m_text.Format(wxTRANSLATE("Reading %lld"), static_cast<long long>(m_reading.id)));
    return PageFrame::Page(m_text, title, body, loggedIn);
}

std::string ReadingPage::Facts() const
{
    const std::pair<const char*, wxString> facts[] = {
        {wxTRANSLATE("Started"), wxString::FromUTF8(ListedTime(m_reading.started))},
        {wxTRANSLATE("Ended"), EndedText(m_reading, m_text)},
        {wxTRANSLATE("Station"), m_reading.facts.station},
        {wxTRANSLATE("Port"), m_reading.facts.port},
        {wxTRANSLATE("Device"), m_reading.facts.device},
        {wxTRANSLATE("Baud rate"), wxString::Format("%d", m_reading.facts.baud)},
        {wxTRANSLATE("Pace"), m_reading.facts.pace},
        {wxTRANSLATE("Program version"), m_reading.facts.version},
        {wxTRANSLATE("Records"), wxString::Format("%lld", static_cast<long long>(m_reading.recordCount))},
    };
    std::string list = "<dl class=\"facts\">";
    for (const auto& [label, value] : facts)
        list += "<dt>" + m_text.Html(label) + "</dt><dd>" + html(value) + "</dd>";
    return list + "</dl>";
}

std::string ReadingPage::Downloads() const
{
    static const char* const Formats[] = {"rtf", "html", "txt", "csv", "xlsx"};
    const std::string base = "/readings/" + std::to_string(m_reading.id) + "/report.";
    const auto links = [&](const std::string& query) {
        std::string row;
        for (const char* format : Formats)
            row += "<a download href=\"" + HtmlEscaped(base + format + query) + "\">" + std::string(format) + "</a>";
        return row;
    };
    std::string part = "<p class=\"downloads\">" + m_text.Html(wxTRANSLATE("Report of the whole reading:"))
        + links(std::string()) + "</p>";
    if (!m_tables.empty())
        part += "<p class=\"downloads\">" + m_text.Html(wxTRANSLATE("Report of the table shown, as chosen below:"))
            + links(m_view.PartQuery()) + "</p>";
    return part;
}

std::string ReadingPage::TableLinks() const
{
    if (m_tables.size() < 2)
        return {};
    std::string nav = "<nav class=\"tables\">";
    for (std::size_t i = 0; i < m_tables.size(); ++i) {
        const unsigned number = m_tables[i].number + 1;
        const std::string label = html(m_text.Format(wxTRANSLATE("Table %u"), number));
        if (number == m_view.table)
            nav += "<a class=\"chosen\" aria-current=\"page\">" + label + "</a>";
        else
            nav += "<a href=\"/readings/" + std::to_string(m_reading.id) + "?table=" + std::to_string(number) + "\">"
                + label + "</a>";
    }
    return nav + "</nav>";
}

std::string ReadingPage::Choices(const TypedTable& table, const std::optional<ColumnChoice>& choice) const
{
    const std::size_t column = choice ? choice->column : NoColumn;
    const std::size_t by = choice && choice->by ? *choice->by : NoColumn;
    return "<form class=\"filter\" method=\"get\" action=\"/readings/" + std::to_string(m_reading.id)
        + "\"><input type=\"hidden\" name=\"table\" value=\"" + std::to_string(m_view.table) + "\">"
        + columnSelect(m_text, wxTRANSLATE("Column"), "column", table, {ColumnKind::Number, ColumnKind::RunningNumber},
                       column, false)
        + columnSelect(m_text, wxTRANSLATE("Series by"), "by", table, {ColumnKind::Series, ColumnKind::Text}, by, true)
        + input(m_text, wxTRANSLATE("Lower limit"), "lower", m_view.column.lower)
        + input(m_text, wxTRANSLATE("Upper limit"), "upper", m_view.column.upper)
        + input(m_text, wxTRANSLATE("Since"), "since", m_view.sinceText)
        + input(m_text, wxTRANSLATE("Until"), "until", m_view.untilText)
        + input(m_text, wxTRANSLATE("Series"), "series", m_view.series) + "<button type=\"submit\">"
        + m_text.Html(wxTRANSLATE("Show")) + "</button></form>";
}

std::string ReadingPage::FiguresAndChart(const TypedTable& table, std::optional<ColumnChoice> choice,
                                         const wxString& error) const
{
    if (!choice)
        return "<p class=\"nothing\">" + html(error) + "</p>";
    choice->from = m_view.since;
    choice->to = m_view.until;
    std::string part = "<h2>" + m_text.Html(wxTRANSLATE("Figures")) + "</h2><table id=\"figures\"><thead><tr>";
    std::vector<const char*> headings{wxTRANSLATE("Series"),  wxTRANSLATE("Count"),   wxTRANSLATE("Minimum"),
                                      wxTRANSLATE("at"),      wxTRANSLATE("Maximum"), wxTRANSLATE("at"),
                                      wxTRANSLATE("Mean"),    wxTRANSLATE("First"),   wxTRANSLATE("Last")};
    if (choice->HasLimits()) {
        headings.push_back(wxTRANSLATE("Outside"));
        headings.push_back(wxTRANSLATE("Time outside"));
    }
    for (const char* heading : headings)
        part += "<th>" + m_text.Html(heading) + "</th>";
    part += "</tr></thead><tbody>";
    for (const Figures& figures : ColumnFigures::Of(table, *choice)) {
        part += "<tr><td>" + (figures.whole ? m_text.Html(wxTRANSLATE("all")) : html(figures.series))
            + "</td><td class=\"n\">" + std::to_string(figures.count) + "</td><td class=\"n\">"
            + html(figures.minimum) + "</td><td>" + html(figures.minimumAt) + "</td><td class=\"n\">"
            + html(figures.maximum) + "</td><td>" + html(figures.maximumAt) + "</td><td class=\"n\">"
            + html(figures.mean) + "</td><td>" + html(figures.first) + "</td><td>" + html(figures.last) + "</td>";
        if (figures.outside)
            part += "<td class=\"n\">" + std::to_string(*figures.outside) + "</td><td>"
                + html(FormatDuration(figures.secondsOutside)) + "</td>";
        part += "</tr>";
    }
    part += "</tbody></table>";
    const ChartModel chart = ChartModel::Build(table, *choice, ChartSize{1100, 480});
    return part + "<h2>" + m_text.Html(wxTRANSLATE("Chart")) + "</h2><div class=\"chart\">"
        + inlineSvg(SvgChart::Write(chart)) + "</div>";
}

std::vector<std::size_t> ReadingView::PartOf(const TypedTable& table) const
{
    ReadingPart part;
    part.since = since;
    part.until = until;
    if (series)
        part.series = wxString::FromUTF8(series->c_str());
    return part.Records(table);
}

std::string ReadingPage::Records(const TypedTable& table) const
{
    const std::vector<std::size_t> records = m_view.PartOf(table);
    const std::size_t pages = std::max<std::size_t>(1, (records.size() + ReadingView::RecordsPerPage - 1)
                                                           / ReadingView::RecordsPerPage);
    const std::size_t page = std::min<std::size_t>(m_view.page, pages);
    std::string part = "<h2>" + m_text.Html(wxTRANSLATE("Records")) + "</h2>";
    if (records.empty())
        return part + "<p class=\"nothing\">" + m_text.Html(wxTRANSLATE("No record fits these choices.")) + "</p>";
    part += "<div class=\"scroll\"><table id=\"records\"><thead><tr>";
    for (std::size_t column = 0; column < table.ColumnCount(); ++column)
        part += "<th>" + html(table.Records().Name(column)) + "</th>";
    part += "</tr></thead><tbody>";
    const std::size_t first = (page - 1) * ReadingView::RecordsPerPage;
    const std::size_t last = std::min(records.size(), first + ReadingView::RecordsPerPage);
    for (std::size_t i = first; i < last; ++i) {
        part += "<tr>";
        for (std::size_t column = 0; column < table.ColumnCount(); ++column)
            part += "<td>" + HtmlEscaped(table.Records().Cell(records[i], column)) + "</td>";
        part += "</tr>";
    }
    part += "</tbody></table></div>";
    if (pages > 1) {
        const std::string link = "/readings/" + std::to_string(m_reading.id);
        part += "<nav class=\"pages\">";
        if (page > 1)
            part += "<a rel=\"prev\" href=\"" + HtmlEscaped(link + m_view.Query(static_cast<unsigned>(page - 1)))
                + "\">" + m_text.Html(wxTRANSLATE("Earlier")) + "</a>";
        part += "<span>"
            + html(m_text.Format(wxTRANSLATE("Records %zu to %zu of %zu"), first + 1, last, records.size()))
            + "</span>";
        if (page < pages)
            part += "<a rel=\"next\" href=\"" + HtmlEscaped(link + m_view.Query(static_cast<unsigned>(page + 1)))
                + "\">" + m_text.Html(wxTRANSLATE("Later")) + "</a>";
        part += "</nav>";
    }
    return part;
}
