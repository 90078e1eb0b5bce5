#ifndef MORVA_ARCHIVE_ARCHIVEDREADING_H
#define MORVA_ARCHIVE_ARCHIVEDREADING_H

#include <wx/datetime.h>
#include <wx/string.h>

#include <cstdint>

// How a kept reading ended. A reading is "interrupted" from its start until
// it ends properly, so one whose program was killed stays so.
enum class ReadingEnd { Interrupted, Complete, Cancelled, Failed };

// The name kept in the archive ("complete", ...), and back; an unknown name
// counts as interrupted.
const char* ReadingEndKey(ReadingEnd end);
ReadingEnd ReadingEndFromKey(const wxString& key);
// The translated word for the operator.
wxString ReadingEndText(ReadingEnd end);

// What is known of a reading when it begins.
struct ReadingFacts {
    wxString port;   // COM1, or the device path the operator gave
    wxString device; // what was opened for it
    int baud = 0;
    wxString pace;
    wxString version; // of the program
    wxString station; // the computer that read it
};

// One kept reading as the archive lists it.
struct ReadingSummary {
    std::int64_t id = 0;
    wxString uuid; // the reading's own name, the same in every archive
    ReadingFacts facts;
    wxDateTime started;
    wxDateTime ended; // invalid while interrupted
    ReadingEnd end = ReadingEnd::Interrupted;
    wxString error;
    unsigned tableCount = 0;
    std::int64_t recordCount = 0;
};

// The time a kept reading's report carries in its title and name: when the
// reading ended, as its own report was dated; when it began for one that
// never ended.
wxDateTime ReportTime(const ReadingSummary& reading);

// Which kept readings a list shows: those of a station, of a port, begun
// from a time on. An empty or invalid field lets every reading through.
struct ReadingFilter {
    wxString station;
    wxString port;
    wxDateTime since;
};

#endif
