#include "app/settingsfile.h"

#include <wx/debug.h>
#include <wx/log.h>

namespace {

// wxWidgets' own assertions switched off for a while.
class AssertionsOff {
public:
    AssertionsOff() : m_previous(wxSetAssertHandler(nullptr)) {}
    ~AssertionsOff() { wxSetAssertHandler(m_previous); }
    AssertionsOff(const AssertionsOff&) = delete;
    AssertionsOff& operator=(const AssertionsOff&) = delete;

private:
    wxAssertHandler_t m_previous;
};

} // namespace

std::unique_ptr<wxFileConfig> OpenSettingsFile(const wxString& appName, const wxString& vendor,
                                               const wxString& localPath)
{
    const AssertionsOff quietParser;
    const wxLogNull quietLoad;
    return std::make_unique<wxFileConfig>(appName, vendor, localPath, wxString(),
                                          wxCONFIG_USE_RELATIVE_PATH);
}
