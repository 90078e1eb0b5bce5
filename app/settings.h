#ifndef MORVA_SETTINGS_H
#define MORVA_SETTINGS_H

#include "buslib/serial/pace.h"
#include "buslib/serial/portname.h"

#include <wx/string.h>

// What the program remembers between runs besides the language: the serial
// port and the report folder. The application reads it from the settings
// file at start, the window shows it and fills it again when it closes.
struct Settings {
    // Ports COM1 to COM256.
    static constexpr int PortCount = morva_velox::LastComPort;

    // 1-based: 1 means COM1; anything outside 1 to PortCount chooses none.
    int serialPort = 0;
    wxString reportFolder;
    // The pace of the unit's port (PaceSetting): read from the settings
    // file, never written to it.
    morva_velox::Pace pace = morva_velox::Pace::Design;
    // "Only new records"; written to the settings file only once the
    // operator has changed it.
    bool onlyNew = false;
    bool onlyNewChanged = false;

    // The entry of the port list to select, or wxNOT_FOUND.
    int PortSelection() const;
    // Takes the port list's selection; no selection stores 0.
    void SetPortFromSelection(int selection);
};

#endif
