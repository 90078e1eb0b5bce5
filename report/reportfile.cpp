#include "report/reportfile.h"

#include "report/claimname.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <random>

namespace {

// White space at the document's start: blank, tab, line feed, vertical
// tab, form feed and carriage return.
const char LeadingWhiteSpace[] = " \t\n\v\f\r";

// How many numbered names a report tries before it gives up.
const unsigned MaxNumber = 9999;

// The temporary file's name starts with a dot and ends in ".tmp": hidden,
// and never taken for a report, even when a crash leaves it behind. It lies in the report's
// folder (the working directory for a name without one), so that taking
// the report's name is a rename within one file system.
wxString TempPrefix(const wxString& fileName)
{
    const wxFileName name(fileName);
    const wxString folder = name.GetPath().empty() ? wxString(wxS(".")) : name.GetPath();
    return wxFileName(folder, wxS(".") + name.GetFullName()).GetFullPath();
}

// Creates a new file under a free name that starts with `prefix`, with the
// permissions any file of the program gets (the umask applies), and opens
// it for writing; returns its name, or nothing when the folder takes none.
wxString CreateFreeFile(const wxString& prefix, wxFile& file)
{
    const wxLogNull quiet;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const wxString name = prefix + wxString::Format(wxS(".%08x.tmp"), random());
        if (file.Create(name, false, wxS_DEFAULT))
            return name;
        if (!wxFileName::Exists(name))
            break;
    }
    return wxString();
}

} // namespace

ReportFile::ReportFile(const wxString& fileName)
    : target(fileName)
    , tempName(CreateFreeFile(TempPrefix(fileName), file))
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

bool ReportFile::Commit()
{
    // A full disk may take the writes into the cache and refuse them only
    // when they go out: flush first, so that a report that did not reach
    // the disk never takes a report's name.
    if (!file.IsOpened() || !file.Flush() || !file.Close())
        return false;
    for (unsigned number = 1; number <= MaxNumber; ++number) {
        const wxString name = NumberedName(target, number);
        switch (ClaimName(tempName, name)) {
        case ClaimResult::Claimed:
            target = name;
            tempName.clear();
            return true;
        case ClaimResult::Taken:
            continue;
        case ClaimResult::Failed:
            return false;
        }
    }
    return false;
}

const wxString& ReportFile::FileName() const
{
    return target;
}

wxString ReportFile::NumberedName(const wxString& fileName, unsigned number)
{
    if (number <= 1)
        return fileName;
    // The folder part stays exactly as given.
    const size_t folderEnd = fileName.find_last_of(wxFileName::GetPathSeparators());
    size_t dot = fileName.find_last_of(wxS('.'));
    if (dot == wxString::npos || (folderEnd != wxString::npos && dot < folderEnd))
        dot = fileName.size();
    return fileName.substr(0, dot) + wxString::Format(wxS("_%u"), number) + fileName.substr(dot);
}

void ReportFile::Discard()
{
    if (file.IsOpened())
        file.Close();
    if (!tempName.empty())
        wxRemoveFile(tempName);
    tempName.clear();
}
