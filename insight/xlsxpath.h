#ifndef MORVA_INSIGHT_XLSXPATH_H
#define MORVA_INSIGHT_XLSXPATH_H

#include <wx/string.h>

#include <string>

// How the workbook library is given a file's path: the file system's own
// bytes for the name on POSIX; UTF-8 on Windows, where our build of the
// library opens files by their wide names, so that a folder of any
// language works. One source file per platform.
std::string XlsxPath(const wxString& path);

#endif
