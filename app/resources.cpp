#include "app/resources.h"

#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/settings.h>
#include <wx/stdpaths.h>

namespace Resources {

namespace {

const int IconSizes[] = {16, 32, 48, 64, 128, 256};
const wxSize AboutSize(400, 300);

wxString ExecutableDir()
{
    return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
}

wxArrayString SearchDirs()
{
    const wxString exeDir = ExecutableDir();
    wxArrayString dirs;
    dirs.Add(exeDir + "/resources");
    dirs.Add(exeDir + "/../share/morva_reporter");
#ifdef MORVA_SOURCE_RESOURCE_DIR
    dirs.Add(MORVA_SOURCE_RESOURCE_DIR);
#endif
    return dirs;
}

// A toolkit built without libpng (the Windows build) reads no PNG: the
// callers then fall back to what they draw themselves.
bool CanReadPng()
{
#if wxUSE_LIBPNG
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    return true;
#else
    return false;
#endif
}

// The picture in that file, or an invalid image; never a log message.
wxImage LoadPng(const wxString& name)
{
    const wxString path = Find(name);
    wxImage image;
    if (!path.empty() && CanReadPng()) {
        wxLogNull quiet;
        image.LoadFile(path, wxBITMAP_TYPE_PNG);
    }
    return image;
}

wxBitmap PlainAboutPicture()
{
    wxBitmap bitmap(AboutSize);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.Clear();
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    dc.SetFont(wxFont(wxFontInfo(20).Bold()));
    const wxString name = _("MORVA_Reporter");
    const wxSize text = dc.GetTextExtent(name);
    dc.DrawText(name, (AboutSize.x - text.x) / 2, (AboutSize.y - text.y) / 2);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

} // namespace

wxString Find(const wxString& name)
{
    for (const wxString& dir : SearchDirs()) {
        const wxFileName file(dir, name);
        if (file.FileExists())
            return file.GetAbsolutePath();
    }
    return wxString();
}

wxIconBundle ProgramIcons()
{
    wxIconBundle icons;
    for (int size : IconSizes) {
        const wxImage image = LoadPng(wxString::Format("morva_reporter_%d.png", size));
        if (image.IsOk()) {
            wxIcon icon;
            icon.CopyFromBitmap(wxBitmap(image));
            icons.AddIcon(icon);
        }
    }
    return icons;
}

wxBitmap AboutPicture()
{
    wxImage image = LoadPng("about.png");
    if (!image.IsOk())
        return PlainAboutPicture();
    if (image.GetSize() != AboutSize)
        image.Rescale(AboutSize.x, AboutSize.y, wxIMAGE_QUALITY_HIGH);
    return wxBitmap(image);
}

wxString HelpPage()
{
    const wxString inWorkingDir = wxFileName(wxGetCwd() + "/help", "index.htm").GetFullPath();
    if (wxFileName::FileExists(inWorkingDir))
        return inWorkingDir;
    const wxString exeDir = ExecutableDir();
    for (const wxString& dir : {exeDir + "/help", exeDir + "/../share/morva_reporter/help"}) {
        wxFileName page(dir, "index.htm");
        page.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
        if (page.FileExists())
            return page.GetFullPath();
    }
    return inWorkingDir;
}

} // namespace Resources
