// morva_reporter_cli: reads a unit's nonvolatile memory into a report, or
// clears it, from a terminal or a script. No window, no display needed.

#include "cliarguments.h"
#include "porttable.h"
#include "readingtable.h"
#include "terminalhost.h"

#include "archive/archiveerror.h"
#include "archive/archiveoutbox.h"
#include "archive/archivesettings.h"
#include "archive/archivesync.h"
#include "archive/filearchive.h"
#include "archive/keptreadingnote.h"
#include "archive/readingarchive.h"
#include "archive/readingrecorder.h"
#include "archive/serverarchive.h"
#include "reading/clearunitmemory.h"
#include "reading/desktop.h"
#include "reading/languagetable.h"
#include "reading/memoryreader.h"
#include "reading/portmap.h"
#include "reading/portopenfailure.h"
#include "reading/settingsfile.h"
#include "buslib/serial/platform.h"
#include "buslib/serial/portname.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "buslib/serial/systemports.h"
#include "report/reportgenerator.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>

#include <unistd.h>

namespace {

const char* const SettingsFile = "morva_reporter.ini";
const char* const ProgramTag = "MORVA_Reporter: ";

enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

std::atomic<int> g_interrupts{0};

extern "C" void onInterrupt(int)
{
    if (g_interrupts.fetch_add(1) >= 1) {
        static const char msg[] = "\nMORVA_Reporter: stopped, no report\n";
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, msg, sizeof msg - 1);
        ::_exit(130);
    }
}

void printError(const wxString& text)
{
    std::fprintf(stderr, "%s%s\n", ProgramTag, text.utf8_str().data());
}

// The settings the reader takes its defaults from; it never writes them.
class Settings {
public:
    Settings()
    {
        if (!wxFileName::FileExists(SettingsFile))
            return;
        m_config = OpenSettingsFile(wxString(), wxString(), wxString("./") + SettingsFile).config;
    }

    const wxConfigBase* config() const { return m_config.get(); }
    wxString language() const { return read("/i18n/Language", wxString()); }
    long serialPort() const { return m_config ? m_config->ReadLong("/communication/serial_port", 1) : 1; }
    wxString folder() const { return read("/report/folder", wxGetCwd()); }
    morva_velox::Pace pace() const { return PaceSetting(m_config.get()); }

private:
    wxString read(const char* key, const wxString& fallback) const
    {
        return m_config ? m_config->Read(key, fallback) : fallback;
    }

    std::unique_ptr<wxFileConfig> m_config;
};

// Writes every packet to a file: time in ms, direction, bytes in hex.
class PacketTrace {
public:
    // The first line names the pace of the reads.
    PacketTrace(const std::string& path, morva_velox::Pace pace)
        : m_file(path), m_start(morva_velox::platform::tickCount())
    {
        m_file << "       0 pace " << morva_velox::paceName(pace) << '\n';
        m_file.flush();
    }
    bool good() const { return m_file.good(); }

    morva_velox::SerialPortVeloxProtocol::Trace function()
    {
        return [this](morva_velox::SerialPortVeloxProtocol::TraceDirection d, const std::uint8_t* b,
                      std::size_t n) {
            char line[16];
            if (d == morva_velox::SerialPortVeloxProtocol::TraceDirection::Note) {
                std::snprintf(line, sizeof line, "%8u", morva_velox::platform::tickCount() - m_start);
                m_file << line << " note " << std::string(reinterpret_cast<const char*>(b), n) << '\n';
                m_file.flush();
                return;
            }
            std::snprintf(line, sizeof line, "%8u %s", morva_velox::platform::tickCount() - m_start,
                          d == morva_velox::SerialPortVeloxProtocol::TraceDirection::Sent ? ">" : "<");
            m_file << line;
            for (std::size_t i = 0; i < n; ++i) {
                std::snprintf(line, sizeof line, " %02X", b[i]);
                m_file << line;
            }
            m_file << '\n';
            m_file.flush();
        };
    }

private:
    std::ofstream m_file;
    std::uint32_t m_start;
};

