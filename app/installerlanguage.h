#ifndef MORVA_INSTALLERLANGUAGE_H
#define MORVA_INSTALLERLANGUAGE_H

#include <wx/string.h>

// The language the operator chose in the Windows installer, which the
// installer keeps in the program's entry among the installed programs. The
// window speaks it while its settings file names no language, so that the
// window started from the installer's last page, and every first start
// after, speaks the installer's language rather than the system's. One
// source file per platform.
class InstallerLanguage {
public:
    // The stored name of that language ("russian"); empty where the program
    // was not installed so, or in a language the program does not speak.
    static wxString Name();
};

#endif
