#include "app/installerlanguage.h"

// Installed by the system's packages: no installer chose a language.
wxString InstallerLanguage::Name() { return wxString(); }