ChosenPort chosenPort(const CliArguments& args, const Settings& settings)
{
    wxString port;
    if (args.port) {
        port = wxString::FromUTF8(args.port->c_str());
    } else {
        const long n = settings.serialPort();
        if (n < 1 || n > morva_velox::LastComPort)
            throw std::invalid_argument("no serial port chosen: give --port");
        port = wxString::Format("COM%ld", n);
    }
    return PortMap(morva_velox::SystemPortEnumerator(), settings.config()).Resolve(port);
}

int listPorts(const Settings& settings)
{
    const PortMap ports(morva_velox::SystemPortEnumerator(), settings.config());
    const std::string table = PortTable(ports, ::isatty(STDOUT_FILENO) != 0);
    if (table.empty()) {
        std::fprintf(stderr, "%s\n", _("No serial ports found.").utf8_str().data());
        return ExitOk;
    }
    std::fputs(table.c_str(), stdout);
    return ExitOk;
}

wxString givenArchive(const CliArguments& args)
{
    return args.archive ? wxString::FromUTF8(args.archive->c_str()) : wxString();
}

// Where a reading or clearing keeps its reading, from the command line and
// the settings: none when readings are not kept.
ArchiveSettings::Places readingArchives(const CliArguments& args, const Settings& settings)
{
    return ArchiveSettings::FromConfig(settings.config()).ForReading(givenArchive(args), args.noArchive);
}

// Tells the operator where the report is: the message on standard error,
// the full path, whatever folder was given, on standard output for the
// script that reads it. False when it was not written.
bool announceReport(const ReportOutcome& outcome, bool open)
{
    if (!outcome.ok) {
        printError(outcome.message);
        return false;
    }
    std::fprintf(stderr, "%s\n", outcome.message.utf8_str().data());
    wxFileName written(outcome.fileName);
    written.MakeAbsolute();
    const wxString path = written.GetFullPath();
    std::fprintf(stdout, "%s\n", path.utf8_str().data());
    std::fflush(stdout);
    if (open && !OpenWithDefaultApplication(path))
        printError("cannot open " + path);
    return true;
}

// The filter that archive list's options ask for.
ReadingFilter readingFilter(const CliArguments& args)
{
    ReadingFilter filter;
    if (args.station)
        filter.station = wxString::FromUTF8(args.station->c_str());
    if (args.port)
        filter.port = wxString::FromUTF8(args.port->c_str());
    if (args.since)
        filter.since.ParseISODate(wxString::FromUTF8(args.since->c_str())); // midnight, local time
    return filter;
}

int listReadings(const CliArguments& args, const ReadingArchive& archive)
{
    // A terminal gets columns aligned over all readings; a script gets each
    // line as it is read, however many there are.
    if (::isatty(STDOUT_FILENO) != 0)
        std::fputs(ReadingTable(archive.List(readingFilter(args)), true).c_str(), stdout);
    else
        archive.EachReading(readingFilter(args),
                            [](const ReadingSummary& reading) { std::fputs(ReadingLine(reading).c_str(), stdout); });
    return ExitOk;
}

int exportReading(const CliArguments& args, const Settings& settings, const ReadingArchive& archive)
{
    const std::optional<ReadingSummary> reading = archive.Find(args.reading);
    if (!reading) {
        printError(wxString::Format(_("The archive holds no reading number %lld."), args.reading));
        return ExitFailed;
    }
    const wxString folder = args.folder ? wxString::FromUTF8(args.folder->c_str()) : settings.folder();
    return announceReport(GenerateReport(archive.Lines(reading->id), reading->tableCount, args.format, folder,
                                         reading->started),
                          false)
        ? ExitOk
        : ExitFailed;
}

// archive list and archive export: the server of the settings, else this
// computer's file, unless --archive names another.
int readArchive(const CliArguments& args, const Settings& settings)
{
    const ArchiveSettings archives = ArchiveSettings::FromConfig(settings.config());
    const wxString place = archives.ForListing(givenArchive(args));
    if (place.empty()) {
        printError("no archive: give --archive FILE");
        return ExitUsage;
    }
    try {
        wxString note;
        const std::unique_ptr<ReadingArchive> archive = archives.OpenForListing(givenArchive(args), note);
        if (!note.empty())
            printError(note);
        return args.command == CliArguments::Command::ArchiveList ? listReadings(args, *archive)
                                                                   : exportReading(args, settings, *archive);
    } catch (const ArchiveError& e) {
        printError(CannotReadArchive(place, e.reason()));
        return ExitFailed;
    }
}

