#include "app/recordgrid.h"

#include <wx/intl.h>
#include <wx/menu.h>

#include <algorithm>

namespace {

// Records measured for the columns' widths.
constexpr std::size_t FittedRecords = 100;

} // namespace

RecordGrid::RecordGrid(wxWindow* parent, wxWindowID id, const TypedTable& table, KindChosen kindChosen)
    : wxListCtrl(parent, id, wxDefaultPosition, wxSize(360, 200), wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL)
    , m_table(table)
    , m_kindChosen(std::move(kindChosen))
{
    SetName(_("Records"));
    const RecordTable& records = table.Records();
    const int margin = FromDIP(16);
    for (std::size_t c = 0; c < table.ColumnCount(); ++c) {
        const ColumnKind kind = table.Kind(c);
        const bool right = kind == ColumnKind::Number || kind == ColumnKind::RunningNumber;
        AppendColumn(records.Name(c), right ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT);
        int width = GetTextExtent(records.Name(c)).x + margin;
        for (std::size_t r = 0; r < std::min(FittedRecords, table.RecordCount()); ++r)
            width = std::max(width, GetTextExtent(records.CellText(r, c)).x + margin);
        SetColumnWidth(static_cast<int>(c), std::min(width, FromDIP(320)));
    }
    SetItemCount(static_cast<long>(table.RecordCount()));
    Bind(wxEVT_LIST_COL_RIGHT_CLICK, [this](wxListEvent& event) {
        if (event.GetColumn() >= 0)
            OfferKinds(static_cast<std::size_t>(event.GetColumn()));
    });
}

const std::vector<ColumnKind>& RecordGrid::Kinds()
{
    static const std::vector<ColumnKind> kinds{ColumnKind::Number, ColumnKind::Series,   ColumnKind::Text,
                                               ColumnKind::Date,   ColumnKind::Time,     ColumnKind::DateTime,
                                               ColumnKind::RunningNumber, ColumnKind::Empty};
    return kinds;
}

void RecordGrid::OfferKinds(std::size_t column)
{
    if (column >= m_table.ColumnCount())
        return;
    wxMenu menu(wxString::Format(_("What \"%s\" holds"), m_table.Records().Name(column)));
    int id = 1;
    for (const ColumnKind kind : Kinds()) {
        menu.AppendRadioItem(id, ColumnKindText(kind))->Check(m_table.Kind(column) == kind);
        ++id;
    }
    const int chosen = GetPopupMenuSelectionFromUser(menu);
    if (chosen >= 1 && chosen < id)
        m_kindChosen(column, Kinds()[static_cast<std::size_t>(chosen - 1)]);
}

wxString RecordGrid::OnGetItemText(long item, long column) const
{
    if (item < 0 || column < 0 || static_cast<std::size_t>(item) >= m_table.RecordCount())
        return wxString();
    return m_table.Records().CellText(static_cast<std::size_t>(item), static_cast<std::size_t>(column));
}
