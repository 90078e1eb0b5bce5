#ifndef MORVA_TESTS_ROBUSTNESS_APPENDONLYFOLDER_H
#define MORVA_TESTS_ROBUSTNESS_APPENDONLYFOLDER_H

#include <wx/string.h>

#include <string>

// A folder made append-only (chattr +a) for the life of the object: files
// are created and written in it, but no name in it is moved or removed,
// not even by root. The one folder where a report is written in full and
// then cannot take its name.
class AppendOnlyFolder {
public:
    explicit AppendOnlyFolder(const wxString& folder);
    ~AppendOnlyFolder();
    AppendOnlyFolder(const AppendOnlyFolder&) = delete;
    AppendOnlyFolder& operator=(const AppendOnlyFolder&) = delete;

    // False when the file system or the process's rights do not allow it;
    // error() says why.
    bool made() const { return m_made; }
    const std::string& error() const { return m_error; }

private:
    bool setAppendOnly(bool on);

    std::string m_folder;
    bool m_made = false;
    std::string m_error;
};

#endif
