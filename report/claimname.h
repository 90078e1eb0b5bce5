#ifndef MORVA_REPORT_CLAIMNAME_H
#define MORVA_REPORT_CLAIMNAME_H

#include <wx/string.h>

// What became of an attempt to give a file a new name.
enum class ClaimResult {
    Claimed, // the file now has the name
    Taken,   // another file has that name; nothing was changed
    Failed   // the file system refused; nothing was changed
};

// The ways a name is claimed, each the fallback for file systems that
// cannot do the one before it.
enum class ClaimStrategy {
    Rename, // one rename that refuses to replace an existing file
    Link,   // a hard link made only where the name is free, then the old name dropped
    Create  // the name created exclusively, then the file moved onto it
};

// Gives the file `from` the name `to` only if no file has that name, in one
// step that no other process can come between: an existing file is never
// replaced. Both names are in the same folder. Starts with `strategy` and
// falls back to the next one where the file system cannot do it; the
// program always starts with the first, tests choose. Windows's own move
// refuses to replace on every file system, so there the strategy changes
// nothing. Each platform implements this in a source file of its own.
ClaimResult ClaimName(const wxString& from, const wxString& to,
                      ClaimStrategy strategy = ClaimStrategy::Rename);

// Makes the names just given in the folder of `fileName` last through a
// power loss: false when the system could not write them out.
bool FlushFolder(const wxString& fileName);

#endif
