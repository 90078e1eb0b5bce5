#ifndef MORVA_RECORDGRID_H
#define MORVA_RECORDGRID_H

#include "insight/columnkind.h"
#include "insight/typedtable.h"

#include <wx/listctrl.h>

#include <functional>
#include <vector>

// A table's records as the unit wrote them, in columns named by their
// headings; it asks the table for the texts it shows, so that it opens at
// once however many records there are. A right click on a heading (or the
// menu key) offers the column's kinds, for the operator to change what a
// column holds.
class RecordGrid : public wxListCtrl {
public:
    using KindChosen = std::function<void(std::size_t column, ColumnKind kind)>;

    RecordGrid(wxWindow* parent, wxWindowID id, const TypedTable& table, KindChosen kindChosen);

    // The menu of kinds for `column`, its own ticked.
    void OfferKinds(std::size_t column);
    // The kinds an operator may give a column, in the order offered.
    static const std::vector<ColumnKind>& Kinds();

private:
    wxString OnGetItemText(long item, long column) const override;

    const TypedTable& m_table;
    KindChosen m_kindChosen;
};

#endif
