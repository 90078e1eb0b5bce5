#include "report/reportlanguage.h"

#include <wx/language.h>

int ReportLanguage()
{
    return wxLANGUAGE_RUSSIAN;
}

bool IsCyrillicLanguage(int language)
{
    return language == wxLANGUAGE_RUSSIAN
        || language == wxLANGUAGE_RUSSIAN_UKRAINE
        || language == wxLANGUAGE_UKRAINIAN;
}
