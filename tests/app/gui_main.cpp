// Runs the tests inside a real GUI application with an active event loop;
// toolkit asserts become test failures instead of dialogs.

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assert in " << func << ": " << cond << " " << msg;
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        fprintf(stderr, "cannot start the GUI (is there a display?)\n");
        return 1;
    }
    wxSetAssertHandler(FailOnAssert);

    int result = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        result = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
