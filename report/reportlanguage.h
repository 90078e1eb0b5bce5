#ifndef MORVA_REPORT_REPORTLANGUAGE_H
#define MORVA_REPORT_REPORTLANGUAGE_H

// The language identifier that the driver passes to every document header:
// the toolkit's identifier of Russian.
int ReportLanguage();

// True for the toolkit's identifiers of Russian, Russian (Ukraine) and
// Ukrainian, the languages whose reports declare a Cyrillic character set.
bool IsCyrillicLanguage(int language);

#endif
