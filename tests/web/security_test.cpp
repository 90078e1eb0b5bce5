// The web view's log-in: the password's hash, the settings it is kept in,
// and the gate that admits Basic credentials and session cookies and slows
// failed log-ins down, against an injected clock.
#include "web/base64.h"
#include "web/logingate.h"
#include "web/loginthrottle.h"
#include "web/passwordhash.h"
#include "web/servesettings.h"

#include "reading/settingsfile.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <wx/filename.h>
#include <wx/utils.h>
#include <wx/init.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Verdict = LoginGate::Verdict;
using std::chrono::hours;
using std::chrono::seconds;

// A stored hash made by hand (few iterations, so the gate's tests run fast):
// the text format alone, independent of HashPassword.
std::string StoredHash(const std::string& password, unsigned iterations = 1000,
                       const std::string& salt = "0123456789abcdef")
{
    std::string hash(32, '\0');
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                      reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                      static_cast<int>(iterations), EVP_sha256(), 32, reinterpret_cast<unsigned char*>(hash.data()));
    return "pbkdf2-sha256$" + std::to_string(iterations) + "$" + EncodeBase64(salt) + "$" + EncodeBase64(hash);
}

std::string BasicHeader(const std::string& credentials)
{
    return "Basic " + EncodeBase64(credentials);
}

