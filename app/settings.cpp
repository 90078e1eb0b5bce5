#include "app/settings.h"

#include <wx/defs.h>

int Settings::PortSelection() const
{
    if (serialPort < 1 || serialPort > PortCount)
        return wxNOT_FOUND;
    return serialPort - 1;
}

void Settings::SetPortFromSelection(int selection)
{
    serialPort = selection < 0 ? 0 : selection + 1;
}
