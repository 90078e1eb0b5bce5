// How a written report takes its name: every way of claiming a name and
// every way it can fail, and what becomes of a report whose name cannot be
// claimed.
#include "report/claimname.h"
#include "report/reportfile.h"
#include "report_test_util.h"

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filename.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

const std::string Document = "the whole report\n";

std::string Bytes(const wxString& fileName)
{
    wxFFile file(fileName, "rb");
    if (!file.IsOpened())
        return "<missing>";
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = file.Read(buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    return bytes;
}

// Whether the whole name matches the pattern.
bool NameMatches(const wxString& name, const char* pattern)
{
    return std::regex_match(name.utf8_string(), std::regex(pattern));
}

bool Put(const wxString& fileName, const std::string& bytes)
{
    wxFFile file(fileName, "wb");
    return file.IsOpened() && file.Write(bytes.data(), bytes.size()) == bytes.size() && file.Close();
}

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTempFolder("morva_claim_");
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE); }

    wxString path(const wxString& name) const { return folder + wxFileName::GetPathSeparator() + name; }

    // The names in the folder, hidden ones included, sorted.
    std::vector<wxString> names() const
    {
        wxArrayString files;
        wxDir::GetAllFiles(folder, &files, wxEmptyString, wxDIR_FILES | wxDIR_HIDDEN);
        files.Sort();
        std::vector<wxString> result;
        for (const wxString& file : files)
            result.push_back(wxFileName(file).GetFullName());
        return result;
    }

    wxString folder;
};

} // namespace

// Every strategy, each in every situation it meets: the name is given only
// when it is free, the file that holds it stays byte for byte, and a
// refusal changes nothing (the exclusive creation's empty file included).
TEST_F(FolderTest, ClaimNameByEveryStrategy)
{
    enum class Situation { Free, Taken, SourceGone, FolderGone };
    const struct Case {
        ClaimStrategy strategy;
        Situation situation;
        ClaimResult expected;
    } cases[] = {
        {ClaimStrategy::Rename, Situation::Free, ClaimResult::Claimed},
        {ClaimStrategy::Rename, Situation::Taken, ClaimResult::Taken},
        {ClaimStrategy::Rename, Situation::SourceGone, ClaimResult::Failed},
        {ClaimStrategy::Rename, Situation::FolderGone, ClaimResult::Failed},
        {ClaimStrategy::Link, Situation::Free, ClaimResult::Claimed},
        {ClaimStrategy::Link, Situation::Taken, ClaimResult::Taken},
        {ClaimStrategy::Link, Situation::SourceGone, ClaimResult::Failed},
        {ClaimStrategy::Link, Situation::FolderGone, ClaimResult::Failed},
        {ClaimStrategy::Create, Situation::Free, ClaimResult::Claimed},
        {ClaimStrategy::Create, Situation::Taken, ClaimResult::Taken},
        // The name is created, then the move fails: the empty file goes.
        {ClaimStrategy::Create, Situation::SourceGone, ClaimResult::Failed},
        {ClaimStrategy::Create, Situation::FolderGone, ClaimResult::Failed},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << number);
        const wxString from = path(wxString::Format(".source%d.tmp", number));
        const wxString to = c.situation == Situation::FolderGone
            ? path(wxString::Format("gone%d", number)) + wxFileName::GetPathSeparator() + "report.txt"
            : path(wxString::Format("report%d.txt", number));
        ++number;
        if (c.situation != Situation::SourceGone) {
            ASSERT_TRUE(Put(from, Document));
        }
        if (c.situation == Situation::Taken) {
            ASSERT_TRUE(Put(to, "an earlier report"));
        }

        EXPECT_EQ(ClaimName(from, to, c.strategy), c.expected);

        switch (c.situation) {
        case Situation::Free:
            EXPECT_EQ(Bytes(to), Document);
            EXPECT_FALSE(wxFileName::Exists(from));
            break;
        case Situation::Taken:
            EXPECT_EQ(Bytes(to), "an earlier report");
            EXPECT_EQ(Bytes(from), Document);
            break;
        case Situation::SourceGone:
            EXPECT_FALSE(wxFileName::Exists(to)) << "an empty file was left under the name";
            break;
        case Situation::FolderGone:
            EXPECT_EQ(Bytes(from), Document);
            break;
        }
        wxRemoveFile(from);
        wxRemoveFile(to);
    }
    EXPECT_TRUE(names().empty());
}

