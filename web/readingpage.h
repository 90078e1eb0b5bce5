#ifndef MORVA_WEB_READINGPAGE_H
#define MORVA_WEB_READINGPAGE_H

#include "archive/readingarchive.h"
#include "insight/columnrequest.h"
#include "insight/typedtable.h"
#include "web/pagetext.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a reading's page shows of it: which table (counted from 1), the
// column charted with its series column and limits, the part of the
// records (a time range, a series) and the page of them.
struct ReadingView {
    unsigned table = 1;
    ColumnRequest column;
    std::optional<std::int64_t> since;
    std::optional<std::int64_t> until;
    std::optional<std::string> sinceText;
    std::optional<std::string> untilText;
    std::optional<std::string> series;
    unsigned page = 1;

    static constexpr unsigned RecordsPerPage = 100;

    // The query of this view with another page, or of a download, for a link.
    std::string Query(std::optional<unsigned> otherPage = std::nullopt) const;
    std::string PartQuery() const;
    // The records of `table` in the part chosen: within the time range (a
    // record without a time is not), of the series by the table's first
    // series column.
    std::vector<std::size_t> PartOf(const TypedTable& table) const;
};

// A reading's page: its facts, its tables, the chosen table's figures and
// chart (inline SVG), a page of its records and the downloads of its report.
class ReadingPage {
public:
    ReadingPage(const ReadingSummary& reading, const std::vector<ReadingArchive::KeptTable>& tables,
                const ReadingView& view, const PageText& text);

    // `table`: the chosen one, typed; none when the reading has no tables.
    std::string Write(const TypedTable* table, bool loggedIn) const;

private:
    std::string Facts() const;
    std::string TableLinks() const;
    std::string Choices(const TypedTable& table, const std::optional<ColumnChoice>& choice) const;
    // `error` says why there is no choice.
    std::string FiguresAndChart(const TypedTable& table, std::optional<ColumnChoice> choice,
                                const wxString& error) const;
    std::string Records(const TypedTable& table) const;
    std::string Downloads() const;

    const ReadingSummary& m_reading;
    const std::vector<ReadingArchive::KeptTable>& m_tables;
    const ReadingView& m_view;
    const PageText& m_text;
};

#endif
