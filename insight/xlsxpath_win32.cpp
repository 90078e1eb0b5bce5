#include "insight/xlsxpath.h"

std::string XlsxPath(const wxString& path)
{
    return std::string(path.utf8_str());
}
