#include "app/readingsdialog.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

ReadingsDialog::ReadingsDialog(wxWindow* parent, std::vector<ReadingSummary> readings, MakeReport makeReport)
    : wxDialog(parent, wxID_ANY, _("Kept readings"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
    , m_readings(std::move(readings))
    , m_makeReport(std::move(makeReport))
{
    m_list = new wxListCtrl(this, ID_List, wxDefaultPosition, wxSize(640, 300),
                            wxLC_REPORT | wxLC_SINGLE_SEL);
    m_list->AppendColumn(_("No."), wxLIST_FORMAT_RIGHT);
    m_list->AppendColumn(_("Started"));
    m_list->AppendColumn(_("Station"));
    m_list->AppendColumn(_("Port"));
    m_list->AppendColumn(_("Tables"), wxLIST_FORMAT_RIGHT);
    m_list->AppendColumn(_("Records"), wxLIST_FORMAT_RIGHT);
    m_list->AppendColumn(_("Ended"));
    for (std::size_t i = 0; i < m_readings.size(); ++i) {
        const ReadingSummary& r = m_readings[i];
        const long row = m_list->InsertItem(static_cast<long>(i), wxString::Format("%lld", static_cast<long long>(r.id)));
        m_list->SetItem(row, 1, r.started.Format("%d.%m.%Y %H:%M:%S"));
        m_list->SetItem(row, 2, r.facts.station);
        m_list->SetItem(row, 3, r.facts.port == r.facts.device ? r.facts.port
                                                                : r.facts.port + " (" + r.facts.device + ")");
        m_list->SetItem(row, 4, wxString::Format("%u", r.tableCount));
        m_list->SetItem(row, 5, wxString::Format("%lld", static_cast<long long>(r.recordCount)));
        m_list->SetItem(row, 6, r.error.empty() ? ReadingEndText(r.end) : ReadingEndText(r.end) + ": " + r.error);
    }
    for (int column = 0; column < m_list->GetColumnCount(); ++column)
        m_list->SetColumnWidth(column, m_readings.empty() ? wxLIST_AUTOSIZE_USEHEADER : wxLIST_AUTOSIZE);

    auto* make = new wxButton(this, ID_MakeReport, _("Make report"));
    auto* close = new wxButton(this, wxID_CANCEL, _("Close"));
    make->Enable(false);
    SetEscapeId(wxID_CANCEL);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    buttons->Add(make, 0, wxALL, 3);
    buttons->Add(close, 0, wxALL, 3);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_list, 1, wxEXPAND | wxALL, 6);
    column->Add(buttons, 0, wxEXPAND | wxALL, 3);
    SetSizerAndFit(column);

    Bind(wxEVT_BUTTON, &ReadingsDialog::OnMakeReport, this, ID_MakeReport);
    m_list->Bind(wxEVT_LIST_ITEM_SELECTED, &ReadingsDialog::OnSelectionChanged, this);
    m_list->Bind(wxEVT_LIST_ITEM_DESELECTED, &ReadingsDialog::OnSelectionChanged, this);
    if (!m_readings.empty()) {
        m_list->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        make->Enable(true);
    }
    CentreOnParent();
}

void ReadingsDialog::OnSelectionChanged(wxListEvent&)
{
    FindWindow(ID_MakeReport)->Enable(m_list->GetSelectedItemCount() > 0);
}

void ReadingsDialog::OnMakeReport(wxCommandEvent&)
{
    const long row = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (row >= 0 && static_cast<std::size_t>(row) < m_readings.size())
        m_makeReport(m_readings[static_cast<std::size_t>(row)]);
}
