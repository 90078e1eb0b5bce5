#ifndef MORVA_ARCHIVE_KEPTREADINGNOTE_H
#define MORVA_ARCHIVE_KEPTREADINGNOTE_H

#include <wx/string.h>

// The line of the clear question about the port's last complete kept
// reading: "Last kept reading from this port: 10.12.2026 14:02, 3 tables,
// 1,234 records", or that none is kept. Empty when `archive` is empty
// (readings are not kept) or cannot be read.
wxString KeptReadingNote(const wxString& archive, const wxString& port);

#endif
