#include "app/readingsfilterbar.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

ReadingsFilterBar::ReadingsFilterBar(wxWindow* parent, wxWindowID id)
    : wxPanel(parent, id)
{
    SetName(_("Which readings"));
    // Each control follows its label, so that a screen reader names it and
    // the keyboard reaches them in reading order.
    auto* stationLabel = new wxStaticText(this, wxID_ANY, _("Station:"));
    m_station = new wxChoice(this, ID_Station);
    m_station->SetName(_("Station:"));
    m_station->Append(_("All stations"));
    m_station->SetSelection(0);
    auto* portLabel = new wxStaticText(this, wxID_ANY, _("Port:"));
    m_port = new wxChoice(this, ID_Port);
    m_port->SetName(_("Port:"));
    m_port->Append(_("All ports"));
    m_port->SetSelection(0);
    m_sinceCheck = new wxCheckBox(this, ID_SinceCheck, _("Started since:"));
    m_since = new wxDatePickerCtrl(this, ID_Since, wxDateTime::Today(), wxDefaultPosition, wxDefaultSize,
                                   wxDP_DROPDOWN | wxDP_SHOWCENTURY);
    m_since->SetName(_("Started since:"));
    m_since->Enable(false);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    const auto add = [&](wxWindow* control, int gap) {
        row->Add(control, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(gap));
    };
    add(stationLabel, 4);
    add(m_station, 12);
    add(portLabel, 4);
    add(m_port, 12);
    add(m_sinceCheck, 4);
    add(m_since, 0);
    SetSizer(row);

    Bind(wxEVT_CHOICE, &ReadingsFilterBar::Changed, this, ID_Station);
    Bind(wxEVT_CHOICE, &ReadingsFilterBar::Changed, this, ID_Port);
    Bind(wxEVT_CHECKBOX, &ReadingsFilterBar::Changed, this, ID_SinceCheck);
    Bind(wxEVT_DATE_CHANGED, [this](wxDateEvent& event) { Changed(event); }, ID_Since);
}

void ReadingsFilterBar::Offer(const ReadingSummary& reading)
{
    OfferIn(*m_station, m_stations, reading.facts.station);
    OfferIn(*m_port, m_ports, reading.facts.port);
}

void ReadingsFilterBar::Forget()
{
    for (wxChoice* choice : {m_station, m_port}) {
        while (choice->GetCount() > 1)
            choice->Delete(1);
        choice->SetSelection(0);
    }
    m_stations.clear();
    m_ports.clear();
}

ReadingFilter ReadingsFilterBar::Filter() const
{
    ReadingFilter filter;
    if (m_station->GetSelection() > 0)
        filter.station = m_station->GetStringSelection();
    if (m_port->GetSelection() > 0)
        filter.port = m_port->GetStringSelection();
    if (m_sinceCheck->IsChecked())
        filter.since = m_since->GetValue().GetDateOnly();
    return filter;
}

void ReadingsFilterBar::Changed(wxCommandEvent&)
{
    m_since->Enable(m_sinceCheck->IsChecked());
    wxCommandEvent changed(wxEVT_CHOICE, GetId());
    changed.SetEventObject(this);
    ProcessWindowEvent(changed);
}

void ReadingsFilterBar::OfferIn(wxChoice& choice, std::set<wxString>& seen, const wxString& text)
{
    if (text.empty() || !seen.insert(text).second)
        return;
    choice.Append(text);
}
