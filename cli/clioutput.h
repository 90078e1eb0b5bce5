#ifndef MORVA_CLIOUTPUT_H
#define MORVA_CLIOUTPUT_H

#include <wx/string.h>

// The reader's exit statuses: done, a reading or report failure, a usage
// error.
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// The program's name before its error lines.
extern const char* const ProgramTag;

// An error line for the operator on standard error.
void PrintError(const wxString& text);

#endif
