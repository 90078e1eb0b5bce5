// The headless reader takes its defaults from morva_reporter.ini, which the
// operator may have spoilt: garbage, binary, huge, or a serial port number
// that is no port. It never crashes, never writes the file, and with the
// port given on the command line reads as usual.
#include "clirun.h"
#include "scratchfolder.h"

#include "buslib/protocol/datatypes.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct SettingsCase {
    const char* name;
    std::string text;
};

std::string binaryBytes()
{
    std::mt19937 random(7);
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

// Some 8 MB: a long garbage line, a long key, many groups and entries.
std::string hugeText()
{
    std::string text = "[communication]\nserial_port=" + std::string(1 << 20, '9') + "\n";
    text += "[" + std::string(1 << 20, 'g') + "]\n";
    for (int i = 0; text.size() < (8u << 20); ++i)
        text += "[group" + std::to_string(i % 500) + "]\nkey" + std::to_string(i) + "=" + std::string(100, 'v') + "\n";
    return text;
}

std::vector<SettingsCase> spoiltSettings()
{
    return {
        {"garbage", "}{ this is = not [an ini\n[[[\n=====\n[report\nfolder\n\\\\\\\n"},
        {"binary", binaryBytes()},
        {"huge", hugeText()},
        {"serial_port -1", "[communication]\nserial_port=-1\n"},
        {"serial_port 0", "[communication]\nserial_port=0\n"},
        {"serial_port 257", "[communication]\nserial_port=257\n"},
        {"serial_port abc", "[communication]\nserial_port=abc\n"},
        {"language garbage", "[i18n]\nLanguage=\x01\xff\xfe klingon\n[report]\nfolder=\n"},
    };
}

class CliSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        memory.addTable("No.\tEvent", {"1\tPower on"});
        unit = std::make_unique<morva_sim::SimulatedUnit>(memory);
    }

    void writeSettings(const std::string& text)
    {
        ASSERT_TRUE(WriteFileBytes(scratch / "morva_reporter.ini", text));
    }

    morva_sim::UnitMemory memory;
    std::unique_ptr<morva_sim::SimulatedUnit> unit;
    ScratchFolder scratch;
};

} // namespace

TEST_F(CliSettingsTest, SpoiltSettingsNeverCrashAndAreNeverWritten)
{
    const wxString reports = scratch / "reports";
    ASSERT_TRUE(wxFileName::Mkdir(reports));
    for (const SettingsCase& settings : spoiltSettings()) {
        SCOPED_TRACE(settings.name);
        writeSettings(settings.text);

        // The port and folder given: the reading goes on as usual.
        const CliRun read = RunCli(scratch.path(), {"read", "--port", unit->portPath(), "--baud", "115200",
                                                    "--format", "csv", "--folder", reports.utf8_string()});
        ASSERT_TRUE(read.exited) << read.err;
        EXPECT_EQ(read.status, 0) << read.err;
        const std::string path = read.out.substr(0, read.out.find('\n'));
        EXPECT_EQ(FileBytes(wxString::FromUTF8(path)), "No.\tEvent\n1\tPower on\n\n\n\n");

        EXPECT_EQ(FileBytes(scratch / "morva_reporter.ini"), settings.text);
        for (const std::string& name : FolderNames(reports))
            wxRemoveFile(reports + "/" + wxString::FromUTF8(name));
    }
}

TEST_F(CliSettingsTest, PortNumberOfTheSettings)
{
    // A number outside COM1 to COM256 chooses no port: a usage error.
    for (const char* number : {"-1", "0", "257"}) {
        SCOPED_TRACE(number);
        writeSettings(std::string("[communication]\nserial_port=") + number + "\n");
        const CliRun run = RunCli(scratch.path(), {"read"});
        ASSERT_TRUE(run.exited);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find("no serial port chosen"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }

    // A value that is no number counts as missing: the default, COM1, here
    // mapped to the simulated unit.
    writeSettings("[communication]\nserial_port=abc\n[ports]\nCOM1=" + unit->portPath() + "\n");
    const CliRun run = RunCli(scratch.path(), {"read", "--baud", "115200", "--format", "csv",
                                               "--folder", scratch.path().utf8_string()});
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(unit->requests().at(0).command(), morva_velox::CommandWrite);
}
