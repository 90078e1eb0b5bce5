// With a catalogue loaded, the model's fixed texts come out translated,
// the non-ASCII scale texts included.
#include "buslib/model/event.h"
#include "buslib/model/measure.h"
#include "buslib/model/point.h"
#include "buslib/model/statustable.h"

#include <wx/arrstr.h>
#include <wx/translation.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

using namespace morva_velox;

namespace {

// A binary message catalogue (.mo) holding the given UTF-8 pairs.
std::string buildCatalogue(const std::map<std::string, std::string>& pairs)
{
    std::map<std::string, std::string> all = pairs;
    all[""] = "Content-Type: text/plain; charset=UTF-8\n";
    const std::uint32_t n = static_cast<std::uint32_t>(all.size());
    const std::uint32_t originals = 28;
    const std::uint32_t translations = originals + 8 * n;
    std::uint32_t offset = translations + 8 * n;

    std::string texts;
    const auto put32 = [](std::string& out, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    std::string originalTable;
    std::string translationTable;
    for (const bool original : {true, false}) {
        for (const auto& [key, value] : all) {
            const std::string& s = original ? key : value;
            put32(original ? originalTable : translationTable, static_cast<std::uint32_t>(s.size()));
            put32(original ? originalTable : translationTable, offset);
            texts += s;
            texts.push_back('\0');
            offset += static_cast<std::uint32_t>(s.size() + 1);
        }
    }
    std::string mo;
    for (const std::uint32_t v : {0x950412deu, 0u, n, originals, translations, 0u, 0u})
        put32(mo, v);
    return mo + originalTable + translationTable + texts;
}

class MemoryLoader : public wxTranslationsLoader {
public:
    explicit MemoryLoader(std::string catalogue)
        : m_catalogue(std::move(catalogue))
    {
    }
    wxMsgCatalog* LoadCatalog(const wxString& domain, const wxString&) override
    {
        return wxMsgCatalog::CreateFromData(
            wxScopedCharBuffer::CreateNonOwned(m_catalogue.data(), m_catalogue.size()), domain);
    }
    wxArrayString GetAvailableTranslations(const wxString&) const override
    {
        wxArrayString languages;
        languages.Add("uk");
        return languages;
    }

private:
    std::string m_catalogue;
};

class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto translations = std::make_unique<wxTranslations>();
        translations->SetLoader(new MemoryLoader(buildCatalogue({
            {"\xC3\x97" "10\xE2\x81\xBB\xC2\xB3", "x10^-3"},
            {"m", "MILLI"},
            {"Measure", "MEASURE"},
            {"Threshold exceeded", "OVER"},
            {"Measures restarted", "RESTARTED"},
            {"Unknown event", "UNKNOWN"},
            {"Program error", "BUG"},
            {"Point plugged", "PLUGGED"},
            {"Shortcut circuit", "SHORT"},
            {"Unknown variable", "NO VARIABLE"},
        })));
        translations->SetLanguage("uk");
        ASSERT_TRUE(translations->AddCatalog(CatalogName));
        wxTranslations::Set(translations.release());
    }
    void TearDown() override { wxTranslations::Set(nullptr); }
};

} // namespace

TEST_F(TranslationTest, FixedTextsAreLookedUp)
{
    const Measure measure(0.0123f, "V", 0, 0, 0, 0);
    EXPECT_EQ(measure.factorText(), "x10^-3");
    EXPECT_EQ(measure.textWithFactor(), " 12.3 x10^-3V");
    EXPECT_EQ(measure.textWithPrefix(), " 12.3 MILLIV");
    EXPECT_EQ(measure.kindText(), "MEASURE");
    EXPECT_EQ(Measure(0.5f, "V", 0, 0, 0, Measure::ThresholdExceeded).kindText(), "OVER");

    EXPECT_EQ(Event(2, Address::host()).text(), "RESTARTED");
    const Event unknown(49, Address::host());
    EXPECT_EQ(unknown.text(), "UNKNOWN");
    EXPECT_EQ(unknown.messages().at(0).text(), "BUG! UNKNOWN");

    Point point(Address::fromBytes(1, 2, 3));
    EXPECT_EQ(point.stateText(), "PLUGGED");
    point.setState(33);
    EXPECT_EQ(point.stateText(), "NO VARIABLE");
    EXPECT_EQ(point.params().stateText(), "NO VARIABLE");

    EXPECT_EQ(defaultStatusTable().statusText(1), "SHORT");
}
