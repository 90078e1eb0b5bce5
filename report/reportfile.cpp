#include "report/reportfile.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <random>
#include <utility>

namespace {

// White space at the document's start: blank, tab, line feed, vertical
// tab, form feed and carriage return.
const char LeadingWhiteSpace[] = " \t\n\v\f\r";

// How many numbered names a report tries before it gives up.
const unsigned MaxNumber = 9999;

// The name with `insert` put before its extension (at its end when it has
// none); the folder part stays exactly as given.
wxString BeforeExtension(const wxString& fileName, const wxString& insert)
{
    const size_t folderEnd = fileName.find_last_of(wxFileName::GetPathSeparators());
    size_t dot = fileName.find_last_of(wxS('.'));
    if (dot == wxString::npos || (folderEnd != wxString::npos && dot < folderEnd))
        dot = fileName.size();
    return fileName.substr(0, dot) + insert + fileName.substr(dot);
}

// The temporary file: ".<name>.<token>.tmp", never taken for a report,
// even when a crash leaves it behind. It lies in the report's folder (the
// working directory for a name without one), so that taking the report's
// name is a rename within one file system.
wxString TempName(const wxString& fileName, const wxString& token)
{
    const wxFileName name(fileName);
    const wxString folder = name.GetPath().empty() ? wxString(wxS(".")) : name.GetPath();
    return wxFileName(folder, wxS(".") + name.GetFullName() + wxS(".") + token + wxS(".tmp"))
        .GetFullPath();
}

// Where a report that can take no report's name is kept: the target's name
// with the temporary file's token before the extension, so that it opens
// like the report it is.
wxString VisibleKeptName(const wxString& fileName, const wxString& token)
{
    return BeforeExtension(fileName, wxS(".") + token);
}

// Creates a new temporary file for `fileName`, with the permissions any
// file of the program gets (the umask applies), and opens it for writing;
// returns the random token of its name, or nothing when the folder takes
// none.
wxString CreateFreeFile(const wxString& fileName, wxFile& file)
{
    const wxLogNull quiet;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const wxString token = wxString::Format(wxS("%08x"), random());
        const wxString name = TempName(fileName, token);
        if (file.Create(name, false, wxS_DEFAULT))
            return token;
        if (!wxFileName::Exists(name))
            break;
    }
    return wxString();
}

} // namespace

ReportFile::Naming ReportFile::SystemNaming()
{
    return Naming{[](const wxString& from, const wxString& to) { return ClaimName(from, to); },
                  FlushFolder};
}

ReportFile::ReportFile(const wxString& fileName, Naming naming)
    : target(fileName)
    , naming(std::move(naming))
    , token(CreateFreeFile(fileName, file))
    , tempName(token.empty() ? wxString() : TempName(fileName, token))
{
}

ReportFile::~ReportFile()
{
    Discard();
}

bool ReportFile::IsOpened() const
{
    return file.IsOpened();
}

bool ReportFile::Write(std::string_view bytes)
{
    if (atStart) {
        const size_t start = bytes.find_first_not_of(LeadingWhiteSpace);
        if (start == std::string_view::npos)
            return true;
        bytes.remove_prefix(start);
        atStart = false;
    }
    return file.Write(bytes.data(), bytes.size()) == bytes.size();
}

bool ReportFile::HandOver()
{
    if (!file.IsOpened() || !file.Close())
        return false;
    handedOver = true;
    return true;
}

bool ReportFile::Commit()
{
    if (handedOver && !tempName.empty()) {
        const wxLogNull quiet;
        file.Open(tempName, wxFile::read_write);
    }
    // A full disk may take the writes into the cache and refuse them only
    // when they go out: flush first, so that a report that did not reach
    // the disk never takes a report's name.
    if (!file.IsOpened() || !file.Flush() || !file.Close())
        return false;
    // From here on the file holds the whole report, the only copy of the
    // reading on disk: whatever fails, it stays.
    const wxString name = ClaimFreeName();
    if (name.empty()) {
        Keep();
        return false;
    }
    target = name;
    tempName.clear();
    if (!naming.flushFolder(target)) {
        keptName = target;
        return false;
    }
    return true;
}

const wxString& ReportFile::FileName() const
{
    return target;
}

const wxString& ReportFile::KeptName() const
{
    return keptName;
}

wxString ReportFile::NumberedName(const wxString& fileName, unsigned number)
{
    if (number <= 1)
        return fileName;
    return BeforeExtension(fileName, wxString::Format(wxS("_%u"), number));
}

// The first report's name that the written file could take, or nothing
// when the folder refused or every name was taken.
wxString ReportFile::ClaimFreeName() const
{
    for (unsigned number = 1; number <= MaxNumber; ++number) {
        const wxString name = NumberedName(target, number);
        switch (naming.claim(tempName, name)) {
        case ClaimResult::Claimed: return name;
        case ClaimResult::Taken: continue;
        case ClaimResult::Failed: return wxString();
        }
    }
    return wxString();
}

// Keeps the written file, under a visible name where the folder takes one.
void ReportFile::Keep()
{
    const wxString visible = VisibleKeptName(target, token);
    keptName = naming.claim(tempName, visible) == ClaimResult::Claimed ? visible : tempName;
    tempName.clear();
    naming.flushFolder(keptName);
}

void ReportFile::Discard()
{
    if (file.IsOpened())
        file.Close();
    if (!tempName.empty())
        wxRemoveFile(tempName);
    tempName.clear();
}