// Sends what the archive server lacks of this station's archive file. A
// reading the server refuses is named with the reason, and the next one
// sent; only a server out of reach stops it.
int syncArchive(const CliArguments& args, const Settings& settings)
{
    ArchiveSettings archive = ArchiveSettings::FromConfig(settings.config());
    archive.keep = true; // what was kept before is sent, whatever the settings say now
    const ArchiveSettings::Places places = archive.ForReading(givenArchive(args));
    if (places.server.empty()) {
        printError("no archive server: give --archive postgresql://... or url= in [archive]");
        return ExitUsage;
    }
    std::atomic<bool> stop{false};
    ArchiveSync::Outcome outcome;
    try {
        FileArchive local(places.file, ReadingArchive::Access::Write);
        ServerArchive server(places.server, ReadingArchive::Access::Write);
        outcome = ArchiveSync().SendUnsent(local, server, stop);
    } catch (const ArchiveError& e) {
        outcome.error = e.reason();
    }
    const auto sent = static_cast<unsigned>(outcome.sent.size());
    std::fprintf(stderr, "%s\n",
                 wxString::Format(wxPLURAL("%u reading sent to the archive server %s.",
                                           "%u readings sent to the archive server %s.", sent),
                                  sent, DescribeArchive(places.server))
                     .utf8_str()
                     .data());
    for (const ArchiveSync::Refusal& refusal : outcome.refused)
        printError(wxString::Format(_("The archive server refused reading %lld: %s"),
                                    static_cast<long long>(refusal.reading), refusal.reason));
    if (!outcome.error.empty())
        printError(wxString::Format(_("The archive server %s cannot take the readings: %s"),
                                    DescribeArchive(places.server), outcome.error));
    return outcome.error.empty() && outcome.refused.empty() ? ExitOk : ExitFailed;
}

int readUnit(const CliArguments& args, const Settings& settings, const ChosenPort& port,
             PacketTrace* trace)
{
    morva_velox::SerialPortVeloxProtocol protocol(port.device, false, args.baud, 'N', 8, 0);
    protocol.setPace(*args.pace);
    if (trace)
        protocol.setTrace(trace->function());
    if (!protocol.isOpen()) {
        printError(_("Error while reading! Can't get data!") + "\n"
                   + SerialPortErrorText(port, protocol, args.baud));
        return ExitFailed;
    }

    const wxString folder = args.folder ? wxString::FromUTF8(args.folder->c_str()) : settings.folder();
    int result = ExitFailed;
    std::unique_ptr<MemoryReader> reader;
    TerminalHost host(stderr, ::isatty(STDERR_FILENO) != 0, g_interrupts, [&](bool ok) {
        if (!ok)
            return;
        const wxArrayString lines = reader->GetReportLines();
        const ReportOutcome outcome = GenerateReport(ReportLines(lines.begin(), lines.end()),
                                                     reader->GetTableCount(), args.format, folder);
        if (announceReport(outcome, args.open))
            result = ExitOk;
    });
    const ArchiveSettings::Places archives = readingArchives(args, settings);
    const ReadingFacts facts{port.name, wxString::FromUTF8(port.device.c_str()), args.baud,
                             morva_velox::paceName(*args.pace), MORVA_VERSION,
                             ArchiveSettings::FromConfig(settings.config()).Station()};
    // The server is fed from the file beside the reading, and is given a
    // short while at the end to take it.
    const std::shared_ptr<ArchiveOutbox> outbox = archives.file.empty() || archives.server.empty()
        ? nullptr
        : std::make_shared<ArchiveOutbox>(archives.file, archives.server);
    ReadingRecorder recorder = archives.file.empty() && archives.server.empty()
        ? ReadingRecorder()
        : ReadingRecorder(archives.file, facts, outbox);
    reader = std::make_unique<MemoryReader>(host, protocol, &recorder, args.onlyNew);

#ifdef _WIN32
    signal(SIGINT, onInterrupt);
#else
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
#endif
    reader->Read();
    signal(SIGINT, SIG_DFL);
    const wxString warning = recorder.Warning(ArchiveOutbox::ShortWait);
    if (!warning.empty())
        printError(warning);
    return result;
}

