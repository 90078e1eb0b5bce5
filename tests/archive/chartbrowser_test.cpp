// A chart the headless reader wrote, drawn by a real browser: headless
// Chromium takes a screenshot of the SVG file, and every series' colour is
// found among its pixels. Skipped where Chromium is not installed
// (scripts/setup-debian.sh installs it).
#include "keptsample.h"

#include "insight/chartmodel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The browser, as the Debian package installs it; empty without one.
std::string chromium()
{
    std::string path = CommandOutput("command -v chromium");
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
        path.pop_back();
    return path;
}

// How the browser's screenshot came out: its size and how many pixels
// have each colour asked for.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::map<std::string, int> pixels;
};

Screenshot colours(const std::string& png, const std::vector<std::string>& wanted)
{
    std::string command = "python3 " + ShellQuoted(MORVA_PNG_COLOURS) + " " + ShellQuoted(png);
    for (const std::string& colour : wanted)
        command += " " + ShellQuoted(colour);
    std::istringstream lines(CommandOutput(command + " 2>&1"));
    Screenshot shot;
    lines >> shot.width >> shot.height;
    std::string colour;
    int count = 0;
    while (lines >> colour >> count)
        shot.pixels[colour] = count;
    return shot;
}

} // namespace

TEST(ChartBrowserTest, ChromiumDrawsEverySeriesOfTheReadersChart)
{
    const std::string browser = chromium();
    if (browser.empty())
        GTEST_SKIP() << "chromium is not installed (scripts/setup-debian.sh installs it)";

    const KeptSample sample;
    ASSERT_TRUE(sample.Kept()) << sample.Reading().err;
    const std::string svg = (sample.scratch() / "channels.svg").utf8_string();
    const CliRun chart = sample.Run({"archive", "chart", "1", "--table", "1", "--by", "Channel", "--upper", "85",
                                     "--out", svg, "--size", "960x480"});
    ASSERT_EQ(chart.status, 0) << chart.err;
    ASSERT_EQ(chart.out, svg + "\n");

    // Its own profile in the scratch folder; --no-sandbox for root, as CI
    // runs; killed with its children when it has not ended in two minutes.
    const std::string png = (sample.scratch() / "channels.png").utf8_string();
    const std::string command = "timeout -s KILL 120 " + ShellQuoted(browser)
        + " --headless --no-sandbox --disable-gpu --hide-scrollbars --no-first-run --user-data-dir="
        + ShellQuoted((sample.scratch() / "browser").utf8_string()) + " --screenshot=" + ShellQuoted(png)
        + " --window-size=960,480 " + ShellQuoted("file://" + svg) + " >/dev/null 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    ASSERT_EQ(status, 0) << "chromium ended with " << status << " (137: killed when it hung)";

    // The event log's five channels, in the order they first appear.
    std::vector<std::string> series;
    for (std::size_t index = 0; index < 5; ++index)
        series.push_back(ChartModel::SeriesColour(index).Hex().utf8_string());
    const Screenshot shot = colours(png, series);
    EXPECT_EQ(shot.width, 960);
    EXPECT_EQ(shot.height, 480);
    for (const std::string& colour : series) {
        // More than a stray pixel of smoothing: each has its legend's swatch.
        const auto found = shot.pixels.find(colour);
        ASSERT_NE(found, shot.pixels.end()) << colour;
        EXPECT_GE(found->second, 10) << colour;
    }
}
