#include "app/chartfile.h"

#include "app/chartpainter.h"
#include "app/pngencoding.h"
#include "insight/svgchart.h"
#include "report/reportfile.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/intl.h>

#include <stdexcept>
#include <string>

wxString ChartFile::Save(const ChartModel& chart, const wxString& path)
{
    if (wxFileName(path).GetExt().Lower() == "svg")
        return SvgChart::Save(chart, path);
    const std::string png = EncodePng(Picture(chart));
    ReportFile file(path);
    const bool written = !png.empty() && file.IsOpened() && file.Write(png) && file.Commit();
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
