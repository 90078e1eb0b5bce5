#include "web/servescratch.h"

#include <openssl/rand.h>

#include <wx/filefn.h>
#include <wx/filename.h>

#include <stdexcept>

namespace {

wxString randomName()
{
    unsigned char bytes[8];
    if (RAND_bytes(bytes, sizeof bytes) != 1)
        throw std::runtime_error("no random bytes for the server's temporary folder");
    wxString name = "morva-serve-";
    for (unsigned char byte : bytes)
        name += wxString::Format("%02x", byte);
    return name;
}

void removeTree(const wxString& path)
{
    if (wxFileName::DirExists(path))
        wxFileName::Rmdir(path, wxPATH_RMDIR_RECURSIVE);
}

} // namespace

ServeScratch::Folder::Folder(wxString path)
    : m_path(std::move(path))
{
    if (!wxFileName::Mkdir(m_path, wxS_DIR_DEFAULT & 0700))
        throw std::runtime_error("cannot make a folder for a download");
}

ServeScratch::Folder::~Folder() { removeTree(m_path); }

ServeScratch::ServeScratch()
    : m_path(wxFileName(wxFileName::GetTempDir(), randomName()).GetFullPath())
{
    if (!wxFileName::Mkdir(m_path, 0700))
        throw std::runtime_error("cannot make the server's temporary folder in " + wxFileName::GetTempDir().utf8_string());
}

ServeScratch::~ServeScratch() { removeTree(m_path); }

ServeScratch::Folder ServeScratch::NewFolder()
{
    return Folder(m_path + wxFileName::GetPathSeparator() + wxString::Format("d%lu", m_next++));
}
