#include "app/readingslist.h"

#include "archive/readingrows.h"

#include <algorithm>

namespace {

// Rows measured for the columns' widths.
constexpr long FittedRows = 200;
// Room beside a cell's text: the toolkit's padding, and the heading's
// sort arrow.
constexpr int CellMargin = 24;

} // namespace

ReadingsList::ReadingsList(wxWindow* parent, wxWindowID id)
    : wxListCtrl(parent, id, wxDefaultPosition, wxSize(720, 300), wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_VIRTUAL)
{
    for (int c = 0; c < ReadingRows::ColumnCount; ++c) {
        const auto column = static_cast<ReadingRows::Column>(c);
        AppendColumn(ReadingRows::Heading(column),
                     ReadingRows::IsNumeric(column) ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT);
        SetColumnWidth(c, GetTextExtent(ReadingRows::Heading(column)).x + CellMargin);
    }
}

void ReadingsList::ShowRows(const ReadingRows* rows)
{
    m_rows = rows;
    m_fitted = 0;
    SetItemCount(0);
    Grew();
    if (GetItemCount() > 0)
        SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

void ReadingsList::Grew()
{
    const long count = m_rows ? static_cast<long>(m_rows->Count()) : 0;
    FitColumns(m_fitted, std::min(count, FittedRows));
    m_fitted = std::max(m_fitted, std::min(count, FittedRows));
    SetItemCount(count);
    Refresh();
}

long ReadingsList::Selected() const { return GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }

wxString ReadingsList::OnGetItemText(long item, long column) const
{
    if (!m_rows || item < 0 || static_cast<std::size_t>(item) >= m_rows->Count() || column < 0
        || column >= ReadingRows::ColumnCount)
        return wxString();
    return m_rows->Cell(static_cast<std::size_t>(item), static_cast<ReadingRows::Column>(column));
}

void ReadingsList::FitColumns(long from, long to)
{
    for (int c = 0; c < ReadingRows::ColumnCount; ++c) {
        int width = GetColumnWidth(c);
        for (long row = from; row < to; ++row)
            width = std::max(width, GetTextExtent(OnGetItemText(row, c)).x + CellMargin);
        if (width != GetColumnWidth(c))
            SetColumnWidth(c, width);
    }
}
