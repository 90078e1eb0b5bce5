#include "app/pngencoding.h"

#include <wx/imagpng.h>
#include <wx/mstream.h>

std::string EncodePng(const wxImage& image)
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryOutputStream png;
    if (!image.SaveFile(png, wxBITMAP_TYPE_PNG))
        return std::string();
    const wxStreamBuffer& buffer = *png.GetOutputStreamBuffer();
    return std::string(static_cast<const char*>(buffer.GetBufferStart()), buffer.GetIntPosition());
}
