#ifndef MORVA_REPORT_REPORTFILE_H
#define MORVA_REPORT_REPORTFILE_H

#include "report/claimname.h"

#include <wx/file.h>
#include <wx/string.h>

#include <functional>
#include <string_view>

// The file a report is written into, piece by piece as UTF-8 bytes. The
// white space at the very start of the document is left out.
//
// The text goes to a temporary file beside the target,
// ".<name>.<random>.tmp": its leading dot hides it on POSIX systems (not on
// Windows), and its ".tmp" keeps it from being taken for a report. On
// Commit it is flushed to disk, and only then takes the target's name; the
// folder is flushed in turn, so that a report announced is one that a power
// loss cannot undo. A report never replaces another: when a file of the
// target's name exists (a reading made in the same second, perhaps by
// another reader side by side), the report takes the first free name with
// "_2", "_3", ... before the extension. Neither a failed write nor a power
// loss leaves a half-written file under a report's name.
//
// A file that failed to be written, or was never committed, is removed with
// the object. A report written in full is never removed: when it can take
// no report's name, it is kept, under a visible name where the folder
// allows it (KeptName). A program killed before its reports are committed
// (a second Ctrl-C of the headless reader, for one) leaves its temporary
// files behind.
class ReportFile {
public:
    // How the written file takes its name and makes it last: the system's
    // own steps in the program; tests put theirs in place to provoke what
    // the machine cannot.
    struct Naming {
        std::function<ClaimResult(const wxString& from, const wxString& to)> claim;
        std::function<bool(const wxString& fileName)> flushFolder;
    };
    static Naming SystemNaming();

    // Creates the temporary file; IsOpened tells whether that worked.
    explicit ReportFile(const wxString& fileName, Naming naming = SystemNaming());
    ~ReportFile();

    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    bool IsOpened() const;

    // Appends one piece of the document; false when the write failed.
    bool Write(std::string_view bytes);

    // Flushes the written file to disk and gives it the target's name, or
    // the first free one after it, then flushes the folder. False when any
    // of these failed; a report that reached the disk is then kept.
    bool Commit();

    // The name the report took on Commit; the target's name before.
    const wxString& FileName() const;

    // For a writer that fills the file by its name rather than through
    // Write (a library that opens the file itself): closes it here, so
    // that the writer may open the temporary file (TemporaryName) however
    // it shares it; Commit opens it again to flush what it holds. False
    // when it could not be closed.
    bool HandOver();
    const wxString& TemporaryName() const { return tempName; }

    // Where the written report lies after a Commit that failed once the
    // report was on disk: the target's name with the temporary file's
    // random part before the extension, or the temporary file itself when
    // the folder refuses that name too, or the report's name when only the
    // folder's flush failed. Empty when nothing was kept.
    const wxString& KeptName() const;

    // The target's name with "_<number>" before its extension; the name
    // itself for number 1.
    static wxString NumberedName(const wxString& fileName, unsigned number);

private:
    wxString ClaimFreeName() const;
    void Keep();
    void Discard();

    wxString target;
    Naming naming;
    wxFile file; // before token, which is made with it
    wxString token;
    wxString tempName;
    wxString keptName;
    bool atStart = true;
    bool handedOver = false;
};

#endif
