#include "tests/app/guitest.h"

#include <wx/app.h>
#include <wx/dir.h>
#include <wx/evtloop.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/progdlg.h>
#include <wx/toplevel.h>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

int ExpectMessage::OnInvoked(wxMessageDialog* dialog) const
{
    m_shown->push_back({dialog->GetMessage(), dialog->GetCaption(), dialog->GetMessageDialogStyle(),
                        dialog->GetYesLabel(), dialog->GetNoLabel(), dialog->GetExtendedMessage()});
    if (m_check)
        m_check();
    return m_answer;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    wxEventLoopBase* const loop = wxEventLoopBase::GetActive();
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        // Returns as soon as something arrives: a reading thread's call, a
        // timer, a window event.
        loop->DispatchTimeout(20);
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    }
    return true;
}

void Click(wxWindow* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

wxProgressDialog* FindProgressDialog()
{
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* dialog = dynamic_cast<wxProgressDialog*>(window))
            return dialog;
    }
    return nullptr;
}

int LiveTopLevelWindows()
{
    int count = 0;
    for (wxWindow* window : wxTopLevelWindows) {
        if (!window->IsBeingDeleted())
            ++count;
    }
    return count;
}

TempDir::TempDir()
{
    std::string pattern = (wxFileName::GetTempDir() + "/morva_gui_XXXXXX").utf8_string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = wxString::FromUTF8(pattern);
}

TempDir::~TempDir() { wxFileName::Rmdir(m_path, wxPATH_RMDIR_RECURSIVE); }

std::vector<wxString> TempDir::files(const wxString& pattern) const
{
    std::vector<wxString> names;
    wxDir dir(m_path);
    wxString name;
    for (bool more = dir.GetFirst(&name, pattern, wxDIR_FILES); more; more = dir.GetNext(&name))
        names.push_back(name);
    return names;
}

OpenRecorder::OpenRecorder()
{
    const std::string dir = m_dir.path().utf8_string();
    const std::string fifo = dir + "/opened";
    if (::mkfifo(fifo.c_str(), 0600) != 0)
        throw std::runtime_error("mkfifo failed");
    // Read and write: the pipe never reports an end while we hold it.
    m_fifo = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_fifo < 0)
        throw std::runtime_error("cannot open the fifo");

    wxFFile stub(wxString::FromUTF8(dir + "/xdg-open"), "w");
    // One line per call, the arguments separated by a NUL byte.
    stub.Write(wxString::FromUTF8("#!/bin/sh\n"
                                  "{ for a in \"$@\"; do printf '%s\\0' \"$a\"; done; printf '\\n'; } >'"
                                  + fifo + "'\n"));
    stub.Close();
    ::chmod((dir + "/xdg-open").c_str(), 0755);

    const char* path = std::getenv("PATH");
    m_oldPath = path ? path : "";
    ::setenv("PATH", (dir + ":" + m_oldPath).c_str(), 1);
}

OpenRecorder::~OpenRecorder()
{
    ::setenv("PATH", m_oldPath.c_str(), 1);
    if (m_fifo >= 0)
        ::close(m_fifo);
}

std::vector<std::string> OpenRecorder::next(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto end = m_pending.find('\n');
        if (end != std::string::npos) {
            const std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            std::vector<std::string> args;
            std::size_t start = 0;
            for (std::size_t nul; (nul = line.find('\0', start)) != std::string::npos; start = nul + 1)
                args.push_back(line.substr(start, nul - start));
            return args;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return {};
        pollfd p{m_fifo, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::read(m_fifo, buffer, sizeof buffer);
        if (got > 0)
            m_pending.append(buffer, static_cast<std::size_t>(got));
    }
}

wxString ReadText(const wxString& path)
{
    wxFFile file(path, "rb");
    wxString text;
    if (file.IsOpened())
        file.ReadAll(&text, wxConvUTF8);
    return text;
}
