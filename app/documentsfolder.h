#ifndef MORVA_DOCUMENTSFOLDER_H
#define MORVA_DOCUMENTSFOLDER_H

#include <filesystem>

// The folder the window works in when started with --in-documents, as its
// Windows Start-menu shortcut starts it: "MORVA_Reporter" in the user's
// Documents, which the user can write wherever the program is installed.
// Found before the toolkit starts, since the settings file is opened in the
// working directory as the application object is made. One source file per
// platform.
class DocumentsFolder {
public:
    // Creates <the user's Documents>/MORVA_Reporter when it is missing and
    // makes it the working directory; false when that fails.
    static bool Enter();

private:
    // The user's Documents folder as the platform names it; empty when it
    // has none.
    static std::filesystem::path UserDocuments();
};

#endif
