#ifndef MORVA_WEB_PAGETEXT_H
#define MORVA_WEB_PAGETEXT_H

#include <wx/string.h>

#include <string>

class wxTranslations;

// The texts of one page in the language its reader asked for: each English
// text (marked with wxTRANSLATE where it is written) looked up in that
// language's catalog, else as it is.
class PageText {
public:
    // `catalog` may be null (English); it outlives the page.
    PageText(std::string language, const wxTranslations* catalog);

    const std::string& Language() const { return m_language; }
    wxString Get(const char* english) const;
    // UTF-8, escaped for a page's text or attribute.
    std::string Html(const char* english) const;
    // A text with %s, %u ... filled in as wxString::Format does.
    template <typename... Values>
    wxString Format(const char* english, Values... values) const
    {
        return wxString::Format(Get(english), values...);
    }

private:
    std::string m_language;
    const wxTranslations* m_catalog;
};

#endif
