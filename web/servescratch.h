#ifndef MORVA_WEB_SERVESCRATCH_H
#define MORVA_WEB_SERVESCRATCH_H

#include <wx/string.h>

#include <atomic>

// The server's own folder in the system's temporary folder, for the user
// alone, where downloads are written before they are sent; it goes with
// the server. Each download gets a folder of its own in it, gone when the
// download is.
class ServeScratch {
public:
    // A download's folder, removed with what it holds when it goes.
    class Folder {
    public:
        explicit Folder(wxString path);
        Folder(const Folder&) = delete;
        Folder& operator=(const Folder&) = delete;
        ~Folder();
        const wxString& Path() const { return m_path; }

    private:
        wxString m_path;
    };

    // Throws std::runtime_error when the folder cannot be made.
    ServeScratch();
    ServeScratch(const ServeScratch&) = delete;
    ServeScratch& operator=(const ServeScratch&) = delete;
    ~ServeScratch();

    const wxString& Path() const { return m_path; }
    Folder NewFolder();

private:
    wxString m_path;
    std::atomic<unsigned long> m_next{0};
};

#endif