bool confirmClear(const ChosenPort& port, const wxString& note)
{
    if (!note.empty())
        std::fprintf(stderr, "%s\n", note.utf8_str().data());
    const wxString question = ClearQuestion(port.label);
    std::fprintf(stderr, "%s [y/N] ", question.utf8_str().data());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

int clearUnit(const CliArguments& args, const Settings& settings, const ChosenPort& port, PacketTrace* trace)
{
    if (!args.yes) {
        if (!::isatty(STDIN_FILENO)) {
            printError("clearing needs a terminal to confirm, or --yes");
            return ExitUsage;
        }
        const wxString keptNote = KeptReadingNote(readingArchives(args, settings).file, port.name);
        if (!confirmClear(port, keptNote)) {
            std::fprintf(stderr, "Nothing cleared.\n");
            return ExitFailed;
        }
    } else {
        std::fprintf(stderr, "%s\n", ClearPortLine(port.label).utf8_str().data());
    }
    const ClearOutcome outcome
        = ClearUnitMemory(port, args.baud, trace ? trace->function() : morva_velox::SerialPortVeloxProtocol::Trace(),
                          *args.pace);
    // The result line names the port too, for the log of a script.
    wxString result = outcome.message;
    const int lineEnd = result.Find('\n');
    result.insert(lineEnd == wxNOT_FOUND ? result.length() : static_cast<std::size_t>(lineEnd), ": " + port.label);
    if (outcome.ok) {
        std::fprintf(stderr, "%s\n", result.utf8_str().data());
        return ExitOk;
    }
    printError(result);
    return ExitFailed;
}

} // namespace

int main(int argc, char** argv)
{
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "%scannot initialise\n", ProgramTag);
        return ExitFailed;
    }

    CliArguments args;
    try {
        args = CliArguments::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "morva_reporter_cli: %s\n\n%s", e.what(), CliArguments::usage());
        return ExitUsage;
    }
    if (args.command == CliArguments::Command::Help) {
        std::fputs(CliArguments::usage(), stdout);
        return ExitOk;
    }
    if (args.command == CliArguments::Command::Version) {
        std::printf("morva_reporter_cli %s\n", MORVA_VERSION);
        return ExitOk;
    }

    const Settings settings;
    wxLocale locale;
    {
        wxLogNull quiet; // a language whose system locale is missing still has our catalogs
        LanguageTable::AddCatalogLookupPaths();
        locale.Init(LanguageTable::FromName(settings.language()), wxLOCALE_LOAD_DEFAULT);
        locale.AddCatalog("morva_velox");
        locale.AddCatalog("MORVA_Reporter");
    }

    if (args.command == CliArguments::Command::Ports)
        return listPorts(settings);
    if (!args.pace)
        args.pace = settings.pace();
    if (args.command == CliArguments::Command::ArchiveSync)
        return syncArchive(args, settings);
    if (args.command == CliArguments::Command::ArchiveList || args.command == CliArguments::Command::ArchiveExport)
        return readArchive(args, settings);

    ChosenPort port;
    try {
        port = chosenPort(args, settings);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "morva_reporter_cli: %s\n", e.what());
        return ExitUsage;
    }

    std::unique_ptr<PacketTrace> trace;
    if (args.trace) {
        trace = std::make_unique<PacketTrace>(*args.trace, *args.pace);
        if (!trace->good()) {
            printError("cannot write the trace file " + wxString::FromUTF8(args.trace->c_str()));
            return ExitFailed;
        }
    }

    if (args.command == CliArguments::Command::Read)
        return readUnit(args, settings, port, trace.get());
    return clearUnit(args, settings, port, trace.get());
}
