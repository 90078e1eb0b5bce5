#ifndef MORVA_TESTS_GUITEST_H
#define MORVA_TESTS_GUITEST_H

// Helpers for tests that drive real windows on a (virtual) display.

#include <gtest/gtest.h>

#include <wx/msgdlg.h>
#include <wx/string.h>

class GTestModalHook;
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include <wx/testing.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class wxWindow;
class wxProgressDialog;

// Reports unmet or unexpected dialogs as test failures, not as asserts.
class GTestModalHook : public wxTestingModalHook {
public:
    GTestModalHook(const char* file, int line, const char* func)
        : wxTestingModalHook(file, line, func)
    {
    }

protected:
    void ReportFailure(const wxString& message) override { ADD_FAILURE() << message; }

    // An unexpected dialog is answered with Cancel rather than shown, so a
    // failing test cannot hang on it.
    int Enter(wxDialog* dialog) override
    {
        const int answer = wxTestingModalHook::Enter(dialog);
        return answer == wxID_NONE ? wxID_CANCEL : answer;
    }
};

// A message box as the operator would have seen it.
struct ShownMessage {
    wxString text;
    wxString caption;
    long style = 0;
    wxString yesLabel; // of a question with Yes and No
    wxString noLabel;
    wxString extended; // the line under the message
};

// Expects a message box, answers it and keeps what it showed in `shown`.
// `check`, when given, runs while the box is up.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
public:
    ExpectMessage(std::vector<ShownMessage>& shown, int answer = wxID_OK,
                  std::function<void()> check = nullptr)
        : m_shown(&shown)
        , m_answer(answer)
        , m_check(std::move(check))
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;

private:
    std::vector<ShownMessage>* m_shown;
    int m_answer;
    std::function<void()> m_check;
};

// Runs the event loop until `done` holds; false when `limit` passed first.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(30));

// Sends a button's click to it, as the operator's click would.
void Click(wxWindow* button);

// The open progress dialog, or null.
wxProgressDialog* FindProgressDialog();

// Counts the top-level windows that are not being destroyed.
int LiveTopLevelWindows();

// A fresh directory under the system's temporary one, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const wxString& path() const { return m_path; }
    // The names of the files in it that match `pattern` (e.g. "report*").
    std::vector<wxString> files(const wxString& pattern = "*") const;

private:
    wxString m_path;
};

// An "xdg-open" first on PATH for this process and its children: it
// records what it was asked to open instead of opening it.
class OpenRecorder {
public:
    OpenRecorder();
    ~OpenRecorder();

    // The argument list of the next call, one string per argument; empty
    // when none came within `limit`.
    std::vector<std::string> next(std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
    TempDir m_dir;
    std::string m_oldPath;
    int m_fifo = -1;
    std::string m_pending;
};

// Reads a whole file as UTF-8.
wxString ReadText(const wxString& path);

#endif
