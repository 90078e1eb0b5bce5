#include "web/pagecatalogs.h"

#include <wx/log.h>

const char* const PageCatalogs::Languages[] = {"en", "ru", "uk"};

PageCatalogs::PageCatalogs()
{
    const wxLogNull quiet; // a catalog not found is English, not an error
    for (const char* language : Languages) {
        if (std::string(language) == "en")
            continue;
        // Each language its own translations, apart from the program's.
        auto catalog = std::make_unique<wxTranslations>();
        catalog->SetLanguage(language);
        if (catalog->AddCatalog("MORVA_Reporter"))
            m_catalogs.emplace(language, std::move(catalog));
    }
}

PageText PageCatalogs::For(const std::string& language) const
{
    const auto found = m_catalogs.find(language);
    return found == m_catalogs.end() ? PageText("en", nullptr) : PageText(language, found->second.get());
}
