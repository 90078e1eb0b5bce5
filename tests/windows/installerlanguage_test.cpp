// The installer's language as the window finds it: the Modern UI keeps the
// language it ran in, as a LANGID in decimal, in the program's entry among
// the installed programs. The entry is the installer's, named here as the
// installer script names it; whatever this test finds there is put back.
#include "app/installerlanguage.h"

#include <gtest/gtest.h>

#include <wx/log.h>
#include <wx/msw/registry.h>

#include <optional>

namespace {

const wchar_t* const EntryKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MORVA_Reporter";
const wchar_t* const LanguageValue = L"InstallerLanguage";

class InstallerLanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const wxLogNull quiet;
        existed = entry.Exists();
        wxString value;
        if (existed && entry.HasValue(LanguageValue) && entry.QueryValue(LanguageValue, value))
            previous = value;
        ASSERT_TRUE(entry.Create(false));
    }

    void TearDown() override
    {
        const wxLogNull quiet;
        if (!existed) {
            EXPECT_TRUE(entry.DeleteSelf());
        } else if (previous) {
            EXPECT_TRUE(entry.SetValue(LanguageValue, *previous));
        } else if (entry.HasValue(LanguageValue)) {
            EXPECT_TRUE(entry.DeleteValue(LanguageValue));
        }
    }

    void Store(const wxString& value) { ASSERT_TRUE(entry.SetValue(LanguageValue, value)); }

    wxRegKey entry{wxRegKey::HKLM, EntryKey};
    bool existed = false;
    std::optional<wxString> previous;
};

TEST_F(InstallerLanguageTest, TheInstallersChoiceByItsPrimaryLanguage)
{
    const struct {
        const char* stored;
        const char* name;
    } cases[] = {
        {"1049", "russian"},
        {"1058", "ukrainian"},
        {"1033", "english"},
        {"2057", "english"}, // English (United Kingdom)
        {" 1049 ", "russian"},
        {"1031", ""}, // German: none of the program's languages
        {"", ""},
        {"russian", ""},
    };
    for (const auto& c : cases) {
        Store(c.stored);
        EXPECT_EQ(InstallerLanguage::Name(), c.name) << "stored: '" << c.stored << "'";
    }
}

TEST_F(InstallerLanguageTest, NoneWithoutTheInstallersValue)
{
    const wxLogNull quiet;
    if (entry.HasValue(LanguageValue)) {
        ASSERT_TRUE(entry.DeleteValue(LanguageValue));
    }
    EXPECT_EQ(InstallerLanguage::Name(), "");
}

} // namespace
