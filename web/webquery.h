#ifndef MORVA_WEB_WEBQUERY_H
#define MORVA_WEB_WEBQUERY_H

#include "insight/readingpart.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

// The parameters of a request as the server hands them over: names and
// values percent-decoded, a name as often as it was given.
using QueryParams = std::multimap<std::string, std::string>;

// A request whose parameters cannot be used. what() is an English message
// for the answer's body naming the parameter; it shows at most about 60
// bytes of the value (its valid UTF-8 only) and is plain text, to be
// escaped wherever it goes into a page.
class BadQuery : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Each query below is read by its From, which throws BadQuery for a
// parameter given twice, a parameter it does not know, a text longer than
// 200 bytes, with control characters or not valid UTF-8, a number that is
// not decimal digits alone (no sign, no leading zero) or is out of range.
// An empty value counts as not given, as a browser's form sends "station=".

// The list of readings (/readings, /api/readings): station, port, since
// (YYYY-MM-DD, a real date), page (1 to 1000000), per_page (1 to 500).
struct ListQuery {
    std::string station;
    std::string port;
    std::optional<std::string> since;
    unsigned page = 1;
    unsigned perPage = 50;

    static ListQuery From(const QueryParams& params);
};

// A part of a reading by time and series: since and until as the operator
// writes a time (ReadingPart::ParseWhen; a day alone of until is its last
// second), series as any text. `alsoAllowed` names the parameters of the
// query around the part, which the part leaves alone.
struct PartQuery {
    std::optional<std::int64_t> since;
    std::optional<std::int64_t> until;
    std::optional<std::string> sinceText; // as given, to fill a form again
    std::optional<std::string> untilText;
    std::optional<std::string> series;

    static PartQuery From(const QueryParams& params, std::initializer_list<const char*> alsoAllowed = {});
    ReadingPart ToPart(std::optional<unsigned> table) const;
};

// A reading's report to download (/readings/N/report.FORMAT): table (1 to
// 4096, none for the whole reading) and the part.
struct ReportQuery {
    std::optional<unsigned> table;
    PartQuery part;

    static ReportQuery From(const QueryParams& params);
    ReadingPart ToPart() const { return part.ToPart(table); }
};

// A table's records for scripts (/api/readings/N/tables/T/records): the
// part, offset (0 to 100000000) and limit (1 to 10000).
struct RecordsQuery {
    PartQuery part;
    unsigned offset = 0;
    unsigned limit = 100;

    static RecordsQuery From(const QueryParams& params);
};

// A limit of the chart: the text as given, and its value.
struct ChartLimit {
    std::string text;
    double value = 0;
};

// A reading's page (/readings/N): the table shown (1 to 4096), the column
// charted and the column whose values tell its series (by name), the
// chart's lower and upper limits (numbers with a decimal point or comma),
// the part, and the page of its records (1 to 1000000).
struct ChartQuery {
    unsigned table = 1;
    std::optional<std::string> column;
    std::optional<std::string> by;
    std::optional<ChartLimit> lower;
    std::optional<ChartLimit> upper;
    PartQuery part;
    unsigned page = 1;

    static ChartQuery From(const QueryParams& params);
    ReadingPart ToPart() const { return part.ToPart(table); }
};

// A reading's or a table's number from a segment of the path: digits
// alone, no sign, no leading zero, from 1 to `max`.
std::optional<std::int64_t> PathNumber(const std::string& segment, std::int64_t max);

// The report format (ReadingReport's numbering) of a download's extension:
// rtf, html, txt, csv, xlsx.
std::optional<int> ReportFormatOf(const std::string& extension);

#endif
