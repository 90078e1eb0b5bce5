#ifndef MORVA_TESTS_TESTLANGUAGE_H
#define MORVA_TESTS_TESTLANGUAGE_H

// The window's tests in another language, with the catalogs of the build
// (MORVA_TEST_LOCALE_DIR).

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/translation.h>

// The program's catalogs as the build compiles them.
inline wxString Catalog(const char* dir, const char* domain)
{
    return wxString(MORVA_TEST_LOCALE_DIR) + "/" + dir + "/LC_MESSAGES/" + domain + ".mo";
}

inline bool CatalogsBuilt(const char* dir)
{
    for (const char* domain : {"MORVA_Reporter", "morva_velox"}) {
        if (!wxFileName::FileExists(Catalog(dir, domain)))
            return false;
    }
    return true;
}

// Starts `locale` in `language` with the build's catalogs of the program, as
// the program starts its own.
inline bool SpeakLanguage(wxLocale& locale, int language)
{
    {
        const wxLogNull quiet; // this machine may lack the language's system locale
        locale.Init(language, wxLOCALE_LOAD_DEFAULT);
    }
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(MORVA_TEST_LOCALE_DIR);
    return locale.AddCatalog("morva_velox") && locale.AddCatalog("MORVA_Reporter");
}

#endif
