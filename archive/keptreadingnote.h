#ifndef MORVA_ARCHIVE_KEPTREADINGNOTE_H
#define MORVA_ARCHIVE_KEPTREADINGNOTE_H

#include <wx/string.h>

#include <vector>

// The line of the clear question about the last complete reading that this
// station kept from the device about to be cleared, known by any of
// `devices` (see ReadingArchive::LastComplete): "Last kept reading from
// /dev/ttyUSB0: 10.12.2026 14:02, 3 tables, 1,234 records", or that none is
// kept. Empty when `archive` is empty (readings are not kept) or cannot be
// read.
wxString KeptReadingNote(const wxString& archive, const std::vector<wxString>& devices, const wxString& station);

#endif
