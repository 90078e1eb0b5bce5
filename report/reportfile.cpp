#include "report/reportfile.h"

#include <wx/strconv.h>

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
    size_t byteCount = 0;
    const wxCharBuffer bytes = wxConvUTF8.cWC2MB(text.wc_str() + start, length, &byteCount);
    // A text that is not valid UTF-16/UTF-32 does not convert; that is a
    // failed write, not an empty one.
    if (byteCount == wxCONV_FAILED || (byteCount == 0 && length > 0))
        return false;
    return file.Write(bytes.data(), byteCount);
}

bool ReportFile::Commit()
{
    return file.Commit();
}
