#include "web/webquery.h"

#include "insight/cellparsing.h"
#include "insight/readingreport.h"
#include "web/utf8text.h"

#include <wx/string.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t LongestText = 200; // bytes of a value
constexpr std::size_t ShownBytes = 60;   // of a value in a message

constexpr unsigned LastPage = 1000000;
constexpr unsigned LargestPerPage = 500;
constexpr unsigned LastTable = 4096;
constexpr unsigned LargestOffset = 100000000;
constexpr unsigned LargestLimit = 10000;

std::string quoted(std::string_view text)
{
    return "\"" + Utf8Text::Shown(text, ShownBytes) + "\"";
}

[[noreturn]] void refuse(std::string_view name, const std::string& why)
{
    throw BadQuery("parameter " + quoted(name) + " " + why);
}

void checkText(const std::string& name, const std::string& value)
{
    if (value.size() > LongestText)
        refuse(name, "is longer than " + std::to_string(LongestText) + " bytes");
    if (!Utf8Text::Valid(value))
        refuse(name, "is not valid UTF-8");
    for (std::string_view rest = value; !rest.empty(); rest.remove_prefix(Utf8Text::CharacterLength(rest)))
        if (Utf8Text::StartsWithControl(rest))
            refuse(name, "holds a control character");
}

// Every parameter of `params` is one of `known` (or of `alsoKnown`), given
// once, its value a text that may be used.
void checkAll(const QueryParams& params, std::initializer_list<const char*> known,
              std::initializer_list<const char*> alsoKnown = {})
{
    const auto knows = [](std::initializer_list<const char*> names, const std::string& name) {
        return std::any_of(names.begin(), names.end(), [&name](const char* each) { return name == each; });
    };
    for (const auto& [name, value] : params) {
        if (!knows(known, name) && !knows(alsoKnown, name))
            throw BadQuery("unknown parameter " + quoted(name));
        if (params.count(name) > 1)
            refuse(name, "is given more than once");
        checkText(name, value);
    }
}

// Decimal digits alone, no sign, no leading zero ("0" itself is one).
bool plainDecimal(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })
        && (text.size() == 1 || text[0] != '0');
}

// A parameter's value; none when it is not given or empty.
std::optional<std::string> text(const QueryParams& params, const char* name)
{
    const auto found = params.find(name);
    if (found == params.end() || found->second.empty())
        return std::nullopt;
    return found->second;
}

// A whole number from `low` to `high`: decimal digits alone, no sign, no
// leading zero.
std::optional<unsigned> number(const QueryParams& params, const char* name, unsigned low, unsigned high)
{
    const std::optional<std::string> given = text(params, name);
    if (!given)
        return std::nullopt;
    const std::string& digits = *given;
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    const bool read = plainDecimal(digits) && error == std::errc() && end == digits.data() + digits.size();
    if (!read || value < low || value > high)
        refuse(name, "needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", not "
                         + quoted(digits));
    return static_cast<unsigned>(value);
}

// A day as YYYY-MM-DD that the calendar has.
std::optional<std::string> day(const QueryParams& params, const char* name)
{
    const std::optional<std::string> given = text(params, name);
    if (!given)
        return std::nullopt;
    const std::string& day = *given;
    const bool shaped = day.size() == 10 && day[4] == '-' && day[7] == '-';
    if (!shaped || !ParseDate(day))
        refuse(name, "needs a day as YYYY-MM-DD, not " + quoted(day));
    return day;
}

std::optional<std::int64_t> when(const std::optional<std::string>& given, const char* name, bool endOfDay)
{
    if (!given)
        return std::nullopt;
    const std::optional<std::int64_t> seconds = ReadingPart::ParseWhen(wxString::FromUTF8(*given), endOfDay);
    if (!seconds)
        refuse(name, "is not a date, nor a date and a time such as 2024-03-14 08:25: " + quoted(*given));
    return seconds;
}

std::optional<ChartLimit> limit(const QueryParams& params, const char* name)
{
    const std::optional<std::string> given = text(params, name);
    if (!given)
        return std::nullopt;
    const std::optional<CellNumber> parsed = ParseNumber(*given);
    if (!parsed || !std::isfinite(parsed->value))
        refuse(name, "needs a number such as 12.5 or 12,5, not " + quoted(*given));
    return ChartLimit{*given, parsed->value};
}

} // namespace

ListQuery ListQuery::From(const QueryParams& params)
{
    checkAll(params, {"station", "port", "since", "page", "per_page"});
    ListQuery query;
    query.station = text(params, "station").value_or("");
    query.port = text(params, "port").value_or("");
    query.since = day(params, "since");
    query.page = number(params, "page", 1, LastPage).value_or(query.page);
    query.perPage = number(params, "per_page", 1, LargestPerPage).value_or(query.perPage);
    return query;
}

PartQuery PartQuery::From(const QueryParams& params, std::initializer_list<const char*> alsoAllowed)
{
    checkAll(params, {"since", "until", "series"}, alsoAllowed);
    PartQuery query;
    query.sinceText = text(params, "since");
    query.untilText = text(params, "until");
    query.series = text(params, "series");
    query.since = when(query.sinceText, "since", false);
    query.until = when(query.untilText, "until", true);
    return query;
}

ReadingPart PartQuery::ToPart(std::optional<unsigned> table) const
{
    ReadingPart part;
    part.table = table;
    part.since = since;
    part.until = until;
    if (series)
        part.series = wxString::FromUTF8(*series);
    return part;
}

ReportQuery ReportQuery::From(const QueryParams& params)
{
    ReportQuery query;
    query.part = PartQuery::From(params, {"table"});
    query.table = number(params, "table", 1, LastTable);
    return query;
}

RecordsQuery RecordsQuery::From(const QueryParams& params)
{
    RecordsQuery query;
    query.part = PartQuery::From(params, {"offset", "limit"});
    query.offset = number(params, "offset", 0, LargestOffset).value_or(query.offset);
    query.limit = number(params, "limit", 1, LargestLimit).value_or(query.limit);
    return query;
}

ChartQuery ChartQuery::From(const QueryParams& params)
{
    ChartQuery query;
    query.part = PartQuery::From(params, {"table", "column", "by", "lower", "upper", "page"});
    query.table = number(params, "table", 1, LastTable).value_or(query.table);
    query.column = text(params, "column");
    query.by = text(params, "by");
    query.lower = limit(params, "lower");
    query.upper = limit(params, "upper");
    query.page = number(params, "page", 1, LastPage).value_or(query.page);
    return query;
}

std::optional<std::int64_t> PathNumber(const std::string& segment, std::int64_t max)
{
    if (!plainDecimal(segment))
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(segment.data(), segment.data() + segment.size(), value);
    if (error != std::errc() || end != segment.data() + segment.size() || value < 1 || value > max)
        return std::nullopt;
    return value;
}

std::optional<int> ReportFormatOf(const std::string& extension)
{
    // In ReadingReport's order: the report writers', then the workbook's.
    static constexpr std::string_view Extensions[] = {"rtf", "html", "txt", "csv", "xlsx"};
    static_assert(std::size(Extensions) == ReadingReport::FormatCount && ReadingReport::Xlsx == 4);
    for (int format = 0; format < static_cast<int>(std::size(Extensions)); ++format)
        if (extension == Extensions[format])
            return format;
    return std::nullopt;
}
