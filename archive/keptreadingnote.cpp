#include "archive/keptreadingnote.h"

#include "archive/archiveerror.h"
#include "archive/readingarchive.h"

#include <wx/intl.h>
#include <wx/numformatter.h>

wxString KeptReadingNote(const wxString& archive, const std::vector<wxString>& devices, const wxString& station)
{
    if (archive.empty())
        return wxString();
    try {
        const std::optional<ReadingSummary> last
            = OpenArchive(archive, ReadingArchive::Access::Read)->LastComplete(devices, station);
        if (!last)
            return _("No reading from this device is kept.");
        const auto records = static_cast<unsigned long>(last->recordCount);
        return wxString::Format(_("Last kept reading from %s: %s, %s, %s"), last->facts.device,
                                last->started.Format("%d.%m.%Y %H:%M"),
                                wxString::Format(wxPLURAL("%u table", "%u tables", last->tableCount),
                                                 last->tableCount),
                                wxString::Format(wxPLURAL("%s record", "%s records", records),
                                                 wxNumberFormatter::ToString(static_cast<long>(records),
                                                                             wxNumberFormatter::Style_WithThousandsSep)));
    } catch (const ArchiveError&) {
        return wxString();
    }
}
