// A workbook written into a folder whose name is not ASCII: the library is
// handed the path the platform's way (on Windows, as a wide name).

#include "insight/xlsxreport.h"
#include "sampletables.h"

#include <wx/ffile.h>
#include <wx/filename.h>

#include <gtest/gtest.h>

TEST(XlsxFolder, AFolderOfAnyLanguage)
{
    wxString base = wxFileName::CreateTempFileName("morva-xlsx");
    wxRemoveFile(base);
    const wxString folder = base + wxString::FromUTF8("-Отчёты цеха №2");
    ASSERT_TRUE(wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
    const ReportOutcome outcome =
        XlsxReport::Write(SampleTables(), ReadingSummary(), wxFileName(folder, wxString::FromUTF8("отчёт.xlsx")).GetFullPath());
    EXPECT_TRUE(outcome.ok) << outcome.message;
    char head[4] = {};
    wxFFile file(outcome.fileName, "rb");
    ASSERT_TRUE(file.IsOpened());
    ASSERT_EQ(file.Read(head, 4), 4u);
    EXPECT_EQ(std::string(head, 4), std::string("PK\x03\x04", 4)) << "a zip archive, as every workbook is";
    file.Close();
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}
