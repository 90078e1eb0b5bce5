// The archive of readings on Windows: its place under %LOCALAPPDATA%, a
// folder with a Cyrillic name (the wide-character file API all the way),
// a damaged file refused and left as it was, and a libpq that speaks TLS.
#include "archive/archiveerror.h"
#include "archive/archivelocation.h"
#include "archive/filearchive.h"
#include "archive/pgconnection.h"
#include "archive/serverplace.h"
#include "archive/readinguuid.h"

#include <gtest/gtest.h>

#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <windows.h>

namespace {

class ArchiveWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = wxFileName::GetTempDir() + L"\\morva_архив_" + wxString::Format("%lu", GetCurrentProcessId());
        ASSERT_TRUE(wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
        wxGetEnv("LOCALAPPDATA", &previous);
    }
    void TearDown() override
    {
        wxSetEnv("LOCALAPPDATA", previous);
        wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    }

    wxString folder;
    wxString previous;
};

} // namespace

TEST_F(ArchiveWin32Test, KeptUnderLocalAppDataWhateverItsName)
{
    ASSERT_TRUE(wxSetEnv("LOCALAPPDATA", folder));
    const wxString path = DefaultArchivePath();
    EXPECT_EQ(path, folder + L"\\MORVA_Reporter\\archive.sqlite");

    FileArchive archive(path, ReadingArchive::Access::Write);
    const std::int64_t id = archive.BeginReading(ReadingFacts{"COM3", "COM3", 115200, "line", "0", L"Станция"}, NewReadingUuid(), wxDateTime::Now());
    archive.Store(id, {ArchivedTable{0, L"№\tДата", 1}}, {{0, 0, L"1\t10.12.2026\tДавление"}});
    archive.EndReading(id, ReadingEnd::Complete, wxString(), wxDateTime::Now());
    EXPECT_TRUE(wxFileName::FileExists(path));

    const FileArchive reading(path, ReadingArchive::Access::Read);
    ASSERT_EQ(reading.List().size(), 1u);
    EXPECT_EQ(reading.LastComplete({"COM3"}, L"Станция")->recordCount, 1);
    const ReportLines expected{L"№\tДата", L"1\t10.12.2026\tДавление", wxString()};
    EXPECT_EQ(reading.Lines(id), expected);
}

TEST_F(ArchiveWin32Test, ADamagedFileIsRefusedAndLeftAsItWas)
{
    const wxString path = folder + L"\\архив.sqlite";
    const std::string garbage(5000, '\x5a');
    {
        wxFFile file(path, "wb");
        ASSERT_TRUE(file.Write(garbage.data(), garbage.size()) == garbage.size());
    }
    try {
        FileArchive archive(path, ReadingArchive::Access::Write);
        ADD_FAILURE() << "not refused";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.reason(), "the archive is damaged");
    }
    wxFFile file(path, "rb");
    wxString bytes;
    ASSERT_TRUE(file.ReadAll(&bytes, wxConvISO8859_1));
    EXPECT_EQ(bytes.length(), garbage.size());
    EXPECT_EQ(bytes.utf8_string(), garbage);
}

TEST(ArchiveServerWin32, ReachesServersOverTls)
{
    EXPECT_TRUE(PgConnection::HasTls());
    EXPECT_TRUE(ServerPlace("postgresql://lab@db.lab/readings?sslmode=verify-full").TlsRefusal(PgConnection::HasTls())
                    .empty());
}