TEST_F(FolderTest, FlushFolderWritesOutAFolderThatExists)
{
    EXPECT_TRUE(FlushFolder(path("report.txt")));
#ifndef _WIN32 // there a move is on disk when it returns; nothing is flushed
    EXPECT_FALSE(FlushFolder(path("gone") + "/report.txt"));
#endif
}

// A report written in full whose name cannot be claimed or made to last is
// kept, and said to be kept; nothing else is left in the folder. The name
// claims of the report's own names and of the kept name are provoked one
// by one, as the machine cannot refuse them at will.
TEST_F(FolderTest, AReportWrittenInFullIsNeverRemoved)
{
    enum class Claim { Real, Taken, Failed };
    const struct Case {
        const char* what;
        Claim reportNames; // what the claim of "report.txt", "report_2.txt", ... does
        Claim otherNames;  // what the claim of the kept name does
        bool flushes;
        bool committed;
        const char* left; // a pattern of the one file left: the kept one unless committed
    } cases[] = {
        {"committed", Claim::Real, Claim::Real, true, true, "report\\.txt"},
        {"every report name taken", Claim::Taken, Claim::Real, true, false, "report\\.[0-9a-f]{8}\\.txt"},
        {"the claim failed", Claim::Failed, Claim::Real, true, false, "report\\.[0-9a-f]{8}\\.txt"},
        {"the kept name taken too", Claim::Taken, Claim::Taken, true, false,
         "\\.report\\.txt\\.[0-9a-f]{8}\\.tmp"},
        {"every claim failed", Claim::Failed, Claim::Failed, true, false,
         "\\.report\\.txt\\.[0-9a-f]{8}\\.tmp"},
        {"the folder's flush failed", Claim::Real, Claim::Real, false, false, "report\\.txt"},
    };
    const std::regex reportName("report(_[0-9]+)?\\.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const wxString target = path("report.txt");
        std::vector<wxString> claimed;
        std::vector<wxString> flushed;
        ReportFile::Naming naming;
        naming.claim = [&](const wxString& from, const wxString& to) {
            const bool isReportName = std::regex_match(wxFileName(to).GetFullName().utf8_string(), reportName);
            const Claim claim = isReportName ? c.reportNames : c.otherNames;
            claimed.push_back(to);
            switch (claim) {
            case Claim::Taken: return ClaimResult::Taken;
            case Claim::Failed: return ClaimResult::Failed;
            case Claim::Real:
            default: return ClaimName(from, to);
            }
        };
        naming.flushFolder = [&](const wxString& fileName) {
            // The folder is flushed with the name already in it.
            EXPECT_TRUE(wxFileName::Exists(fileName)) << fileName;
            flushed.push_back(fileName);
            return c.flushes;
        };

        wxString kept;
        {
            ReportFile file(target, naming);
            ASSERT_TRUE(file.IsOpened());
            ASSERT_TRUE(file.Write("\n\n" + Document));
            EXPECT_EQ(file.Commit(), c.committed);
            kept = file.KeptName();
            EXPECT_EQ(file.FileName(), target);
        }

        const std::vector<wxString> left = names();
        ASSERT_EQ(left.size(), 1u);
        EXPECT_TRUE(NameMatches(left[0], c.left)) << left[0];
        EXPECT_EQ(Bytes(path(left[0])), Document);
        if (c.committed) {
            EXPECT_EQ(kept, "");
            EXPECT_EQ(flushed, std::vector<wxString>{target});
        } else {
            EXPECT_EQ(kept, path(left[0]));
            ASSERT_FALSE(flushed.empty());
            EXPECT_EQ(flushed.back(), kept);
        }
        // The report's names are tried in order, up to the last one.
        if (c.reportNames == Claim::Taken) {
            ASSERT_GE(claimed.size(), 9999u);
            EXPECT_EQ(claimed[9998], path("report_9999.txt"));
        }
        wxRemoveFile(path(left[0]));
    }
}

// A write that failed leaves nothing: the file does not hold the report.
TEST_F(FolderTest, AFileNeverCommittedIsRemoved)
{
    {
        ReportFile file(path("report.txt"));
        ASSERT_TRUE(file.IsOpened());
        ASSERT_TRUE(file.Write(Document));
        EXPECT_EQ(file.KeptName(), "");
    }
    EXPECT_TRUE(names().empty());
}
