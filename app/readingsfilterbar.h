#ifndef MORVA_READINGSFILTERBAR_H
#define MORVA_READINGSFILTERBAR_H

#include "archive/archivedreading.h"

#include <wx/panel.h>

#include <set>

class wxCheckBox;
class wxChoice;
class wxDatePickerCtrl;

// The choice of which kept readings a list shows, as the headless reader's
// "archive list --station --port --since" makes it: a station and a port of
// those seen so far (or all), and a first day (or none). Tells its parent
// of every change with an event of type wxEVT_CHOICE and its own id.
class ReadingsFilterBar : public wxPanel {
public:
    enum { ID_Station = 11, ID_Port = 12, ID_SinceCheck = 13, ID_Since = 14 };

    ReadingsFilterBar(wxWindow* parent, wxWindowID id);

    // Offers the station and port of `reading` when they are new.
    void Offer(const ReadingSummary& reading);
    // Offers none: all, from a list started again.
    void Forget();
    ReadingFilter Filter() const;

private:
    void Changed(wxCommandEvent& event);
    static void OfferIn(wxChoice& choice, std::set<wxString>& seen, const wxString& text);

    wxChoice* m_station = nullptr;
    wxChoice* m_port = nullptr;
    wxCheckBox* m_sinceCheck = nullptr;
    wxDatePickerCtrl* m_since = nullptr;
    std::set<wxString> m_stations;
    std::set<wxString> m_ports;
};

#endif
