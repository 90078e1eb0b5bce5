#include "reportannouncement.h"

#include "clioutput.h"

#include "reading/desktop.h"

#include <wx/filename.h>

#include <cstdio>

bool AnnounceReport(const ReportOutcome& outcome, bool open)
{
    if (!outcome.ok) {
        PrintError(outcome.message);
        return false;
    }
    std::fprintf(stderr, "%s\n", outcome.message.utf8_str().data());
    wxFileName written(outcome.fileName);
    written.MakeAbsolute();
    const wxString path = written.GetFullPath();
    std::fprintf(stdout, "%s\n", path.utf8_str().data());
    std::fflush(stdout);
    if (open && !OpenWithDefaultApplication(path))
        PrintError("cannot open " + path);
    return true;
}
