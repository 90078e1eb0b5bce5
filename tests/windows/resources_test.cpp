// The window's pictures on Windows, whose toolkit reads no PNG: the icon in
// every size comes from the executable's icon resource, the About picture
// from the copy built into the program, not from the plain stand-in.
#include "app/resources.h"

#include "app/resources/about.xpm"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstring>

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assert in " << func << ": " << cond << " " << msg;
}

// A GUI application around the tests, as the program has; an assertion of
// the toolkit fails the test instead of opening a box nobody closes.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        wxApp::SetInstance(new wxApp);
        int argc = 0;
        ASSERT_TRUE(wxEntryStart(argc, static_cast<wxChar**>(nullptr)));
        wxSetAssertHandler(FailOnAssert);
    }
    void TearDown() override { wxEntryCleanup(); }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

TEST(WindowPictures, IconInEverySize)
{
    const wxIconBundle icons = Resources::ProgramIcons();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const wxIcon icon = icons.GetIconOfExactSize(wxSize(size, size));
        EXPECT_TRUE(icon.IsOk()) << size << " pixels";
    }
}

TEST(WindowPictures, AboutPictureIsTheDrawnOne)
{
    const wxImage expected(about_xpm);
    ASSERT_TRUE(expected.IsOk());
    const wxBitmap bitmap = Resources::AboutPicture();
    ASSERT_TRUE(bitmap.IsOk());
    const wxImage actual = bitmap.ConvertToImage();
    ASSERT_EQ(actual.GetSize(), wxSize(400, 300));
    EXPECT_EQ(std::memcmp(actual.GetData(), expected.GetData(), 400 * 300 * 3), 0)
        << "not the drawn picture (the plain one with the program's name?)";
}

} // namespace
