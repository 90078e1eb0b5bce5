// morva_reporter: the window with which the operator reads a measuring
// unit's memory into a report or clears it.

#include "app/app.h"

wxIMPLEMENT_APP(App);
