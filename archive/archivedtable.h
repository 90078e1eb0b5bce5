#ifndef MORVA_ARCHIVE_ARCHIVEDTABLE_H
#define MORVA_ARCHIVE_ARCHIVEDTABLE_H

#include <wx/string.h>

#include <cstdint>

// One table of a reading as the unit announced it. Its first `taken`
// records are those of the same table of reading `earlierReading`, which
// are referred to, not copied; the rest are the reading's own.
struct ArchivedTable {
    unsigned number = 0;
    wxString header;
    unsigned unitCount = 0; // the record count the unit gave
    std::int64_t earlierReading = 0;
    unsigned taken = 0;
};

// One record as the unit sent it.
struct ArchivedRecord {
    unsigned table = 0;
    unsigned index = 0;
    wxString text;
};

#endif
