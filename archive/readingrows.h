#ifndef MORVA_ARCHIVE_READINGROWS_H
#define MORVA_ARCHIVE_READINGROWS_H

#include "archive/archivedreading.h"

#include <wx/hashmap.h>
#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

// The kept readings as a list shows them, in the order they were added:
// compact rows (the station, port and ending texts are held once however
// many readings share them), each cell's text made only when it is shown,
// so that a list of 100,000 readings costs a few megabytes.
class ReadingRows {
public:
    enum Column { Number, Started, Station, Port, Tables, Records, Ended, ColumnCount };

    // The column's translated heading.
    static wxString Heading(Column column);
    // Whether the column's texts are numbers, shown flush right.
    static bool IsNumeric(Column column);

    void Add(const ReadingSummary& reading);
    std::size_t Count() const { return m_rows.size(); }
    bool Empty() const { return m_rows.empty(); }
    // The text of a cell; `row` < Count().
    wxString Cell(std::size_t row, Column column) const;
    // The reading of a row, as far as a list holds it: its number, start,
    // station, port and device, table and record counts and its ending
    // (not its uuid, pace, version, baud or end time).
    ReadingSummary Summary(std::size_t row) const;

    // How rows `a` and `b` compare in `column`: below zero when `a` comes
    // first. Numbers compare as numbers and times as times; texts as the
    // computer's language sorts them.
    int Compare(std::size_t a, std::size_t b, Column column) const;
    // Whether a row is one of those that `filter` lists, as the archive
    // itself would choose them: the same station, the same port (its
    // name, not its device), started at or after `since`.
    bool Matches(std::size_t row, const ReadingFilter& filter) const;

private:
    struct Row {
        std::int64_t id = 0;
        std::int64_t started = 0; // milliseconds since 1970
        std::int64_t ended = -1;  // the same; -1 while interrupted
        std::int64_t records = 0;
        unsigned tables = 0;
        ReadingEnd end = ReadingEnd::Interrupted;
        std::uint32_t station = 0; // indices into m_texts
        std::uint32_t port = 0;
        std::uint32_t device = 0;
        std::uint32_t error = 0;
    };

    std::uint32_t Intern(const wxString& text);

    std::vector<Row> m_rows;
    std::vector<wxString> m_texts;
    std::unordered_map<wxString, std::uint32_t, wxStringHash, wxStringEqual> m_index;
};

#endif
