#include "archive/archivedreading.h"

#include <wx/intl.h>

namespace {

struct EndName {
    ReadingEnd end;
    const char* key;
};

const EndName EndNames[] = {
    {ReadingEnd::Interrupted, "interrupted"},
    {ReadingEnd::Complete, "complete"},
    {ReadingEnd::Cancelled, "cancelled"},
    {ReadingEnd::Failed, "failed"},
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
        if (key == name.key)
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
