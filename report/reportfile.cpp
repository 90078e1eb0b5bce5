#include "report/reportfile.h"

#include <wx/strconv.h>

#include <algorithm>
#include <string>

namespace {

// White space at the document's start: blank, tab, line feed, vertical
// tab, form feed and carriage return.
bool IsLeadingWhiteSpace(wxUniChar c)
{
    switch (c.GetValue()) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
        return true;
    default:
        return false;
    }
}

} // namespace

ReportFile::ReportFile(const wxString& fileName)
{
    file.Open(fileName);
}

bool ReportFile::IsOpened() const
{
    return file.IsOpened();
}

bool ReportFile::Write(const wxString& text)
{
    size_t start = 0;
    if (atStart) {
        while (start < text.length() && IsLeadingWhiteSpace(text[start]))
            ++start;
        if (start == text.length())
            return true;
        atStart = false;
    }
    const size_t length = text.length() - start;
    const wxChar* const begin = text.wc_str() + start;
    if (std::all_of(begin, begin + length, [](wxChar c) { return c < 0x80; })) {
        // ASCII is its own UTF-8: RTF, the bulk of most reports, is all
        // ASCII and goes out without the general converter.
        const std::string bytes(begin, begin + length);
        return file.Write(bytes.data(), bytes.size());
    }
    size_t byteCount = 0;
    const wxCharBuffer bytes = wxConvUTF8.cWC2MB(begin, length, &byteCount);
    // A text that is not valid UTF-16/UTF-32 does not convert; that is a
    // failed write, not an empty one.
    if (byteCount == wxCONV_FAILED || (byteCount == 0 && length > 0))
        return false;
    return file.Write(bytes.data(), byteCount);
}

bool ReportFile::Commit()
{
    // A full disk may take the writes into the cache and refuse them only
    // when they go out: flush first, so that a report that did not reach
    // the disk never replaces an earlier one.
    return file.Flush() && file.Commit();
}
