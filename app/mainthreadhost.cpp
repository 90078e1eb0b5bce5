#include "app/mainthreadhost.h"

#include <wx/app.h>
#include <wx/thread.h>

// Shared with the calls in the main thread's queue, which may outlive the
// host.
struct MainThreadHost::Link {
    // Read and written on the main thread only.
    ReadingHost* target = nullptr;
    // Guards the hand-over, so that no call is queued once Detach() returned.
    std::mutex mutex;
    std::atomic<bool> attached{true};
};

struct MainThreadHost::PendingCall {
    wxSemaphore done;
    bool result = false;
};

MainThreadHost::MainThreadHost(ReadingHost& target)
    : m_link(std::make_shared<Link>())
{
    m_link->target = &target;
}

MainThreadHost::~MainThreadHost() = default;

void MainThreadHost::Detach()
{
    const std::lock_guard<std::mutex> lock(m_link->mutex);
    m_link->target = nullptr;
    m_link->attached = false;
}

bool MainThreadHost::IsAttached() const { return m_link->attached; }

bool MainThreadHost::CallOnMainThread(std::function<bool(ReadingHost&)> call, bool fallback)
{
    const auto pending = std::make_shared<PendingCall>();
    {
        const std::lock_guard<std::mutex> lock(m_link->mutex);
        if (!m_link->attached || !wxTheApp)
            return fallback;
        wxTheApp->CallAfter([link = m_link, pending, call = std::move(call)] {
            if (link->target)
                pending->result = call(*link->target);
            pending->done.Post();
        });
    }
    while (pending->done.WaitTimeout(PollMs) == wxSEMA_TIMEOUT) {
        if (!m_link->attached)
            return fallback;
    }
    return pending->result;
}

bool MainThreadHost::UpdateProgress(int value, const wxString& message)
{
    return CallOnMainThread(
        [value, message](ReadingHost& target) { return target.UpdateProgress(value, message); },
        false);
}

void MainThreadHost::ShowMessage(const wxString& text, const wxString& caption, long style,
                                 bool parented)
{
    CallOnMainThread(
        [=](ReadingHost& target) {
            target.ShowMessage(text, caption, style, parented);
            return true;
        },
        false);
}

void MainThreadHost::OnReadingDone(bool ok)
{
    CallOnMainThread(
        [ok](ReadingHost& target) {
            target.OnReadingDone(ok);
            return true;
        },
        false);
}
