#ifndef MORVA_RESOURCES_H
#define MORVA_RESOURCES_H

#include <wx/bitmap.h>
#include <wx/iconbndl.h>
#include <wx/string.h>

// The program's pictures, looked up beside the executable ("resources/"),
// in the installation ("../share/morva_reporter/") and in the source tree.
// A missing picture is no error: the program then does without it.
namespace Resources {

// The full path of the first copy found, or empty.
wxString Find(const wxString& name);

// The window icon in every size found (16 to 256 pixels): on Windows the
// executable's icon resource "MORVA_Reporter", elsewhere the pictures; may
// be empty.
wxIconBundle ProgramIcons();

// The 400 x 300 picture of the About window; a plain picture with the
// program's name when the file is missing.
wxBitmap AboutPicture();

// The help page in `language`, a canonical name such as "ru_RU" or "ru":
// "help/<language>/index.htm" (the full name first, then its language part)
// in the working directory, as always, else beside the executable or in the
// installation (a program started from the desktop menu). Where no page in
// that language exists, the English page "help/index.htm" of those places.
// The working directory's English path when no page exists at all.
wxString HelpPage(const wxString& language);

} // namespace Resources

#endif
