#include "app/readingslist.h"

#include <wx/intl.h>
#include <wx/renderer.h>

#include <algorithm>

namespace {

// Lines measured for the columns' widths.
constexpr long FittedRows = 200;

} // namespace

ReadingsList::ReadingsList(wxWindow* parent, wxWindowID id)
    : wxListCtrl(parent, id, wxDefaultPosition, wxSize(720, 300), wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_VIRTUAL)
{
    SetName(_("Kept readings"));
    for (int c = 0; c < ReadingRows::ColumnCount; ++c) {
        const auto column = static_cast<ReadingRows::Column>(c);
        AppendColumn(ReadingRows::Heading(column),
                     ReadingRows::IsNumeric(column) ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT);
    }
    FitHeadings();
    Bind(wxEVT_LIST_COL_CLICK, &ReadingsList::OnColumnClick, this);
}

void ReadingsList::ShowRows(const ReadingRows* rows, const ReadingFilter& filter)
{
    m_rows = rows;
    m_filter = filter;
    m_fitted = 0;
    Arrange(std::nullopt);
}

void ReadingsList::Grew()
{
    const std::optional<std::size_t> selected = SelectedRow();
    const std::size_t count = m_rows ? m_rows->Count() : 0;
    for (; m_looked < count; ++m_looked) {
        if (m_rows->Matches(m_looked, m_filter))
            m_lines.push_back(m_looked);
    }
    if (m_sortColumn)
        Sort();
    const long shown = static_cast<long>(m_lines.size());
    FitColumns(m_fitted, std::min(shown, FittedRows));
    m_fitted = std::max(m_fitted, std::min(shown, FittedRows));
    SetItemCount(shown);
    if (selected) {
        const auto line = std::find(m_lines.begin(), m_lines.end(), *selected);
        Select(static_cast<long>(line - m_lines.begin()));
    } else if (shown > 0 && Selected() < 0) {
        Select(0);
    }
    Refresh();
}

void ReadingsList::Filter(const ReadingFilter& filter)
{
    m_filter = filter;
    Arrange(SelectedRow());
}

void ReadingsList::SortBy(std::optional<ReadingRows::Column> column, bool ascending)
{
    m_sortColumn = column;
    m_ascending = ascending;
    if (column)
        ShowSortIndicator(*column, ascending);
    else
        RemoveSortIndicator();
    Arrange(SelectedRow());
}

long ReadingsList::Selected() const { return GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }

std::optional<std::size_t> ReadingsList::SelectedRow() const
{
    const long line = Selected();
    if (line < 0 || static_cast<std::size_t>(line) >= m_lines.size())
        return std::nullopt;
    return m_lines[static_cast<std::size_t>(line)];
}

wxString ReadingsList::OnGetItemText(long item, long column) const
{
    if (!m_rows || item < 0 || static_cast<std::size_t>(item) >= m_lines.size() || column < 0
        || column >= ReadingRows::ColumnCount)
        return wxString();
    return m_rows->Cell(m_lines[static_cast<std::size_t>(item)], static_cast<ReadingRows::Column>(column));
}

void ReadingsList::OnColumnClick(wxListEvent& event)
{
    const int column = event.GetColumn();
    if (column < 0 || column >= ReadingRows::ColumnCount)
        return;
    const auto clicked = static_cast<ReadingRows::Column>(column);
    SortBy(clicked, m_sortColumn == clicked ? !m_ascending : true);
}

void ReadingsList::Arrange(std::optional<std::size_t> keep)
{
    m_lines.clear();
    m_looked = 0;
    // Nothing selected while the lines change, so that Grew keeps only `keep`.
    const long old = Selected();
    if (old >= 0)
        SetItemState(old, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    SetItemCount(0);
    Grew();
    if (keep) {
        const auto line = std::find(m_lines.begin(), m_lines.end(), *keep);
        Select(line == m_lines.end() ? 0 : static_cast<long>(line - m_lines.begin()));
    }
}

void ReadingsList::Sort()
{
    const ReadingRows::Column column = *m_sortColumn;
    const bool ascending = m_ascending;
    const ReadingRows& rows = *m_rows;
    // Equal cells stay in the archive's order, whichever the direction.
    std::sort(m_lines.begin(), m_lines.end(), [&](std::size_t a, std::size_t b) {
        const int order = rows.Compare(a, b, column);
        if (order == 0)
            return a < b;
        return ascending ? order < 0 : order > 0;
    });
}

void ReadingsList::Select(long line)
{
    if (line < 0 || line >= GetItemCount())
        return;
    const long old = Selected();
    if (old >= 0 && old != line)
        SetItemState(old, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    SetItemState(line, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    EnsureVisible(line);
}

void ReadingsList::FitColumns(long from, long to)
{
    const int margin = 2 * wxRendererNative::Get().GetHeaderButtonMargin(this) + FromDIP(8);
    for (int c = 0; c < ReadingRows::ColumnCount; ++c) {
        int width = GetColumnWidth(c);
        for (long row = from; row < to; ++row)
            width = std::max(width, GetTextExtent(OnGetItemText(row, c)).x + margin);
        if (width != GetColumnWidth(c))
            SetColumnWidth(c, width);
    }
}

void ReadingsList::FitHeadings()
{
    // A heading is drawn by the desktop's header button, with a margin on
    // either side and room for the sort arrow.
    const int margin = wxRendererNative::Get().GetHeaderButtonMargin(this);
    for (int c = 0; c < ReadingRows::ColumnCount; ++c) {
        const int text = GetTextExtent(ReadingRows::Heading(static_cast<ReadingRows::Column>(c))).x;
        SetColumnWidth(c, text + 4 * margin + FromDIP(16));
    }
}
