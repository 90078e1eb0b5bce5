#ifndef MORVA_REPORT_REPORTFILE_H
#define MORVA_REPORT_REPORTFILE_H

#include <wx/file.h>
#include <wx/string.h>

#include <string_view>

// The file a report is written into, piece by piece as UTF-8 bytes. The
// white space at the very start of the document is left out. The text goes
// to a hidden temporary file beside the target (".<name>.<random>.tmp"), which is flushed to disk and
// only then, on Commit, takes the target's name. A report never replaces
// another: when a file of the target's name exists (a reading made in the
// same second, perhaps by another reader side by side), the report takes
// the first free name with "_2", "_3", ... before the extension. Neither a
// failed write nor a power loss leaves a half-written file under a report's
// name, and without Commit nothing is left behind.
class ReportFile {
public:
    // Creates the temporary file; IsOpened tells whether that worked.
    explicit ReportFile(const wxString& fileName);
    ~ReportFile();

    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    bool IsOpened() const;

    // Appends one piece of the document; false when the write failed.
    bool Write(std::string_view bytes);

    // Flushes the written file to disk and gives it the target's name, or
    // the first free one after it.
    bool Commit();

    // The name the report took on Commit; the target's name before.
    const wxString& FileName() const;

    // The target's name with "_<number>" before its extension; the name
    // itself for number 1.
    static wxString NumberedName(const wxString& fileName, unsigned number);

private:
    void Discard();

    wxString target;
    wxFile file; // before tempName, which is made with it
    wxString tempName;
    bool atStart = true;
};

#endif
