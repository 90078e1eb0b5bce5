#include "terminalhost.h"

#include "reading/memoryreader.h"

#include <wx/defs.h>

TerminalHost::TerminalHost(std::FILE* out, bool live, const std::atomic<int>& interrupts,
                           DoneHandler done)
    : m_out(out)
    , m_live(live)
    , m_interrupts(interrupts)
    , m_done(std::move(done))
{
}

bool TerminalHost::UpdateProgress(int value, const wxString& message)
{
    const bool tableStarts = !message.empty() && message != m_message && value == 0;
    if (!message.empty())
        m_message = message;
    if (m_live) {
        constexpr int width = 30;
        const int filled = static_cast<int>(static_cast<long long>(value) * width / MemoryReader::progressRange);
        const wxString bar = wxString('#', filled) + wxString('-', width - filled);
        std::fprintf(m_out, "\r[%s] %3d%% %s\x1b[K", bar.utf8_str().data(),
                     static_cast<int>(static_cast<long long>(value) * 100 / MemoryReader::progressRange),
                     m_message.utf8_str().data());
        std::fflush(m_out);
        m_lineOpen = true;
    } else if (tableStarts) {
        std::fprintf(m_out, "%s\n", m_message.utf8_str().data());
        std::fflush(m_out);
    }
    return m_interrupts.load() == 0;
}

void TerminalHost::endLiveLine()
{
    if (m_lineOpen) {
        std::fputc('\n', m_out);
        m_lineOpen = false;
    }
}

void TerminalHost::ShowMessage(const wxString& text, const wxString& caption, long style, bool)
{
    endLiveLine();
    const bool error = (style & (wxICON_ERROR | wxICON_EXCLAMATION)) != 0;
    std::fprintf(m_out, "%s%s\n", error ? (caption + ": ").utf8_str().data() : "",
                 text.utf8_str().data());
    std::fflush(m_out);
}

void TerminalHost::OnReadingDone(bool ok)
{
    endLiveLine();
    if (m_done)
        m_done(ok);
}
