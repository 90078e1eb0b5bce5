#ifndef MORVA_DESKTOP_H
#define MORVA_DESKTOP_H

#include <wx/string.h>

// Opens a document or a page with the desktop's default application for its
// type. The path is handed over as one argument, never through a shell, so
// quotes and spaces in it mean nothing special. False when nothing could be
// started.
bool OpenWithDefaultApplication(const wxString& path);

#endif
