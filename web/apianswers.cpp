#include "web/apianswers.h"

#include "insight/civiltime.h"
#include "insight/columnfigures.h"
#include "insight/columnkind.h"
#include "web/readingslistpage.h"

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wxString& text) { return text.utf8_string(); }

// A time of the unit's clock as ISO 8601 writes it, without a zone.
std::string isoTime(std::int64_t seconds)
{
    const CivilTime t = CivilFromSeconds(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

nlohmann::json cellsOf(const RecordTable& table, std::size_t record)
{
    nlohmann::json cells = nlohmann::json::array();
    for (std::size_t column = 0; column < table.ColumnCount(); ++column)
        cells.push_back(std::string(table.Cell(record, column)));
    return cells;
}

nlohmann::json columnsOf(const TypedTable& table)
{
    nlohmann::json columns = nlohmann::json::array();
    for (std::size_t column = 0; column < table.ColumnCount(); ++column)
        columns.push_back({{"number", column + 1},
                           {"name", utf8(table.Records().Name(column))},
                           {"kind", ColumnKindKey(table.Kind(column))}});
    return columns;
}

} // namespace

nlohmann::json ApiAnswers::Summary(const ReadingSummary& reading)
{
    return {{"number", reading.id},
            {"uuid", utf8(reading.uuid)},
            {"started", ListedTime(reading.started)},
            {"finished", reading.ended.IsValid() ? nlohmann::json(ListedTime(reading.ended)) : nlohmann::json()},
            {"station", utf8(reading.facts.station)},
            {"port", utf8(reading.facts.port)},
            {"device", utf8(reading.facts.device)},
            {"baud", reading.facts.baud},
            {"pace", utf8(reading.facts.pace)},
            {"version", utf8(reading.facts.version)},
            {"tables", reading.tableCount},
            {"records", reading.recordCount},
            {"ended", ReadingEndKey(reading.end)},
            {"error", utf8(reading.error)}};
}

nlohmann::json ApiAnswers::Readings(const ReadingArchive::Page& page, unsigned pageNumber, unsigned perPage)
{
    nlohmann::json readings = nlohmann::json::array();
    for (const ReadingSummary& reading : page.readings)
        readings.push_back(Summary(reading));
    return {{"total", page.total}, {"page", pageNumber}, {"per_page", perPage}, {"readings", std::move(readings)}};
}

nlohmann::json ApiAnswers::Reading(const ReadingSummary& reading, const std::vector<ReadingArchive::KeptTable>& kept,
                                   const std::vector<TypedTable>& tables)
{
    nlohmann::json answer = Summary(reading);
    nlohmann::json list = nlohmann::json::array();
    for (std::size_t i = 0; i < kept.size() && i < tables.size(); ++i) {
        const TypedTable& table = tables[i];
        nlohmann::json entry{{"number", kept[i].number + 1},
                             {"header", utf8(kept[i].header)},
                             {"records", table.RecordCount()},
                             {"columns", columnsOf(table)}};
        if (const std::optional<std::size_t> measured = table.FirstMeasured()) {
            ColumnChoice choice;
            choice.column = *measured;
            choice.by = table.FirstSeries();
            entry["figures"] = Figures(table, choice);
        }
        list.push_back(std::move(entry));
    }
    answer["table_list"] = std::move(list);
    return answer;
}

nlohmann::json ApiAnswers::Records(std::int64_t reading, unsigned table, const TypedTable& typed,
                                   const std::vector<std::size_t>& chosen, std::size_t offset, std::size_t limit)
{
    nlohmann::json records = nlohmann::json::array();
    for (std::size_t i = offset; i < chosen.size() && i < offset + limit; ++i) {
        const std::size_t record = chosen[i];
        const std::optional<std::int64_t> time = typed.Time(record);
        records.push_back({{"number", record + 1},
                           {"time", time ? nlohmann::json(isoTime(*time)) : nlohmann::json()},
                           {"cells", cellsOf(typed.Records(), record)}});
    }
    nlohmann::json header = nlohmann::json::array();
    for (std::size_t column = 0; column < typed.ColumnCount(); ++column)
        header.push_back(utf8(typed.Records().Name(column)));
    return {{"reading", reading}, {"table", table},           {"header", std::move(header)},
            {"total", chosen.size()}, {"offset", offset}, {"records", std::move(records)}};
}

nlohmann::json ApiAnswers::Figures(const TypedTable& table, const ColumnChoice& choice)
{
    nlohmann::json answer{{"column", utf8(table.Records().Name(choice.column))},
                          {"by", choice.by ? nlohmann::json(utf8(table.Records().Name(*choice.by))) : nlohmann::json()}};
    nlohmann::json rows = nlohmann::json::array();
    for (const ::Figures& figures : ColumnFigures::Of(table, choice)) {
        nlohmann::json row{{"series", figures.whole ? nlohmann::json() : nlohmann::json(utf8(figures.series))},
                           {"count", figures.count},
                           {"minimum", utf8(figures.minimum)},
                           {"minimum_at", utf8(figures.minimumAt)},
                           {"maximum", utf8(figures.maximum)},
                           {"maximum_at", utf8(figures.maximumAt)},
                           {"mean", utf8(figures.mean)},
                           {"first", utf8(figures.first)},
                           {"last", utf8(figures.last)}};
        if (figures.outside) {
            row["outside"] = *figures.outside;
            row["time_outside"] = utf8(FormatDuration(figures.secondsOutside));
        }
        rows.push_back(std::move(row));
    }
    answer["figures"] = std::move(rows);
    return answer;
}

nlohmann::json ApiAnswers::Error(const std::string& message) { return {{"error", message}}; }
