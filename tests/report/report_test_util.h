#ifndef MORVA_TESTS_REPORT_TEST_UTIL_H
#define MORVA_TESTS_REPORT_TEST_UTIL_H

#include "report/reportgenerator.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/string.h>

// The whole document that the driver builds from the lines, before the
// leading white space is dropped from the file.
inline wxString BuildText(ReportFormater& formater, const ReportLines& lines,
                          unsigned tableCount, const wxString& title = "T")
{
    wxString text;
    BuildReport(formater, lines, tableCount, title, [&text](const wxString& piece) {
        text += piece;
        return true;
    });
    return text;
}

// A new empty folder in the system's temporary folder; empty when none
// could be made.
inline wxString MakeTempFolder(const wxString& prefix)
{
    const wxString name = wxFileName::CreateTempFileName(wxFileName::GetTempDir() + wxFILE_SEP_PATH + prefix);
    if (name.empty() || !wxRemoveFile(name) || !wxFileName::Mkdir(name))
        return wxString();
    return name;
}

#endif
