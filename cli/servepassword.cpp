#include "servepassword.h"

#include "clioutput.h"
#include "passwordprompt.h"

#include "web/passwordhash.h"
#include "web/secrettext.h"
#include "web/servesettings.h"

#include <wx/intl.h>

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace {

const char* const SettingsFile = "./morva_reporter.ini";

// The password asked for into `password`; false when it cannot be read.
bool Ask(const wxString& prompt, SecretText& password)
{
    std::optional<std::string> answer = ReadPassword(prompt.utf8_str().data());
    if (!answer)
        return false;
    password.text().swap(*answer);
    return true;
}

} // namespace

int SetServePassword()
{
    SecretText password;
    if (!Ask(_("New password for archive serve: "), password)) {
        PrintError(_("No password was given."));
        return ExitFailed;
    }
    if (password.text().empty()) {
        PrintError(_("The password must not be empty."));
        return ExitFailed;
    }
    if (InputIsTerminal()) {
        SecretText again;
        if (!Ask(_("The same password again: "), again) || again.text() != password.text()) {
            PrintError(_("The two passwords differ; nothing was changed."));
            return ExitFailed;
        }
    }
    std::string hash;
    try {
        hash = HashPassword(password.text());
    } catch (const std::runtime_error&) {
        PrintError(_("The password cannot be hashed on this system; nothing was changed."));
        return ExitFailed;
    }
    if (!SavePasswordHash(SettingsFile, hash)) {
        PrintError(wxString::Format(_("The password cannot be kept: %s cannot be written."), "morva_reporter.ini"));
        return ExitFailed;
    }
    std::fprintf(stderr, "%s\n", _("The password for archive serve is set.").utf8_str().data());
    return ExitOk;
}
