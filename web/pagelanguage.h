#ifndef MORVA_WEB_PAGELANGUAGE_H
#define MORVA_WEB_PAGELANGUAGE_H

#include <string>

// The language of a page, "en", "ru" or "uk", from a browser's
// Accept-Language header: the one it weighs highest (q-values; of equal
// weights the one it names first), English when it names none of them.
// English is left out only when refused ("en;q=0"). Entries that cannot be
// read are passed over; only the first 32 entries are looked at.
std::string PageLanguage(const std::string& acceptLanguage);

#endif
