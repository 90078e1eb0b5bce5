// morva_reporter_cli read: reads the unit's memory into a report, keeping
// the reading in the archive.

#include "commands.h"

#include "archiveplaces.h"
#include "clioutput.h"
#include "portcommand.h"
#include "reportannouncement.h"
#include "terminalhost.h"

#include "archive/archiveoutbox.h"
#include "archive/archivesettings.h"
#include "archive/readingrecorder.h"
#include "buslib/protocol/serialportveloxprotocol.h"
#include "reading/memoryreader.h"
#include "reading/portopenfailure.h"
#include "insight/readingreport.h"
#include "report/reportgenerator.h"

#include <wx/intl.h>

#include <atomic>
#include <csignal>
#include <memory>

#include <unistd.h>

namespace {

// Ctrl-C presses: the signal handler can reach nothing else.
std::atomic<int> g_interrupts{0};

extern "C" void onInterrupt(int)
{
    if (g_interrupts.fetch_add(1) >= 1) {
        static const char msg[] = "\nMORVA_Reporter: stopped, no report\n";
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, msg, sizeof msg - 1);
        ::_exit(130);
    }
}

int readUnit(const CliArguments& args, const CliSettings& settings, const ChosenPort& port,
             PacketTrace* trace)
{
    morva_velox::SerialPortVeloxProtocol protocol(port.device, false, args.baud, 'N', 8, 0);
    protocol.setPace(*args.pace);
    if (trace)
        protocol.setTrace(trace->function());
    if (!protocol.isOpen()) {
        PrintError(_("Error while reading! Can't get data!") + "\n"
                   + SerialPortErrorText(port, protocol, args.baud));
        return ExitFailed;
    }

    const wxString folder = args.folder ? wxString::FromUTF8(args.folder->c_str()) : settings.folder();
    int result = ExitFailed;
    std::unique_ptr<MemoryReader> reader;
    const ArchiveSettings::Places archives = ReadingArchives(args, settings);
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
    const wxDateTime started = wxDateTime::Now();
    TerminalHost host(stderr, ::isatty(STDERR_FILENO) != 0, g_interrupts, [&](bool ok) {
        if (!ok)
            return;
        // Dated as the archive keeps the reading's end, so that its export
        // is this very report.
        const wxDateTime ended = recorder.Ended();
        const wxArrayString lines = reader->GetReportLines();
        ReadingSummary reading;
        reading.facts = facts;
        reading.started = started;
        reading.ended = ended.IsValid() ? ended : wxDateTime::Now();
        reading.end = g_interrupts.load() > 0 ? ReadingEnd::Cancelled : ReadingEnd::Complete;
        const ReportOutcome outcome = ReadingReport::Make(ReportLines(lines.begin(), lines.end()),
                                                          reader->GetTableCount(), args.format, folder,
                                                          reading.ended, reading);
        if (AnnounceReport(outcome, args.open))
            result = ExitOk;
    });
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
        PrintError(warning);
    return result;
}

} // namespace

int CommandRead(const CliArguments& args, const CliSettings& settings)
{
    return RunOnPort(args, settings, [&](const ChosenPort& port, PacketTrace* trace) {
        return readUnit(args, settings, port, trace);
    });
}
