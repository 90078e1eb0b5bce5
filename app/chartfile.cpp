#include "app/chartfile.h"

#include "app/chartpainter.h"
#include "insight/svgchart.h"
#include "report/reportfile.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/mstream.h>

#include <stdexcept>
#include <string_view>

wxString ChartFile::Save(const ChartModel& chart, const wxString& path)
{
    if (wxFileName(path).GetExt().Lower() == "svg")
        return SvgChart::Save(chart, path);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryOutputStream png;
    ReportFile file(path);
    bool written = Picture(chart).SaveFile(png, wxBITMAP_TYPE_PNG) && file.IsOpened();
    if (written) {
        const wxStreamBuffer& buffer = *png.GetOutputStreamBuffer();
        written = file.Write(std::string_view(static_cast<const char*>(buffer.GetBufferStart()), buffer.GetIntPosition()))
            && file.Commit();
    }
    if (!written)
        throw std::runtime_error(std::string(wxString::Format(_("Cannot write %s."), path).utf8_str()));
    return file.FileName();
}

wxImage ChartFile::Picture(const ChartModel& chart)
{
    wxBitmap bitmap(chart.Width(), chart.Height(), 24);
    {
        wxMemoryDC dc(bitmap);
        ChartPainter::Paint(dc, chart);
    }
    return bitmap.ConvertToImage();
}
