#ifndef MORVA_REPORT_CLAIMNAME_H
#define MORVA_REPORT_CLAIMNAME_H

#include <wx/string.h>

// What became of an attempt to give a file a new name.
enum class ClaimResult {
    Claimed, // the file now has the name
    Taken,   // another file has that name; nothing was changed
    Failed   // the file system refused; nothing was changed
};

// Gives the file `from` the name `to` only if no file has that name, in one
// step that no other process can come between: an existing file is never
// replaced. Both names are in the same folder. Each platform implements
// this in a source file of its own.
ClaimResult ClaimName(const wxString& from, const wxString& to);

#endif
