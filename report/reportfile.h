#ifndef MORVA_REPORT_REPORTFILE_H
#define MORVA_REPORT_REPORTFILE_H

#include <wx/file.h>
#include <wx/string.h>

#include <string_view>

// The file a report is written into, piece by piece as UTF-8 bytes. The
// white space at the very start of the document is left out. The text goes
// to a temporary file beside the target, which is flushed to disk and only
// then takes the target's name on Commit, so that neither a failed write nor
// a power loss ever leaves a half-written report under that name (nor
// spoils an older one). Without Commit nothing is left behind.
class ReportFile {
public:
    // Creates the temporary file; IsOpened tells whether that worked.
    explicit ReportFile(const wxString& fileName);

    bool IsOpened() const;

    // Appends one piece of the document; false when the write failed.
    bool Write(std::string_view bytes);

    // Flushes the written file to disk and puts it in place of the target.
    bool Commit();

private:
    wxTempFile file;
    bool atStart = true;
};

#endif
