// Fuzz target: a request as a browser or a script might send it, through
// the web view's parts that take it apart: its query decoded as the server
// decodes it and read as every page's and the interface's query, each
// value as a segment of the path and a download's extension, the
// Accept-Language header, and the escaping of every name and value.
//
// Input: the query string (what follows "?"), then a line feed and the
// Accept-Language header.
//
// What must hold, besides no crash and no sanitizer report:
// - a query is taken or refused with BadQuery, whose message is UTF-8
//   without controls and short; what is taken lies within its limits;
// - a path number is within its range and written the way it was sent;
// - the page's language is en, ru or uk;
// - escaped HTML holds no <, >, quote or apostrophe, and every & begins a
//   reference; a link's value holds only unreserved characters and %XX and
//   decodes to the text; an attachment header is printable ASCII without
//   backslash, its quoted name without a quote.
#include "web/markup.h"
#include "web/pagelanguage.h"
#include "web/utf8text.h"
#include "web/webquery.h"
#include "tests/fuzz/fuzzcheck.h"

#include <httplib.h>
#include <wx/init.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

void checkText(const std::string& text)
{
    check(text.size() <= 200 && Utf8Text::Valid(text), "a text taken that is too long or not UTF-8");
}

void checkTaken(const std::optional<std::string>& text)
{
    if (text)
        checkText(*text);
}

void checkRefusal(const BadQuery& bad)
{
    const std::string message = bad.what();
    check(message.size() <= 200, "a long message");
    check(Utf8Text::Valid(message), "a message that is not UTF-8");
    for (std::string_view rest = message; !rest.empty(); rest.remove_prefix(Utf8Text::CharacterLength(rest)))
        check(!Utf8Text::StartsWithControl(rest), "a control character in a message");
}

void checkPart(const PartQuery& part)
{
    checkTaken(part.sinceText);
    checkTaken(part.untilText);
    checkTaken(part.series);
    check(part.since.has_value() == part.sinceText.has_value(), "a time without its text");
    check(part.until.has_value() == part.untilText.has_value(), "a time without its text");
}

// Each query's From: taken within its limits, or refused with BadQuery.
void readQueries(const QueryParams& params)
{
    try {
        const ListQuery list = ListQuery::From(params);
        checkText(list.station);
        checkText(list.port);
        check(!list.since || list.since->size() == 10, "a day that is not YYYY-MM-DD");
        check(list.page >= 1 && list.page <= 1000000 && list.perPage >= 1 && list.perPage <= 500,
              "a page beyond its range");
    } catch (const BadQuery& bad) {
        checkRefusal(bad);
    }
    try {
        checkPart(PartQuery::From(params));
    } catch (const BadQuery& bad) {
        checkRefusal(bad);
    }
    try {
        const ReportQuery report = ReportQuery::From(params);
        checkPart(report.part);
        check(!report.table || (*report.table >= 1 && *report.table <= 4096), "a table beyond its range");
        report.ToPart();
    } catch (const BadQuery& bad) {
        checkRefusal(bad);
    }
    try {
        const RecordsQuery records = RecordsQuery::From(params);
        checkPart(records.part);
        check(records.offset <= 100000000 && records.limit >= 1 && records.limit <= 10000,
              "records beyond their range");
    } catch (const BadQuery& bad) {
        checkRefusal(bad);
    }
    try {
        const ChartQuery chart = ChartQuery::From(params);
        checkPart(chart.part);
        checkTaken(chart.column);
        checkTaken(chart.by);
        check(chart.table >= 1 && chart.table <= 4096 && chart.page >= 1 && chart.page <= 1000000,
              "a table or page beyond its range");
        chart.ToPart();
    } catch (const BadQuery& bad) {
        checkRefusal(bad);
    }
}

void checkPathAndFormat(const std::string& segment)
{
    for (const std::int64_t max : {std::int64_t{1}, std::int64_t{4096}, INT64_MAX}) {
        const std::optional<std::int64_t> number = PathNumber(segment, max);
        if (number)
            check(*number >= 1 && *number <= max && std::to_string(*number) == segment, "a path number astray");
    }
    const std::optional<int> format = ReportFormatOf(segment);
    check(!format || (*format >= 0 && *format <= 4), "a format beyond the formats");
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void checkMarkup(const std::string& text)
{
    const std::string html = HtmlEscaped(text);
    check(html.find_first_of("<>\"'") == std::string::npos, "markup left in escaped HTML");
    for (std::size_t at = html.find('&'); at != std::string::npos; at = html.find('&', at + 1)) {
        const std::string_view rest = std::string_view(html).substr(at);
        check(rest.rfind("&amp;", 0) == 0 || rest.rfind("&lt;", 0) == 0 || rest.rfind("&gt;", 0) == 0
                  || rest.rfind("&quot;", 0) == 0 || rest.rfind("&#39;", 0) == 0,
              "an & that begins no reference");
    }

    const std::string url = UrlEncoded(text);
    std::string decoded;
    for (std::size_t at = 0; at < url.size(); ++at) {
        if (url[at] != '%') {
            check(std::isalnum(static_cast<unsigned char>(url[at])) || url[at] == '-' || url[at] == '.'
                      || url[at] == '_' || url[at] == '~',
                  "a reserved character in a link's value");
            decoded += url[at];
            continue;
        }
        check(at + 2 < url.size() && hexDigit(url[at + 1]) >= 0 && hexDigit(url[at + 2]) >= 0, "a broken %XX");
        decoded += static_cast<char>(hexDigit(url[at + 1]) * 16 + hexDigit(url[at + 2]));
        at += 2;
    }
    check(decoded == text, "a link's value that does not decode to the text");

    const std::string header = AttachmentHeader(text);
    for (const char c : header)
        check(c >= ' ' && c <= '~' && c != '\\', "a header byte that is no printable ASCII");
    const std::size_t open = header.find('"');
    check(open != std::string::npos && header.find('"', open + 1) == header.find("\"; filename*=UTF-8''"),
          "a quote inside the quoted name");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static wxInitializer initializer;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\n');
    const std::string query = input.substr(0, split);
    const std::string acceptLanguage = split == std::string::npos ? std::string() : input.substr(split + 1);

    httplib::Params params;
    httplib::detail::parse_query_text(query, params);
    readQueries(params);
    for (const auto& [name, value] : params) {
        checkPathAndFormat(value);
        checkMarkup(name);
        checkMarkup(value);
    }
    checkPathAndFormat(query);
    checkMarkup(query);

    const std::string language = PageLanguage(acceptLanguage);
    check(language == "en" || language == "ru" || language == "uk", "a language the pages do not have");
    return 0;
}
