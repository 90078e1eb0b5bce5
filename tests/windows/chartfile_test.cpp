// The chart saved on Windows, whose toolkit writes no PNG: the picture is
// encoded by the Windows Imaging Component, into a folder of Cyrillic name.
#include "app/chartfile.h"
#include "insight/chartmodel.h"

#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filename.h>

#include <string>

namespace {

std::string head(const wxString& path, std::size_t count)
{
    std::string bytes(count, '\0');
    wxFFile file(path, "rb");
    if (!file.IsOpened() || file.Read(&bytes[0], count) != count)
        return std::string();
    return bytes;
}

std::uint32_t bigEndian(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST(ChartFileWin32, SavedAsPngOrSvgInAFolderOfAnyLanguage)
{
    const TypedTable table(RecordTable(1, "Date\tTime\tChannel\tValue",
                                       {"14.03.2024\t08:00\tK1\t1,5", "14.03.2024\t09:00\tK2\t2,5",
                                        "14.03.2024\t10:00\tK1\t3,5", "14.03.2024\t11:00\tK2\t0,5"}));
    ColumnChoice choice;
    choice.column = 3;
    choice.by = 2;
    const ChartModel chart = ChartModel::Build(table, choice, ChartSize{640, 320});
    ASSERT_TRUE(chart.Nothing().empty());

    wxString folder = wxFileName::CreateTempFileName("morva-chart");
    wxRemoveFile(folder);
    folder += wxString::FromUTF8("-Графики");
    ASSERT_TRUE(wxFileName::Mkdir(folder));
    const wxString png = ChartFile::Save(chart, folder + wxString::FromUTF8("\\график.png"));
    const std::string bytes = head(png, 24);
    ASSERT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bigEndian(bytes, 16), 640u);
    EXPECT_EQ(bigEndian(bytes, 20), 320u);
    // Never over another file.
    EXPECT_EQ(wxFileName(ChartFile::Save(chart, png)).GetName(), wxString::FromUTF8("график_2"));
    const wxString svg = ChartFile::Save(chart, folder + wxString::FromUTF8("\\график.svg"));
    EXPECT_EQ(head(svg, 5), "<?xml");
    wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}

} // namespace
