#ifndef MORVA_READINGSLIST_H
#define MORVA_READINGSLIST_H

#include <wx/listctrl.h>

class ReadingRows;

// A list of kept readings that asks its rows for the texts it shows, so
// that it opens at once however many readings there are. Its columns are
// wide enough for their headings and for the widest texts of the rows seen
// so far.
class ReadingsList : public wxListCtrl {
public:
    ReadingsList(wxWindow* parent, wxWindowID id);

    // Shows `rows` (null: none), which must outlive the list or the next
    // call; the selection goes to the first row.
    void ShowRows(const ReadingRows* rows);
    // `rows` has grown.
    void Grew();
    // The selected row, or -1.
    long Selected() const;

private:
    wxString OnGetItemText(long item, long column) const override;
    // Widens the columns for rows [from, to).
    void FitColumns(long from, long to);

    const ReadingRows* m_rows = nullptr;
    // Rows looked at for the columns' widths; a few screens are enough.
    long m_fitted = 0;
};

#endif
