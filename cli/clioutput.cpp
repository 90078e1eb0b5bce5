#include "clioutput.h"

#include <cstdio>

const char* const ProgramTag = "MORVA_Reporter: ";

void PrintError(const wxString& text)
{
    std::fprintf(stderr, "%s%s\n", ProgramTag, text.utf8_str().data());
}
