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

// The window icon in every size found (16 to 256 pixels); may be empty.
wxIconBundle ProgramIcons();

// The 400 x 300 picture of the About window; a plain picture with the
// program's name when the file is missing.
wxBitmap AboutPicture();

// The help page: "help/index.htm" in the working directory, as always; when
// the working directory has none (a program started from the desktop menu),
// the page beside the executable or in the installation. The working
// directory's path when no copy exists at all.
wxString HelpPage();

} // namespace Resources

#endif
