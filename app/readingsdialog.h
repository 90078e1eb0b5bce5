#ifndef MORVA_READINGSDIALOG_H
#define MORVA_READINGSDIALOG_H

#include "archive/archivedreading.h"

#include <wx/dialog.h>

#include <functional>
#include <vector>

class wxListCtrl;
class wxListEvent;

// The kept readings, newest first, with "Make report" for the one chosen
// and "Close".
class ReadingsDialog : public wxDialog {
public:
    enum { ID_List = 1, ID_MakeReport = 2 };

    using MakeReport = std::function<void(const ReadingSummary& reading)>;

    ReadingsDialog(wxWindow* parent, std::vector<ReadingSummary> readings, MakeReport makeReport);

private:
    void OnMakeReport(wxCommandEvent& event);
    void OnSelectionChanged(wxListEvent& event);

    std::vector<ReadingSummary> m_readings;
    MakeReport m_makeReport;
    wxListCtrl* m_list = nullptr;
};

#endif
