#include "web/pagetext.h"

#include "web/markup.h"

#include <wx/translation.h>

#include <utility>

PageText::PageText(std::string language, const wxTranslations* catalog)
    : m_language(std::move(language))
    , m_catalog(catalog)
{
}

wxString PageText::Get(const char* english) const
{
    const wxString text = wxString::FromUTF8(english);
    if (m_catalog) {
        const wxString* translated = m_catalog->GetTranslatedString(text, "MORVA_Reporter");
        if (translated && !translated->empty())
            return *translated;
    }
    return text;
}

std::string PageText::Html(const char* english) const { return HtmlEscaped(Get(english).utf8_string()); }
