#ifndef MORVA_PNGENCODING_H
#define MORVA_PNGENCODING_H

#include <wx/image.h>

#include <string>

// A picture as the bytes of a PNG file, by the system's own encoder: the
// toolkit's PNG handler on GTK, the Windows Imaging Component on Windows
// (whose toolkit is built without libpng). Empty when it cannot be encoded.
// One source file per platform.
std::string EncodePng(const wxImage& image);

#endif