// A file's text with its lines ended by "\n": the settings file is written
// with the platform's line ends, "\r\n" on Windows.
std::string FileText(const wxString& path)
{
    std::ifstream in(path.utf8_string(), std::ios::binary);
    std::ostringstream read;
    read << in.rdbuf();
    std::string text = read.str();
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A scratch folder, removed at the end.
class ScratchDir {
public:
    ScratchDir()
    {
        // A name of its own: the process and a count of the folders made.
        static std::atomic<unsigned> made{0};
        m_path = wxFileName::GetTempDir() + wxFileName::GetPathSeparator()
            + wxString::Format("morva_websec_%lu_%u", wxGetProcessId(), made++);
        wxFileName::Mkdir(m_path, 0700);
    }
    ~ScratchDir() { wxFileName::Rmdir(m_path, wxPATH_RMDIR_RECURSIVE); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    wxString operator/(const char* name) const { return m_path + "/" + name; }

private:
    wxString m_path;
};

// A gate whose clock the test moves.
class GateTest : public ::testing::Test {
protected:
    std::chrono::steady_clock::time_point now{hours(1000)};
    LoginGate gate{StoredHash("right"), [this] { return now; }};
};

} // namespace

TEST(PasswordHash, MatchesItsOwnPasswordOnly)
{
    const std::string stored = HashPassword("correct horse");
    EXPECT_TRUE(std::regex_match(stored, std::regex(R"(pbkdf2-sha256\$[0-9]+\$[A-Za-z0-9+/]{22}==\$[A-Za-z0-9+/]{43}=)")))
        << stored;
    EXPECT_EQ(stored.find("correct horse"), std::string::npos);
    EXPECT_TRUE(PasswordMatches("correct horse", stored));
    EXPECT_FALSE(PasswordMatches("correct horse ", stored));
    EXPECT_FALSE(PasswordMatches("", stored));
    // A fresh salt every time.
    EXPECT_NE(HashPassword("correct horse"), stored);
    // The text alone describes the hash: one made elsewhere with other
    // iterations is read as well.
    EXPECT_TRUE(PasswordMatches("пароль", StoredHash("пароль", 3)));
    EXPECT_FALSE(PasswordMatches("пароль", StoredHash("парол", 3)));
    EXPECT_TRUE(PasswordMatches("", StoredHash("", 1)));
}

TEST(PasswordHash, MalformedStoredTextsMatchNothing)
{
    const std::string good = StoredHash("x", 1000);
    const std::string salt = EncodeBase64("0123456789abcdef");
    const std::string hash = good.substr(good.rfind('$') + 1);
    const auto with = [&](const std::string& iterations, const std::string& s = "", const std::string& h = "") {
        return "pbkdf2-sha256$" + iterations + "$" + (s.empty() ? salt : s) + "$" + (h.empty() ? hash : h);
    };
    ASSERT_TRUE(PasswordMatches("x", with("1000")));
    const struct {
        const char* name;
        std::string stored;
    } cases[] = {
        {"empty", ""},
        {"scheme alone", "pbkdf2-sha256"},
        {"dollars", "$$$"},
        {"other scheme", "pbkdf2-sha1$1000$" + salt + "$" + hash},
        {"scheme case", "PBKDF2-SHA256$1000$" + salt + "$" + hash},
        {"field missing", "pbkdf2-sha256$1000$" + salt},
        {"field more", with("1000") + "$"},
        {"iterations 0", with("0")},
        {"iterations negative", with("-1000")},
        {"iterations plus", with("+1000")},
        {"iterations space", with(" 1000")},
        {"iterations empty", with("")},
        {"iterations not a number", with("abc")},
        {"iterations trailing text", with("1000x")},
        {"iterations overflow", with("99999999999999999999999")},
        {"iterations beyond the cap", with("4000000000")},
        {"salt bad base64", with("1000", "!!!!!!!!!!!!!!!!!!!!!!!!")},
        {"salt unpadded", with("1000", salt.substr(0, 22))},
        {"salt padding inside", with("1000", "MD==MTIzNDU2Nzg5YWJjZGVm")},
        {"salt too short", with("1000", EncodeBase64("0123"))},
        {"hash too short", with("1000", "", EncodeBase64("short"))},
        {"hash too long", with("1000", "", hash.substr(0, 43) + "AAAA")},
        {"hash with a space", with("1000", "", " " + hash)},
        {"nul inside", with("1000") + std::string(1, '\0')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(PasswordMatches("x", c.stored));
    }
}

TEST(ServeSettings, DefaultsWithoutSettings)
{
    const ServeSettings settings = ServeSettings::From(nullptr);
    EXPECT_TRUE(settings.listen.empty());
    EXPECT_TRUE(settings.certificate.empty());
    EXPECT_TRUE(settings.key.empty());
    EXPECT_TRUE(settings.passwordHash.empty());
}

TEST(ServeSettings, ReadsTheGroupAndKeepsTheHashLiterally)
{
    wxInitializer init;
    ScratchDir dir;
    const wxString path = dir / "morva_reporter.ini";
    // Base64 after a '$' that happens to spell a variable of the
    // environment must not be replaced by its value.
    wxSetEnv("MORVA", "replaced");
    const std::string hash = "pbkdf2-sha256$1000$MORVA+UTYzNDU2Nzg5YQ==$abc";
    std::ofstream(path.utf8_string()) << "[serve]\nlisten=0.0.0.0:8443\ncertificate=/etc/morva/cert.pem\n"
                                         "key=/etc/morva/key.pem\npassword="
                                      << hash << "\n";
    const auto config = OpenSettingsFile(wxString(), wxString(), path).config;
    const ServeSettings settings = ServeSettings::From(config.get());
    wxUnsetEnv("MORVA");
    EXPECT_EQ(settings.listen, "0.0.0.0:8443");
    EXPECT_EQ(settings.certificate, "/etc/morva/cert.pem");
    EXPECT_EQ(settings.key, "/etc/morva/key.pem");
    EXPECT_EQ(settings.passwordHash, hash);
    // The other readers of the file still get the variables expanded.
    EXPECT_TRUE(config->IsExpandingEnvVars());
}

TEST(ServeSettings, SavingThePasswordChangesNothingElse)
{
    wxInitializer init;
    ScratchDir dir;
    const wxString path = dir / "morva_reporter.ini";
    const std::string before = "; the operator's note\n"
                               "[communication]\nserial_port=3\npace=design\n"
                               "[ports]\nCOM7=/dev/ttyUSB0\nCOM8=/dev/serial/by-id/usb-FTDI_$HOME\n"
                               "[archive]\npath=/srv/morva/archive.sqlite\nurl=postgresql://morva@db/archive\n"
                               "[serve]\nlisten=0.0.0.0:8443\npassword=pbkdf2-sha256$1$old$old\n"
                               "[i18n]\nLanguage=russian\n";
    std::ofstream(path.utf8_string()) << before;
    const std::string hash = HashPassword("new one");
    ASSERT_TRUE(SavePasswordHash(path, hash));

    const std::vector<std::string> expected = Lines(before);
    const std::vector<std::string> after = Lines(FileText(path));
    ASSERT_EQ(after.size(), expected.size()) << FileText(path);
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i], expected[i].rfind("password=", 0) == 0 ? "password=" + hash : expected[i]);
    const auto config = OpenSettingsFile(wxString(), wxString(), path).config;
    EXPECT_TRUE(PasswordMatches("new one", ServeSettings::From(config.get()).passwordHash));

    // A file without the group, and no file at all, gain it.
    const wxString fresh = dir / "fresh.ini";
    ASSERT_TRUE(SavePasswordHash(fresh, hash));
    EXPECT_EQ(FileText(fresh), "[serve]\npassword=" + hash + "\n");
    std::ofstream(path.utf8_string()) << "[ports]\nCOM1=/dev/ttyS0\n";
    ASSERT_TRUE(SavePasswordHash(path, hash));
    EXPECT_EQ(FileText(path), "[ports]\nCOM1=/dev/ttyS0\n[serve]\npassword=" + hash + "\n");

    // A folder that cannot be written into: refused, not thrown.
    EXPECT_FALSE(SavePasswordHash(dir / "missing/morva_reporter.ini", hash));
}

