#ifndef MORVA_READINGHOST_H
#define MORVA_READINGHOST_H

#include <wx/string.h>

// What a reading of the unit's memory needs from whoever shows it: the
// window (progress dialog and message boxes), the headless reader (a
// terminal), or a test. Called on the reading's own thread.
class ReadingHost {
public:
    virtual ~ReadingHost() = default;

    // Sets the progress gauge to `value` and, unless `message` is empty,
    // its text. Returns false once the operator has asked to cancel.
    virtual bool UpdateProgress(int value, const wxString& message) = 0;

    // Shows a message box with the text, caption and style (wxOK,
    // wxICON_ERROR, ...). `parented` tells whether the box belongs to the
    // main window or stands alone.
    virtual void ShowMessage(const wxString& text, const wxString& caption, long style,
                             bool parented) = 0;

    // The reading has ended; `ok` when its lines make a report.
    virtual void OnReadingDone(bool ok) = 0;
};

#endif
