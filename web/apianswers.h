#ifndef MORVA_WEB_APIANSWERS_H
#define MORVA_WEB_APIANSWERS_H

#include "archive/readingarchive.h"
#include "insight/columnchoice.h"
#include "insight/typedtable.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The answers of the interface for scripts, as JSON: the numbers and names
// of the headless reader's archive list and archive stats.
class ApiAnswers {
public:
    // GET /api/readings: one page of the list.
    static nlohmann::json Readings(const ReadingArchive::Page& page, unsigned pageNumber, unsigned perPage);
    // GET /api/readings/N: the reading with its tables, each with its
    // columns and the figures of its first column of numbers (as archive
    // stats gives them without options); `tables` typed in the order of
    // `kept`.
    static nlohmann::json Reading(const ReadingSummary& reading, const std::vector<ReadingArchive::KeptTable>& kept,
                                  const std::vector<TypedTable>& tables);
    // GET /api/readings/N/tables/T/records: the records `chosen` of the
    // table, `offset` on, at most `limit`.
    static nlohmann::json Records(std::int64_t reading, unsigned table, const TypedTable& typed,
                                  const std::vector<std::size_t>& chosen, std::size_t offset, std::size_t limit);
    // The figures of a column per series and for the whole table.
    static nlohmann::json Figures(const TypedTable& table, const ColumnChoice& choice);
    // An error's answer: {"error": message}.
    static nlohmann::json Error(const std::string& message);

    static nlohmann::json Summary(const ReadingSummary& reading);
};

#endif
