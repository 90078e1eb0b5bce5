#ifndef MORVA_WEB_PAGECATALOGS_H
#define MORVA_WEB_PAGECATALOGS_H

#include "web/pagetext.h"

#include <wx/translation.h>

#include <map>
#include <memory>
#include <string>

// The message catalogs of the pages' languages, loaded once, where the
// programs find their own (see AddCatalogLookupPaths): every page is written in
// the language its reader asks for, whatever the server's own is.
class PageCatalogs {
public:
    // The languages pages are written in; English needs no catalog.
    static const char* const Languages[];

    PageCatalogs();

    // The texts in `language` ("en", "ru" or "uk"); English for any other
    // or one whose catalog was not found.
    PageText For(const std::string& language) const;

private:
    std::map<std::string, std::unique_ptr<wxTranslations>> m_catalogs;
};

#endif
