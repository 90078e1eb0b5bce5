#include "web/pagecatalogs.h"

#include <wx/log.h>

const char* const PageCatalogs::Languages[] = {"en", "ru", "uk"};

PageCatalogs::PageCatalogs()
{
    const wxLogNull quiet; // a catalog not found is English, not an error
    wxFileTranslationsLoader loader;
    for (const char* language : Languages) {
        if (std::string(language) == "en")
            continue;
        std::unique_ptr<wxMsgCatalog> catalog(loader.LoadCatalog("MORVA_Reporter", language));
        if (catalog)
            m_catalogs.emplace(language, std::move(catalog));
    }
}

PageText PageCatalogs::For(const std::string& language) const
{
    const auto found = m_catalogs.find(language);
    return found == m_catalogs.end() ? PageText("en", nullptr) : PageText(language, found->second.get());
}
