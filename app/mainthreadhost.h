#ifndef MORVA_MAINTHREADHOST_H
#define MORVA_MAINTHREADHOST_H

#include "reading/readinghost.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// Stands between the reading thread and a host that may be used on the main
// thread only (a window: progress dialog, message boxes). Every call of the
// reading thread is handed to the main thread's event queue, and the reading
// thread waits until the main thread has carried it out, so the order of the
// reading's steps stays as it is.
//
// Detach() (main thread) cuts the link: calls still queued or waiting reach
// nobody, and the reading thread stops waiting within one poll interval
// (UpdateProgress then answers "cancelled"). Nothing here ever waits for the
// reading thread, and the reading thread never waits for a detached host.
class MainThreadHost : public ReadingHost {
public:
    // How often a waiting reading thread looks whether it was detached.
    static constexpr long PollMs = 100;

    // `target` is used on the main thread only, until Detach().
    explicit MainThreadHost(ReadingHost& target);
    ~MainThreadHost() override;

    MainThreadHost(const MainThreadHost&) = delete;
    MainThreadHost& operator=(const MainThreadHost&) = delete;

    bool UpdateProgress(int value, const wxString& message) override;
    void ShowMessage(const wxString& text, const wxString& caption, long style,
                     bool parented) override;
    void OnReadingDone(bool ok) override;

    // Main thread only.
    void Detach();
    bool IsAttached() const;

private:
    struct Link;
    struct PendingCall;

    // Runs `call` with the target on the main thread and waits for it; the
    // fallback when the link is or gets cut.
    bool CallOnMainThread(std::function<bool(ReadingHost&)> call, bool fallback);

    std::shared_ptr<Link> m_link;
};

#endif
