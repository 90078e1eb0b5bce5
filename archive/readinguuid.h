#ifndef MORVA_ARCHIVE_READINGUUID_H
#define MORVA_ARCHIVE_READINGUUID_H

#include <wx/string.h>

// A new random (version 4) UUID in its usual text form, lower case: the
// name a reading keeps in every archive that holds it, made when it begins.
wxString NewReadingUuid();

#endif
