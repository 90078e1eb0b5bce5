#include "insight/xlsxpath.h"

std::string XlsxPath(const wxString& path)
{
    const wxCharBuffer name = path.fn_str();
    return name.data() ? std::string(name.data()) : std::string();
}
