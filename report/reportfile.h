#ifndef MORVA_REPORT_REPORTFILE_H
#define MORVA_REPORT_REPORTFILE_H

#include <wx/file.h>
#include <wx/string.h>

// The file a report is written into, piece by piece as UTF-8 without a
// byte-order mark. The white space at the very start of the document is
// left out. The text goes to a temporary file beside the target, which
// takes the target's name only on Commit, so that a failed write never
// leaves a half-written report (nor spoils an older one of that name).
// Without Commit nothing is left behind.
class ReportFile {
public:
    // Creates the temporary file; IsOpened tells whether that worked.
    explicit ReportFile(const wxString& fileName);

    bool IsOpened() const;

    // Appends one piece of the document; false when the write failed.
    bool Write(const wxString& text);

    // Puts the written file in place of the target.
    bool Commit();

private:
    wxTempFile file;
    bool atStart = true;
};

#endif
