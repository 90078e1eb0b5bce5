#include "archive/archivedreading.h"

#include <wx/intl.h>

namespace {

struct EndName {
    ReadingEnd end;
    const char* key;
    const wchar_t* wideKey; // compared with a wxString without converting
};

const EndName EndNames[] = {
    {ReadingEnd::Interrupted, "interrupted", L"interrupted"},
    {ReadingEnd::Complete, "complete", L"complete"},
    {ReadingEnd::Cancelled, "cancelled", L"cancelled"},
    {ReadingEnd::Failed, "failed", L"failed"},
};

} // namespace

const char* ReadingEndKey(ReadingEnd end)
{
    for (const EndName& name : EndNames) {
        if (name.end == end)
            return name.key;
    }
    return "interrupted";
}

ReadingEnd ReadingEndFromKey(const wxString& key)
{
    for (const EndName& name : EndNames) {
        if (key == name.wideKey)
            return name.end;
    }
    return ReadingEnd::Interrupted;
}

wxString ReadingEndText(ReadingEnd end)
{
    switch (end) {
    case ReadingEnd::Complete: return _("complete");
    case ReadingEnd::Cancelled: return _("cancelled");
    case ReadingEnd::Failed: return _("failed");
    case ReadingEnd::Interrupted:
    default: return _("interrupted");
    }
}

wxDateTime ReportTime(const ReadingSummary& reading)
{
    return reading.ended.IsValid() ? reading.ended : reading.started;
}
