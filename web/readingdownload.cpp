#include "web/readingdownload.h"

#include "insight/readingreport.h"

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include <algorithm>

namespace {

const char* typeOf(int format)
{
    static const char* const Types[] = {"application/rtf", "text/html", "text/plain", "text/csv",
                                        "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"};
    return format >= 0 && format < ReadingReport::FormatCount ? Types[format] : "application/octet-stream";
}

bool readWhole(const wxString& path, std::string& bytes)
{
    wxFFile file(path, "rb");
    if (!file.IsOpened())
        return false;
    const wxFileOffset size = file.Length();
    if (size < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    return file.Read(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace

ReadingDownload ReadingDownload::Make(const ReadingArchive& archive, const ReadingSummary& reading, ReadingPart part,
                                      int format, ServeScratch& scratch)
{
    ReadingDownload download;
    ReportLines lines = archive.Lines(reading.id);
    unsigned tableCount = reading.tableCount;
    if (!part.Whole()) {
        std::size_t records = 0;
        lines = part.Select(lines, records);
        if (records == 0) {
            download.message = _("The part of the reading chosen holds no records: no report was written.");
            return download;
        }
        tableCount = static_cast<unsigned>(
            std::count_if(lines.begin(), lines.end(), [](const wxString& line) { return line.empty(); }));
    }
    const ServeScratch::Folder folder = scratch.NewFolder();
    const ReportOutcome outcome = ReadingReport::Make(lines, tableCount, format, folder.Path(), ReportTime(reading), reading);
    if (!outcome.ok) {
        download.message = outcome.message;
        return download;
    }
    if (!readWhole(outcome.fileName, download.bytes)) {
        download.message = _("The report was written but could not be read back.");
        return download;
    }
    download.ok = true;
    download.fileName = wxFileName(outcome.fileName).GetFullName().utf8_string();
    download.contentType = typeOf(format);
    return download;
}
