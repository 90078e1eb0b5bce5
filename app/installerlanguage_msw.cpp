#include "app/installerlanguage.h"

#include "reading/languagetable.h"

#include <wx/log.h>
#include <wx/msw/registry.h>

namespace {

// The installer's entry among the installed programs, where its Modern UI
// keeps the language it was run in (a LANGID in decimal).
const wchar_t* const Key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MORVA_Reporter";
const wchar_t* const Value = L"InstallerLanguage";

} // namespace

wxString InstallerLanguage::Name()
{
    const wxLogNull quiet; // a missing entry is no error
    const wxRegKey key(wxRegKey::HKLM, Key);
    wxString text;
    if (!key.Exists() || !key.HasValue(Value) || !key.QueryValue(Value, text))
        return wxString();
    unsigned long id = 0;
    if (!text.Trim().Trim(false).ToULong(&id))
        return wxString();
    return LanguageTable::NameOfWindowsLanguage(id);
}
