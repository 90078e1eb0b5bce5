// The Russian and Ukrainian catalogs, loaded the way the programs load them:
// the build tree's catalogs, a locale whose system counterpart need not be
// generated (the tests run under LANG=C), the toolkit's own catalog, ours.
#include "reading/languagetable.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/exception.h"

#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/intl.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Expected {
    const char* name;     // as the settings file stores it
    int language;
    const char* getData;  // "Get data", a window label
    const char* reportOn; // "Report on ", looked up in its own domain
    const char* noAnswer; // a bus library error text
    const char* cancel;   // from the toolkit's own catalog
    const char* readError;
    const char* serialPortError;
};

const Expected Languages[] = {
    {"russian", wxLANGUAGE_RUSSIAN, "Получить данные", "Отчёт от ", "Нет ответа", "Отмена",
     "Ошибка чтения! Не удалось получить данные!", "Ошибка последовательного порта"},
    {"ukrainian", wxLANGUAGE_UKRAINIAN, "Отримати дані", "Звіт від ", "Немає відповіді", "Скасувати",
     "Помилка читання! Не вдалося отримати дані!", "Помилка послідовного порту"},
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.name; }

std::string utf8(const wxString& s) { return std::string(s.utf8_str().data()); }

class Catalogs : public ::testing::TestWithParam<Expected> {
protected:
    static void SetUpTestSuite() { s_init = std::make_unique<wxInitializer>(); }
    static void TearDownTestSuite() { s_init.reset(); }

    // The programs' start-up sequence.
    void load(wxLocale& locale, int language)
    {
        LanguageTable::AddCatalogLookupPaths();
        {
            wxLogNull quiet;
            locale.Init(language, wxLOCALE_LOAD_DEFAULT);
        }
        ASSERT_TRUE(locale.AddCatalog("morva_velox"));
        ASSERT_TRUE(locale.AddCatalog("MORVA_Reporter"));
    }

    static std::unique_ptr<wxInitializer> s_init;
};

std::unique_ptr<wxInitializer> Catalogs::s_init;

TEST_P(Catalogs, TranslateBothDomainsAndTheToolkit)
{
    const Expected& e = GetParam();
    ASSERT_EQ(e.language, LanguageTable::FromName(e.name));
    wxLocale locale;
    load(locale, e.language);

    EXPECT_EQ(e.getData, utf8(_("Get data")));
    EXPECT_EQ(e.reportOn, utf8(wxGetTranslation("Report on ", "MORVA_Reporter")));
    EXPECT_EQ(e.readError, utf8(_("Error while reading! Can't get data!")));
    EXPECT_EQ("MORVA_Reporter", utf8(_("MORVA_Reporter")));
    EXPECT_EQ(e.noAnswer, utf8(morva_velox::errorText(morva_velox::NoAnswer)));
    EXPECT_EQ(e.serialPortError,
              utf8(morva_velox::Exception("test", 1, morva_velox::SerialPortError).message()));
    EXPECT_EQ(e.cancel, utf8(wxGetTranslation("Cancel")));
}

INSTANTIATE_TEST_SUITE_P(Languages, Catalogs, ::testing::ValuesIn(Languages),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                             return std::string(info.param.name);
                         });

TEST(CatalogsEnglish, LeaveTextsAsTheyAre)
{
    wxInitializer init;
    wxLocale locale;
    LanguageTable::AddCatalogLookupPaths();
    {
        wxLogNull quiet;
        locale.Init(wxLANGUAGE_ENGLISH, wxLOCALE_LOAD_DEFAULT);
    }
    locale.AddCatalog("morva_velox");
    locale.AddCatalog("MORVA_Reporter");
    EXPECT_EQ("Get data", utf8(_("Get data")));
    EXPECT_EQ("No answer", utf8(morva_velox::errorText(morva_velox::NoAnswer)));
}

// The headless reader in a directory whose settings choose Russian, with a
// port mapped to a device that does not exist.
class CliLanguage : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/morva_i18n_XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::remove((m_dir + "/morva_reporter.ini").c_str());
        std::remove((m_dir + "/stderr.txt").c_str());
        ::rmdir(m_dir.c_str());
    }

    void writeSettings(const std::string& language)
    {
        std::ofstream ini(m_dir + "/morva_reporter.ini");
        ini << "[i18n]\nLanguage=" << language << "\n[communication]\nserial_port=7\n"
            << "[ports]\nCOM7=" << m_dir << "/no-such-port\n";
    }

    // Runs "morva_reporter_cli read" in the directory under LANG=C; returns
    // the exit status and leaves standard error in `errors`.
    int readUnit(std::string& errors)
    {
        const std::string err = m_dir + "/stderr.txt";
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(m_dir.c_str()) != 0 || !std::freopen(err.c_str(), "w", stderr))
                ::_exit(100);
            ::setenv("LANG", "C", 1);
            ::unsetenv("LC_ALL");
            ::unsetenv("LANGUAGE");
            ::execl(MORVA_CLI_PROGRAM, MORVA_CLI_PROGRAM, "read", static_cast<char*>(nullptr));
            ::_exit(101);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        std::ifstream in(err);
        errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string m_dir;
};

TEST_F(CliLanguage, ReportsAMissingPortInTheChosenLanguage)
{
    struct Case {
        const char* language;
        const char* expected;
    };
    const Case cases[] = {
        {"Russian", "Ошибка чтения! Не удалось получить данные!\nОшибка последовательного порта\n"
                    "Устройство %s, на которое указывает COM7, не найдено.\n"},
        {"ukrainian", "Помилка читання! Не вдалося отримати дані!\nПомилка послідовного порту\n"
                      "Пристрій %s, на який вказує COM7, не знайдено.\n"},
        {"", "Error while reading! Can't get data!\nSerial port error\n"
             "The device %s, which COM7 stands for, does not exist.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        writeSettings(c.language);
        std::string errors;
        EXPECT_EQ(1, readUnit(errors));
        std::string expected = c.expected;
        expected.replace(expected.find("%s"), 2, m_dir + "/no-such-port");
        EXPECT_EQ("MORVA_Reporter: " + expected, errors);
    }
}

} // namespace
