#ifndef MORVA_TERMINALHOST_H
#define MORVA_TERMINALHOST_H

#include "reading/readinghost.h"

#include <atomic>
#include <cstdio>
#include <functional>

// Shows a reading on a terminal: a live progress bar on standard error when
// that is a terminal, plain lines per table otherwise; message boxes become
// lines on standard error. Ctrl-C counts as the dialog's Cancel.
class TerminalHost : public ReadingHost {
public:
    using DoneHandler = std::function<void(bool ok)>;

    TerminalHost(std::FILE* out, bool live, const std::atomic<int>& interrupts, DoneHandler done);

    bool UpdateProgress(int value, const wxString& message) override;
    void ShowMessage(const wxString& text, const wxString& caption, long style,
                     bool parented) override;
    void OnReadingDone(bool ok) override;

private:
    void endLiveLine();

    std::FILE* m_out;
    bool m_live;
    const std::atomic<int>& m_interrupts;
    DoneHandler m_done;
    wxString m_message;
    bool m_lineOpen = false;
};

#endif
