#ifndef MORVA_WEB_SERVEPLAN_H
#define MORVA_WEB_SERVEPLAN_H

#include "web/listenaddress.h"
#include "web/servesettings.h"

#include <wx/string.h>

#include <optional>
#include <string>

// How the server is to run, from its options and [serve] of the settings
// (an option before the setting): where it listens, HTTPS, the password.
// Anywhere but this computer's own address it needs both HTTPS and a
// password; a password set is asked for everywhere.
struct ServePlan {
    ListenAddress listen;
    wxString certificate; // both empty: plain HTTP
    wxString key;
    std::string passwordHash;

    bool Https() const { return !certificate.empty(); }

    // None, with the operator's message in `refusal`, when it cannot run so.
    static std::optional<ServePlan> Make(const std::optional<std::string>& listenOption,
                                         const std::optional<std::string>& certificateOption,
                                         const std::optional<std::string>& keyOption, const ServeSettings& settings,
                                         wxString& refusal);
};

#endif
