// The archive's web view in a real browser: the headless reader serves an
// archive holding the sample memory and a reading whose records carry
// markup; headless Chromium, driven through chromedriver by browse.py,
// finds the reading listed, its chart drawn and its records, downloads a
// report, and shows the markup as text without running it. Skipped where
// Chromium, chromedriver or Selenium are not installed.
#include "servingreader.h"
#include "tests/archive/keptsample.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Records a page must show as text, never as markup.
const char* const HostileScript = "<script>alert(1)</script>";
const char* const HostileImage = "<img src=x onerror=alert(2)>";

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// Why the browser cannot be driven here; empty when it can.
std::string missingBrowser()
{
    if (trimmed(CommandOutput("command -v chromium")).empty())
        return "chromium is not installed (scripts/setup-debian.sh installs it)";
    if (trimmed(CommandOutput("command -v chromedriver")).empty())
        return "chromedriver is not installed (Debian's chromium-driver)";
    if (CommandOutput("/usr/bin/python3 -c 'import selenium' 2>/dev/null && echo yes") != "yes\n")
        return "Selenium for /usr/bin/python3 is not installed (Debian's python3-selenium)";
    return {};
}

// A unit whose only table holds records with markup, read into the
// sample's archive as reading 2.
CliRun keepHostileReading(const KeptSample& sample)
{
    morva_sim::UnitMemory memory;
    memory.addTable("No.\tDate\tTime\tChannel\tEvent\tValue",
                    {wxString("1\t14.03.2024\t08:25:09\tCH1\t") + HostileScript + "\t1.5",
                     wxString("2\t14.03.2024\t08:30:00\tCH1\t") + HostileImage + "\t2.5",
                     "3\t14.03.2024\t08:35:00\tCH1\tPower off\t3.5"});
    const morva_sim::SimulatedUnit unit(memory);
    return sample.Run({"read", "--port", unit.portPath(), "--baud", "115200", "--pace", "line", "--format", "csv",
                       "--folder", sample.scratch().path().utf8_string()});
}

// What browse.py found: each `name value` line it printed.
std::multimap<std::string, std::string> browse(const KeptSample& sample, const std::string& url)
{
    const std::string downloads = (sample.scratch() / "downloads").utf8_string();
    const std::string command = "mkdir -p " + ShellQuoted(downloads) + " && timeout -s KILL 240 /usr/bin/python3 "
        + ShellQuoted(MORVA_BROWSE_SCRIPT) + " " + ShellQuoted(url) + " 1 2 " + ShellQuoted(downloads) + " "
        + ShellQuoted((sample.scratch() / "browser").utf8_string()) + " "
        + ShellQuoted(trimmed(CommandOutput("command -v chromium"))) + " "
        + ShellQuoted(trimmed(CommandOutput("command -v chromedriver"))) + " 2>&1 </dev/null";
    std::istringstream lines(CommandOutput(command));
    std::multimap<std::string, std::string> found;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t space = line.find(' ');
        if (space != std::string::npos)
            found.emplace(line.substr(0, space), line.substr(space + 1));
        else
            found.emplace("output", line);
    }
    return found;
}

std::string value(const std::multimap<std::string, std::string>& found, const std::string& name)
{
    const auto it = found.find(name);
    return it == found.end() ? std::string("(missing)") : it->second;
}

long number(const std::multimap<std::string, std::string>& found, const std::string& name)
{
    const std::string text = value(found, name);
    return text.find_first_not_of("0123456789") == std::string::npos && !text.empty() ? std::stol(text) : -1;
}

std::string everything(const std::multimap<std::string, std::string>& found)
{
    std::string all;
    for (const auto& [name, text] : found)
        all += name + " " + text + "\n";
    return all;
}

} // namespace

TEST(WebBrowserTest, ChromiumListsDrawsDownloadsAndShowsMarkupAsText)
{
    const std::string missing = missingBrowser();
    if (!missing.empty())
        GTEST_SKIP() << missing;

    const KeptSample sample;
    ASSERT_TRUE(sample.Kept()) << sample.Reading().err;
    const CliRun hostile = keepHostileReading(sample);
    ASSERT_EQ(hostile.status, 0) << hostile.err;

    const ServingReader served(sample.scratch().path(),
                               {"--listen", "127.0.0.1:0", "--archive",
                                (sample.scratch() / "archive.sqlite").utf8_string()});
    ASSERT_EQ(served.Url().rfind("http://127.0.0.1:", 0), 0u) << served.Url() << served.Errors();

    const std::multimap<std::string, std::string> found = browse(sample, served.Url());
    const std::string report = everything(found);
    EXPECT_EQ(found.count("failed"), 0u) << report;

    // The list, the reading's page: its chart as the browser built it.
    EXPECT_EQ(number(found, "listed"), 1) << report;
    EXPECT_EQ(number(found, "chart_svg"), 1) << report;
    EXPECT_GT(number(found, "chart_paths"), 0) << report;
    EXPECT_GT(number(found, "figures_rows"), 0) << report;
    EXPECT_EQ(number(found, "record_rows"),
              static_cast<long>(sample.memory().tables().front().records.size()))
        << report;

    // The whole reading's report, saved by the browser under the server's name.
    EXPECT_NE(value(found, "downloaded").find(".csv"), std::string::npos) << report;
    EXPECT_GT(number(found, "downloaded_bytes"), 0) << report;
    EXPECT_EQ(FolderNames(sample.scratch() / "downloads").size(), 1u) << report;

    // Markup from the unit: shown as text, never run nor made an element.
    EXPECT_EQ(number(found, "hostile_rows"), 3) << report;
    EXPECT_EQ(value(found, "shown_script"), "True") << report;
    EXPECT_EQ(value(found, "shown_img"), "True") << report;
    EXPECT_EQ(number(found, "script_elements"), 0) << report;
    EXPECT_EQ(number(found, "img_elements"), 0) << report;
    EXPECT_EQ(value(found, "alert"), "none") << report;
}
