#include "report/reportfile.h"

namespace {

// White space at the document's start: blank, tab, line feed, vertical
// tab, form feed and carriage return.
const char LeadingWhiteSpace[] = " \t\n\v\f\r";

} // namespace

ReportFile::ReportFile(const wxString& fileName)
{
    file.Open(fileName);
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
    return file.Write(bytes.data(), bytes.size());
}

bool ReportFile::Commit()
{
    // A full disk may take the writes into the cache and refuse them only
    // when they go out: flush first, so that a report that did not reach
    // the disk never replaces an earlier one.
    return file.Flush() && file.Commit();
}
