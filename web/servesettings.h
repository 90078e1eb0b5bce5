#ifndef MORVA_WEB_SERVESETTINGS_H
#define MORVA_WEB_SERVESETTINGS_H

#include <wx/config.h>
#include <wx/string.h>

#include <string>

// What the group [serve] of morva_reporter.ini says about the web view.
struct ServeSettings {
    // ADDRESS:PORT to listen on; empty for the default, 127.0.0.1:8480.
    std::string listen;
    // The HTTPS certificate and its private key, PEM files; empty for none.
    wxString certificate;
    wxString key;
    // The password's hash (see passwordhash.h); empty when none is set.
    std::string passwordHash;

    // The settings in `config`; the defaults when it is null.
    static ServeSettings From(const wxConfigBase* config);
};

// Sets the password's hash in the settings file at `settingsPath` (made when
// missing); every other group and key stays as it was. false when the file
// cannot be written.
bool SavePasswordHash(const wxString& settingsPath, const std::string& hash);

#endif
