#ifndef MORVA_READINGSLIST_H
#define MORVA_READINGSLIST_H

#include "archive/archivedreading.h"
#include "archive/readingrows.h"

#include <wx/listctrl.h>

#include <cstddef>
#include <optional>
#include <vector>

// A list of kept readings that asks its rows for the texts it shows, so
// that it opens at once however many readings there are. It shows the rows
// a filter lets through, in the archive's order or sorted by a column the
// operator clicks (again: the other way round). Its columns are wide
// enough for their headings and for the widest texts of the rows seen so
// far.
class ReadingsList : public wxListCtrl {
public:
    ReadingsList(wxWindow* parent, wxWindowID id);

    // Shows `rows` (null: none) that `filter` lets through; `rows` must
    // outlive the list or the next call. The selection goes to the first
    // line.
    void ShowRows(const ReadingRows* rows, const ReadingFilter& filter = ReadingFilter());
    // `rows` has grown; the reading selected stays selected.
    void Grew();
    // Shows only the rows that `filter` lets through; the reading selected
    // stays selected when it is among them, else the first line is.
    void Filter(const ReadingFilter& filter);
    // Sorts the lines by `column`, or back in the archive's order without
    // one; the reading selected stays selected.
    void SortBy(std::optional<ReadingRows::Column> column, bool ascending = true);
    std::optional<ReadingRows::Column> SortColumn() const { return m_sortColumn; }
    bool SortsAscending() const { return m_ascending; }

    // The selected line, or -1.
    long Selected() const;
    // The row of `rows` that the selected line shows.
    std::optional<std::size_t> SelectedRow() const;

private:
    wxString OnGetItemText(long item, long column) const override;
    void OnColumnClick(wxListEvent& event);
    // Lines up the rows again, from the first; selects `keep`'s line, or
    // the first line when it is not shown.
    void Arrange(std::optional<std::size_t> keep);
    void Sort();
    void Select(long line);
    // Widens the columns for lines [from, to).
    void FitColumns(long from, long to);
    void FitHeadings();

    const ReadingRows* m_rows = nullptr;
    ReadingFilter m_filter;
    std::optional<ReadingRows::Column> m_sortColumn;
    bool m_ascending = true;
    // The rows shown, line by line, and how many of m_rows were looked at.
    std::vector<std::size_t> m_lines;
    std::size_t m_looked = 0;
    // Lines looked at for the columns' widths; a few screens are enough.
    long m_fitted = 0;
};

#endif