TEST_F(GateTest, WithoutAPasswordEveryoneIsAdmitted)
{
    LoginGate open{std::string()};
    std::string cookie = "untouched";
    EXPECT_FALSE(open.NeedsPassword());
    EXPECT_EQ(open.Basic("", "10.0.0.1"), Verdict::Admitted);
    EXPECT_EQ(open.Session(""), Verdict::Admitted);
    EXPECT_EQ(open.LogIn("", "10.0.0.1", cookie), Verdict::Admitted);
    EXPECT_TRUE(cookie.empty());
    EXPECT_TRUE(gate.NeedsPassword());
}

TEST_F(GateTest, BasicCredentials)
{
    const struct {
        const char* name;
        std::string header;
        Verdict verdict;
    } cases[] = {
        {"right", BasicHeader("admin:right"), Verdict::Admitted},
        {"any user name", BasicHeader("someone else:right"), Verdict::Admitted},
        {"no user name", BasicHeader(":right"), Verdict::Admitted},
        {"scheme in any case", "bAsIc " + EncodeBase64(":right"), Verdict::Admitted},
        {"wrong", BasicHeader("admin:wrong"), Verdict::Refused},
        {"password with a colon", BasicHeader("admin:right:"), Verdict::Refused},
        {"no colon", BasicHeader("right"), Verdict::Refused},
        {"empty", "", Verdict::Refused},
        {"scheme alone", "Basic", Verdict::Refused},
        {"scheme and space", "Basic ", Verdict::Refused},
        {"other scheme", "Bearer " + EncodeBase64(":right"), Verdict::Refused},
        {"no space", "Basic" + EncodeBase64(":right"), Verdict::Refused},
        {"not base64", "Basic !!!!", Verdict::Refused},
        {"unpadded", "Basic " + EncodeBase64(":right").substr(0, 7), Verdict::Refused},
        {"text after padding", "Basic " + EncodeBase64(":r") + "AAAA", Verdict::Refused},
        {"huge", BasicHeader(":" + std::string(100000, 'r')), Verdict::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Each from its own address: the failures must not throttle the rest.
        EXPECT_EQ(gate.Basic(c.header, c.name), c.verdict);
        // Once more after any wait: a header let in before is let in again
        // without the slow hash, one refused before is refused again.
        now += seconds(60);
        EXPECT_EQ(gate.Basic(c.header, c.name), c.verdict) << "asked again";
    }
}

TEST_F(GateTest, FailuresSlowTheAddressDown)
{
    const std::string wrong = BasicHeader("admin:wrong");
    const std::string right = BasicHeader("admin:right");
    std::string cookie;
    // Basic and the form count alike; the wait doubles up to a minute.
    const seconds waits[] = {seconds(1), seconds(2), seconds(4), seconds(8), seconds(16),
                             seconds(32), seconds(60), seconds(60)};
    for (const seconds wait : waits) {
        SCOPED_TRACE(wait.count());
        EXPECT_EQ(gate.RetryAfter("10.0.0.9"), seconds(0));
        const Verdict verdict
            = wait == seconds(4) ? gate.LogIn("wrong", "10.0.0.9", cookie) : gate.Basic(wrong, "10.0.0.9");
        EXPECT_EQ(verdict, Verdict::Refused);
        EXPECT_EQ(gate.RetryAfter("10.0.0.9"), wait);
        // Even the right password waits, and waiting attempts do not count.
        EXPECT_EQ(gate.Basic(right, "10.0.0.9"), Verdict::Throttled);
        EXPECT_EQ(gate.LogIn("right", "10.0.0.9", cookie), Verdict::Throttled);
        EXPECT_TRUE(cookie.empty());
        now += wait - std::chrono::milliseconds(1);
        EXPECT_EQ(gate.RetryAfter("10.0.0.9"), seconds(1)) << "rounded up";
        EXPECT_EQ(gate.Basic(right, "10.0.0.9"), Verdict::Throttled);
        // Another address is not held up.
        EXPECT_EQ(gate.Basic(right, "10.0.0.10"), Verdict::Admitted);
        now += std::chrono::milliseconds(1);
    }
    // A success clears the count: the next failure waits a second again.
    EXPECT_EQ(gate.Basic(right, "10.0.0.9"), Verdict::Admitted);
    EXPECT_EQ(gate.RetryAfter("10.0.0.9"), seconds(0));
    EXPECT_EQ(gate.Basic(wrong, "10.0.0.9"), Verdict::Refused);
    EXPECT_EQ(gate.RetryAfter("10.0.0.9"), seconds(1));
    // A malformed header tries no password, and counts as no failure.
    now += seconds(1);
    EXPECT_EQ(gate.Basic("Basic !!!!", "10.0.0.9"), Verdict::Refused);
    EXPECT_EQ(gate.RetryAfter("10.0.0.9"), seconds(0));
}

TEST(LoginThrottle, ForgetsAddressesWhenFull)
{
    LoginThrottle throttle(100);
    const std::chrono::steady_clock::time_point start{hours(5)};
    for (int i = 0; i < 1000; ++i)
        throttle.Failed("10.1." + std::to_string(i), start + std::chrono::milliseconds(i));
    EXPECT_LE(throttle.size(), 100u);
    // The latest failure is remembered, the first is forgotten.
    const auto then = start + seconds(1);
    EXPECT_EQ(throttle.RetryAfter("10.1.999", then), seconds(1));
    EXPECT_EQ(throttle.RetryAfter("10.1.0", then), seconds(0));
    // An address that failed long ago starts counting afresh.
    for (int i = 0; i < 5; ++i)
        throttle.Failed("10.2.0", start);
    throttle.Failed("10.2.0", start + hours(1));
    EXPECT_EQ(throttle.RetryAfter("10.2.0", start + hours(1)), seconds(1));
}

TEST_F(GateTest, SessionCookies)
{
    std::string setCookie;
    ASSERT_EQ(gate.LogIn("right", "10.0.0.1", setCookie), Verdict::Admitted);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(
        setCookie, match, std::regex("morva_session=([0-9a-f]{64}); Path=/; HttpOnly; Secure; SameSite=Strict")))
        << setCookie;
    const std::string token = match[1];
    std::string other;
    ASSERT_EQ(gate.LogIn("right", "10.0.0.1", other), Verdict::Admitted);
    EXPECT_NE(other, setCookie);

    const struct {
        const char* name;
        std::string header;
        Verdict verdict;
    } cases[] = {
        {"alone", "morva_session=" + token, Verdict::Admitted},
        {"among others", "theme=dark; morva_session=" + token + "; lang=ru", Verdict::Admitted},
        {"no spaces", "a=1;morva_session=" + token + ";b=2", Verdict::Admitted},
        {"after a stale one", "morva_session=" + std::string(64, '0') + "; morva_session=" + token, Verdict::Admitted},
        {"empty", "", Verdict::Refused},
        {"unknown token", "morva_session=" + std::string(64, 'a'), Verdict::Refused},
        {"upper case token", "morva_session=" + std::string(64, 'A'), Verdict::Refused},
        {"token cut", "morva_session=" + token.substr(1), Verdict::Refused},
        {"token longer", "morva_session=" + token + "0", Verdict::Refused},
        {"other cookie's value", "x_morva_session=" + token, Verdict::Refused},
        {"name only", "morva_session", Verdict::Refused},
        {"semicolons", ";;;", Verdict::Refused},
        {"huge", "a=" + std::string(100000, 'b') + "; morva_session=" + token, Verdict::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(gate.Session(c.header), c.verdict);
    }

    // Log-out ends that session only, and clears the browser's cookie.
    EXPECT_EQ(gate.LogOut("lang=ru; morva_session=" + token),
              "morva_session=; Max-Age=0; Path=/; HttpOnly; Secure; SameSite=Strict");
    EXPECT_EQ(gate.Session("morva_session=" + token), Verdict::Refused);
    EXPECT_EQ(gate.Session(other.substr(0, other.find(';'))), Verdict::Admitted);
}

TEST_F(GateTest, SessionsEndAfterTwelveHoursUnused)
{
    std::string setCookie;
    ASSERT_EQ(gate.LogIn("right", "10.0.0.1", setCookie), Verdict::Admitted);
    const std::string cookie = setCookie.substr(0, setCookie.find(';'));
    // Every use starts the twelve hours again.
    for (int i = 0; i < 3; ++i) {
        now += hours(12) - seconds(1);
        EXPECT_EQ(gate.Session(cookie), Verdict::Admitted) << i;
    }
    now += hours(12);
    EXPECT_EQ(gate.Session(cookie), Verdict::Refused);
    now += seconds(1);
    EXPECT_EQ(gate.Session(cookie), Verdict::Refused);
}

TEST_F(GateTest, AFullSessionTableDropsTheSessionUnusedLongest)
{
    std::vector<std::string> cookies;
    for (int i = 0; i < 1001; ++i) {
        std::string setCookie;
        ASSERT_EQ(gate.LogIn("right", "10.0.0.1", setCookie), Verdict::Admitted);
        cookies.push_back(setCookie.substr(0, setCookie.find(';')));
        now += seconds(1);
        // The first session stays in use.
        if (i == 500) {
            EXPECT_EQ(gate.Session(cookies[0]), Verdict::Admitted);
        }
    }
    EXPECT_EQ(gate.Session(cookies[0]), Verdict::Admitted);
    EXPECT_EQ(gate.Session(cookies[1]), Verdict::Refused);
    EXPECT_EQ(gate.Session(cookies[2]), Verdict::Admitted);
    EXPECT_EQ(gate.Session(cookies.back()), Verdict::Admitted);
}

TEST(LoginGateThreads, ManyThreadsAtOnce)
{
    LoginGate gate{StoredHash("right")};
    std::atomic<int> wrongVerdicts{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&gate, &wrongVerdicts, t] {
            const std::string client = "10.3.0." + std::to_string(t);
            for (int i = 0; i < 50; ++i) {
                std::string setCookie;
                wrongVerdicts += gate.Basic(BasicHeader("u:right"), client) != Verdict::Admitted;
                wrongVerdicts += gate.Basic(BasicHeader("u:right" + std::to_string(i % 3)), "10.5.0.1") == Verdict::Admitted;
                wrongVerdicts += gate.LogIn("right", "10.4.0.1", setCookie) != Verdict::Admitted;
                wrongVerdicts += gate.Session(setCookie.substr(0, setCookie.find(';'))) != Verdict::Admitted;
                gate.LogOut(setCookie.substr(0, setCookie.find(';')));
                gate.Basic(BasicHeader("u:wrong"), "10.5.0.1");
                gate.RetryAfter("10.5.0.1");
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrongVerdicts, 0);
}
