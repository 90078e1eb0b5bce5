#include "app/resources.h"

#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/settings.h>
#include <wx/stdpaths.h>

#if !wxUSE_LIBPNG
// The About picture as XPM, built into the program for a toolkit that reads
// no PNG.
#include "app/resources/about.xpm"
#endif

namespace Resources {

namespace {

#ifdef __WXMSW__
// The executable's icon resource, in every size (packaging/windows/morva_reporter.rc.in).
const char* const IconResource = "MORVA_Reporter";
#else
const int IconSizes[] = {16, 32, 48, 64, 128, 256};
#endif
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
// pictures built into the program stand in for the files.
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

// The built-in copy of the picture in that PNG file, or an invalid image.
wxImage BuiltInPicture(const wxString& name)
{
#if wxUSE_LIBPNG
    wxUnusedVar(name);
    return wxImage();
#else
    static const struct {
        const char* name;
        const char* const* xpm;
    } pictures[] = {
        {"about.png", about_xpm},
    };
    for (const auto& picture : pictures) {
        if (name == picture.name) {
            wxLogNull quiet;
            return wxImage(picture.xpm);
        }
    }
    return wxImage();
#endif
}

// The picture in that file (or its built-in copy where no PNG can be read),
// or an invalid image; never a log message.
wxImage LoadPng(const wxString& name)
{
    if (!CanReadPng())
        return BuiltInPicture(name);
    const wxString path = Find(name);
    wxImage image;
    if (!path.empty()) {
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
#ifdef __WXMSW__
    // An executable without the resource has no icon: no message about it.
    const wxLogNull quiet;
    return wxIconBundle(IconResource, nullptr);
#else
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
#endif
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

wxString HelpPage(const wxString& language)
{
    const wxString exeDir = ExecutableDir();
    const wxString helpDirs[] = {wxGetCwd() + "/help", exeDir + "/help",
                                 exeDir + "/../share/morva_reporter/help"};
    wxArrayString pages;
    for (const wxString& subdir : {language, language.BeforeFirst('_')}) {
        if (!subdir.empty() && pages.Index(subdir + "/index.htm") == wxNOT_FOUND)
            pages.Add(subdir + "/index.htm");
    }
    pages.Add("index.htm");
    for (const wxString& page : pages) {
        for (const wxString& dir : helpDirs) {
            wxFileName file(dir + "/" + page);
            file.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
            if (file.FileExists())
                return file.GetFullPath();
        }
    }
    return wxFileName(helpDirs[0], "index.htm").GetFullPath();
}

} // namespace Resources
