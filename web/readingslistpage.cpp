#include "web/readingslistpage.h"

#include "web/markup.h"
#include "web/pageframe.h"

#include <wx/translation.h>

#include <string>

namespace {

std::string html(const wxString& text) { return HtmlEscaped(text.utf8_string()); }

std::string field(const PageText& text, const char* label, const char* name, const char* type,
                  const std::string& value)
{
    return "<label>" + text.Html(label) + "<input name=\"" + name + "\" type=\"" + type + "\" value=\""
        + HtmlEscaped(value) + "\"></label>";
}

// The query of the list with another page, for a link.
std::string pageLink(const ListQuery& query, unsigned page)
{
    std::string link = "/readings?page=" + std::to_string(page);
    if (!query.station.empty())
        link += "&station=" + UrlEncoded(query.station);
    if (!query.port.empty())
        link += "&port=" + UrlEncoded(query.port);
    if (query.since)
        link += "&since=" + UrlEncoded(*query.since);
    if (query.perPage != ListQuery().perPage)
        link += "&per_page=" + std::to_string(query.perPage);
    return link;
}

} // namespace

std::string ListedTime(const wxDateTime& time)
{
    return time.IsValid() ? time.Format("%Y-%m-%d %H:%M:%S").utf8_string() : std::string();
}

wxString EndedText(const ReadingSummary& reading, const PageText& text)
{
    static const char* const Words[] = {wxTRANSLATE("interrupted"), wxTRANSLATE("complete"),
                                        wxTRANSLATE("cancelled"), wxTRANSLATE("failed")};
    wxString ended = text.Get(Words[static_cast<int>(reading.end)]);
    if (!reading.error.empty())
        ended += ": " + reading.error;
    return ended;
}

std::string ReadingsListPage::Write(const ReadingArchive::Page& readings, const ListQuery& query,
                                    const PageText& text, bool loggedIn)
{
    const std::string body = Filters(query, text) + Table(readings, text) + Pages(readings, query, text);
    return PageFrame::Page(text, text.Html(wxTRANSLATE("Kept readings")), body, loggedIn);
}

std::string ReadingsListPage::Filters(const ListQuery& query, const PageText& text)
{
    return "<form class=\"filter\" method=\"get\" action=\"/readings\">"
        + field(text, wxTRANSLATE("Station"), "station", "text", query.station)
        + field(text, wxTRANSLATE("Port"), "port", "text", query.port)
        + field(text, wxTRANSLATE("Since"), "since", "date", query.since.value_or(std::string()))
        + "<button type=\"submit\">" + text.Html(wxTRANSLATE("Show")) + "</button></form>";
}

std::string ReadingsListPage::Table(const ReadingArchive::Page& readings, const PageText& text)
{
    if (readings.readings.empty())
        return "<p class=\"nothing\">" + text.Html(wxTRANSLATE("No kept reading fits these filters.")) + "</p>";
    std::string table = "<table id=\"readings\"><thead><tr>";
    for (const char* heading : {wxTRANSLATE("No."), wxTRANSLATE("Started"), wxTRANSLATE("Station"),
                                wxTRANSLATE("Port"), wxTRANSLATE("Device"), wxTRANSLATE("Tables"),
                                wxTRANSLATE("Records"), wxTRANSLATE("Ended")})
        table += "<th>" + text.Html(heading) + "</th>";
    table += "</tr></thead><tbody>";
    for (const ReadingSummary& reading : readings.readings) {
        const std::string number = std::to_string(reading.id);
        table += "<tr><td class=\"n\"><a href=\"/readings/" + number + "\">" + number + "</a></td><td>"
            + ListedTime(reading.started) + "</td><td>" + html(reading.facts.station) + "</td><td>"
            + html(reading.facts.port) + "</td><td>" + html(reading.facts.device) + "</td><td class=\"n\">"
            + std::to_string(reading.tableCount) + "</td><td class=\"n\">" + std::to_string(reading.recordCount)
            + "</td><td>" + html(EndedText(reading, text)) + "</td></tr>";
    }
    return table + "</tbody></table>";
}

std::string ReadingsListPage::Pages(const ReadingArchive::Page& readings, const ListQuery& query,
                                    const PageText& text)
{
    const std::int64_t pages = (readings.total + query.perPage - 1) / query.perPage;
    if (pages <= 1)
        return {};
    std::string nav = "<nav class=\"pages\">";
    if (query.page > 1)
        nav += "<a rel=\"prev\" href=\"" + HtmlEscaped(pageLink(query, query.page - 1)) + "\">"
            + text.Html(wxTRANSLATE("Newer")) + "</a>";
    nav += "<span>"
        + html(text.Format(wxTRANSLATE("Page %u of %lld"), query.page, static_cast<long long>(pages))) + "</span>";
    if (query.page < pages)
        nav += "<a rel=\"next\" href=\"" + HtmlEscaped(pageLink(query, query.page + 1)) + "\">"
            + text.Html(wxTRANSLATE("Older")) + "</a>";
    return nav + "</nav>";
}
