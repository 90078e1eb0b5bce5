#ifndef MORVA_LANGUAGETABLE_H
#define MORVA_LANGUAGETABLE_H

#include <wx/string.h>

// The user-interface languages and the names the settings file stores for
// them: "english", "russian", "ukrainian".
namespace LanguageTable {

// The language of a stored name, compared in lower case;
// wxLANGUAGE_DEFAULT for an empty or unknown name.
int FromName(const wxString& name);

// The stored name of a language; empty for one not in the table.
wxString NameOf(int language);

// The stored name of a Windows language identifier (LANGID), by its primary
// language, so that English of any country is "english"; empty for a
// language not in the table.
wxString NameOfWindowsLanguage(unsigned long id);

// Makes the program's message catalogs findable: beside the executable
// ("locale/"), in the installation's share/locale, and in the build tree.
void AddCatalogLookupPaths();

} // namespace LanguageTable

#endif
