#include "reading/languagetable.h"

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/stdpaths.h>
#include <wx/translation.h>

namespace LanguageTable {

namespace {

struct Row {
    const char* name;
    int language;
    unsigned long windowsPrimary; // the primary language of a LANGID
};

const Row Rows[] = {
    {"english", wxLANGUAGE_ENGLISH, 0x09},
    {"russian", wxLANGUAGE_RUSSIAN, 0x19},
    {"ukrainian", wxLANGUAGE_UKRAINIAN, 0x22},
};

} // namespace

int FromName(const wxString& name)
{
    const wxString lower = name.Lower();
    for (const Row& row : Rows) {
        if (lower == row.name)
            return row.language;
    }
    return wxLANGUAGE_DEFAULT;
}

wxString NameOf(int language)
{
    for (const Row& row : Rows) {
        if (language == row.language)
            return row.name;
    }
    return wxString();
}

wxString NameOfWindowsLanguage(unsigned long id)
{
    for (const Row& row : Rows) {
        if ((id & 0x3FF) == row.windowsPrimary)
            return row.name;
    }
    return wxString();
}

void AddCatalogLookupPaths()
{
    const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    const wxString dir = exe.GetPath();
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(dir + "/locale");
    // The installed Windows reader, in bin\ of the installation.
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(dir + "/../locale");
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(dir + "/../share/locale");
#ifdef MORVA_BUILD_LOCALE_DIR
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(MORVA_BUILD_LOCALE_DIR);
#endif
}

} // namespace LanguageTable
