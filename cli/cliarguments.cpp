#include "cliarguments.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace {

const char* const Formats[] = {"rtf", "html", "txt", "csv", "xlsx"};
const int BaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

int parseBaud(const std::string& text)
{
    for (int rate : BaudRates) {
        if (text == std::to_string(rate))
            return rate;
    }
    throw std::invalid_argument("invalid baud rate '" + text
                                + "' (use 4800, 9600, 19200, 38400, 57600 or 115200)");
}

int parseFormat(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (int i = 0; i < static_cast<int>(std::size(Formats)); ++i) {
        if (text == Formats[i])
            return i;
    }
    throw std::invalid_argument("invalid format '" + text + "' (use rtf, html, txt, csv or xlsx)");
}

morva_velox::Pace parsePace(const std::string& text)
{
    if (const auto pace = morva_velox::paceFromName(text))
        return *pace;
    throw std::invalid_argument("invalid pace '" + text + "' (use line or design)");
}

// A day as YYYY-MM-DD, checked against the calendar.
std::string parseDay(const std::string& text)
{
    int year = 0, month = 0, day = 0;
    char end = 0;
    const bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-'
        && std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) == 3;
    static const int Days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    if (!shaped || year < 1970 || month < 1 || month > 12 || day < 1 || day > Days[month - 1]
        || (month == 2 && day == 29 && !leap))
        throw std::invalid_argument("--since needs a day as YYYY-MM-DD, not '" + text + "'");
    return text;
}

// The archive's commands that look at one kept reading, by the word that
// names them.
struct ReadingCommand {
    const char* name;
    CliArguments::Command command;
};
const ReadingCommand ReadingCommands[] = {
    {"export", CliArguments::Command::ArchiveExport},
    {"show", CliArguments::Command::ArchiveShow},
    {"stats", CliArguments::Command::ArchiveStats},
    {"chart", CliArguments::Command::ArchiveChart},
};

void parseArchiveCommand(const std::vector<std::string>& args, CliArguments& a)
{
    const std::string what = args.size() > 1 ? args[1] : std::string();
    if (what == "list") {
        a.command = CliArguments::Command::ArchiveList;
        return;
    }
    if (what == "sync") {
        a.command = CliArguments::Command::ArchiveSync;
        return;
    }
    if (what == "serve") {
        a.command = CliArguments::Command::ArchiveServe;
        return;
    }
    const auto named = std::find_if(std::begin(ReadingCommands), std::end(ReadingCommands),
                                    [&what](const ReadingCommand& c) { return what == c.name; });
    if (named == std::end(ReadingCommands))
        throw std::invalid_argument("archive needs list, export N, show N, stats N, chart N, sync or serve");
    a.command = named->command;
    const std::string number = args.size() > 2 ? args[2] : std::string();
    if (number.empty() || number.size() > 18
        || !std::all_of(number.begin(), number.end(), [](unsigned char c) { return std::isdigit(c); }))
        throw std::invalid_argument("archive " + what + " needs the number of a kept reading");
    a.reading = std::stoll(number);
}

// The options that archive stats and chart need.
void checkRequired(const CliArguments& a)
{
    const bool measuring = a.command == CliArguments::Command::ArchiveStats
        || a.command == CliArguments::Command::ArchiveChart;
    if (measuring && !a.table)
        throw std::invalid_argument("archive stats and chart need --table T");
    if (a.command == CliArguments::Command::ArchiveChart && !a.out)
        throw std::invalid_argument("archive chart needs --out FILE.svg");
}

} // namespace

const char* CliArguments::usage()
{
    return "Usage: morva_reporter_cli read [OPTION]...\n"
           "  or:  morva_reporter_cli clear [--port PORT] [--baud RATE] [--yes] [--trace FILE]\n"
           "  or:  morva_reporter_cli ports\n"
           "  or:  morva_reporter_cli archive list [--station NAME] [--port PORT] [--since YYYY-MM-DD]\n"
           "                                       [--archive FILE]\n"
           "  or:  morva_reporter_cli archive export N [--format F] [--folder DIR] [--archive FILE]\n"
           "                      [--table T] [--since WHEN] [--until WHEN] [--series NAME]\n"
           "  or:  morva_reporter_cli archive show N [--table T] [--archive FILE]\n"
           "  or:  morva_reporter_cli archive stats N --table T [--column C] [--by C] [--lower X]\n"
           "                                        [--upper X] [--archive FILE]\n"
           "  or:  morva_reporter_cli archive chart N --table T [--column C] [--by C] [--lower X]\n"
           "                                        [--upper X] --out FILE.svg [--size WxH]\n"
           "                                        [--archive FILE]\n"
           "  or:  morva_reporter_cli archive sync [--archive URL]\n"
           "  or:  morva_reporter_cli archive serve [--listen ADDRESS:PORT] [--certificate FILE]\n"
           "                                        [--key FILE] [--archive PLACE]\n"
           "  or:  morva_reporter_cli archive serve --set-password\n"
           "  or:  morva_reporter_cli --help | --version\n"
           "\n"
           "Commands:\n"
           "  read           download the unit's nonvolatile memory into a report and print its path\n"
           "  clear          erase the unit's nonvolatile memory (asks first)\n"
           "  ports          list the serial ports found: the COM name each answers to, its device,\n"
           "                 stable path, description and USB ids\n"
           "  archive list   list the kept readings, newest first, with the station that read each;\n"
           "                 --station, --port and --since show only those of a station (computer),\n"
           "                 of a port, or begun on that day or later\n"
           "  archive export N\n"
           "                 write the report of kept reading N and print its path\n"
           "  archive show N\n"
           "                 print the records of kept reading N, each table under its header:\n"
           "                 aligned on a terminal, else separated by tabs as the unit wrote them\n"
           "  archive stats N\n"
           "                 the figures of a column of kept reading N, one line per series and\n"
           "                 one for the whole table: count, minimum and maximum with their\n"
           "                 times, mean, first and last time; with a limit, the values outside\n"
           "                 it and the time spent outside\n"
           "  archive chart N\n"
           "                 draw a column of kept reading N over time, one line per series,\n"
           "                 into an SVG file, and print its path\n"
           "  archive sync   send the archive server the readings this computer kept while it\n"
           "                 could not be reached\n"
           "  archive serve  serve the archive read-only to browsers and scripts until stopped\n"
           "                 (Ctrl-C); pages at http://127.0.0.1:8480/, its interface under /api;\n"
           "                 --set-password sets the password it asks for, kept only as a hash\n"
           "                 in [serve] of morva_reporter.ini\n"
           "\n"
           "Options:\n"
           "  --port PORT    COM1 ... COM256 or a device path such as /dev/ttyUSB0\n"
           "                 (default: the port of morva_reporter.ini in this directory)\n"
           "  --baud RATE    4800, 9600, 19200, 38400, 57600 or 115200 (default 9600)\n"
           "  --format F     read, archive export: report format rtf, html, txt, csv or xlsx (an Excel\n"
           "                 workbook with typed cells and the reading's facts; default rtf)\n"
           "  --folder DIR   read: folder for the report (default: the folder of morva_reporter.ini)\n"
           "  --open         read: open the report with the desktop's default application\n"
           "  --trace FILE   write every packet sent and received to FILE\n"
           "  --pace P       design: pause 20 ms before every read of the port (default,\n"
           "                 unless morva_reporter.ini names another);\n"
           "                 line: read each answer as soon as it has arrived\n"
           "  --yes          clear: erase without asking\n"
           "  --archive FILE keep readings in FILE (default: [archive] path= of morva_reporter.ini,\n"
           "                 else MORVA_Reporter/archive.sqlite in the user's data folder);\n"
           "                 a postgresql:// URL or libpq's key=value pairs name an archive server\n"
           "                 instead of url= of [archive], which shares the readings of stations;\n"
           "                 archive list, export, show, stats and chart read the server when\n"
           "                 one is named;\n"
           "                 a password written in it is seen by every user of this computer in\n"
           "                 the process list: keep it in ~/.pgpass (or the file PGPASSFILE names)\n"
           "                 or give service=NAME, a service of ~/.pg_service.conf or PGSERVICEFILE\n"
           "  --no-archive   read, clear: keep no reading in the archive\n"
           "  --table T      archive show, stats, chart, export: the table T of the reading, counted\n"
           "                 from 1 (show, export: every table by default)\n"
           "  --since WHEN, --until WHEN\n"
           "                 archive export: only the records from, and up to, a date (YYYY-MM-DD\n"
           "                 or as the unit writes dates) or a date and a time (\"2024-03-14 08:25\"),\n"
           "                 by the records' own dates and times; a date alone is its whole day\n"
           "  --series NAME  archive export: only the records of a series (a channel), by each\n"
           "                 table's first series column\n"
           "  --column C     archive stats, chart: the column of numbers, by its heading or its\n"
           "                 number counted from 1 (default: the table's first column of numbers)\n"
           "  --by C         archive stats, chart: the column that splits the values into series,\n"
           "                 such as a channel (default: the table's first column of series)\n"
           "  --lower X, --upper X\n"
           "                 archive stats, chart: the limits the values should stay within\n"
           "                 (a decimal point or comma)\n"
           "  --out FILE.svg\n"
           "                 archive chart: the chart's file; a file of that name is never\n"
           "                 replaced: the chart gets \"_2\", \"_3\", ... before the extension\n"
           "  --size WxH     archive chart: the chart's width and height in pixels (default 1200x600)\n"
           "  --listen ADDRESS:PORT\n"
           "                 archive serve: where to listen (default: [serve] listen= of\n"
           "                 morva_reporter.ini, else 127.0.0.1:8480); any address but this\n"
           "                 computer's own needs HTTPS and a password\n"
           "  --certificate FILE, --key FILE\n"
           "                 archive serve: the certificate (PEM, with its chain) and its private\n"
           "                 key for HTTPS (default: certificate= and key= of [serve])\n"
           "  --only-new     read: take from the archive the records it already holds and read\n"
           "                 only the new ones from the unit\n"
           "  -h, --help     show this help and end\n"
           "  --version      show the version and end\n"
           "\n"
           "COMn opens the device named by the entry COMn of the group [ports] of\n"
           "morva_reporter.ini, if there is one, else the n-th port that \"ports\" lists.\n"
           "Ctrl-C while reading makes a report of what was read; a second Ctrl-C stops at once.\n"
           "\n"
           "Help pages (help/index.htm in English, help/ru/ and help/uk/ in Russian and\n"
           "Ukrainian) are installed in share/morva_reporter/help of the installation\n"
           "(/usr/share/morva_reporter/help from the Debian package), in help beside the\n"
           "program on Windows.\n";
}

CliArguments CliArguments::parse(const std::vector<std::string>& args)
{
    CliArguments a;
    if (args.empty())
        throw std::invalid_argument("no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        a.command = Command::Help;
        return a;
    }
    if (command == "--version") {
        a.command = Command::Version;
        return a;
    }
    if (command == "read")
        a.command = Command::Read;
    else if (command == "clear")
        a.command = Command::Clear;
    else if (command == "ports")
        a.command = Command::Ports;
    else if (command == "archive")
        parseArchiveCommand(args, a);
    else
        throw std::invalid_argument("unknown command '" + command + "'");

    const bool ofReading = std::any_of(std::begin(ReadingCommands), std::end(ReadingCommands),
                                       [&a](const ReadingCommand& c) { return a.command == c.command; });
    const bool ofArchive = a.command == Command::ArchiveList || a.command == Command::ArchiveSync
        || a.command == Command::ArchiveServe;
    const std::size_t first = ofReading ? 3 : ofArchive ? 2 : 1;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& opt = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument("option " + opt + " needs a value");
            return args[++i];
        };
        const bool reading = a.command == Command::Read;
        const bool exporting = a.command == Command::ArchiveExport;
        const bool listing = a.command == Command::ArchiveList;
        const bool showing = a.command == Command::ArchiveShow;
        const bool measuring = a.command == Command::ArchiveStats || a.command == Command::ArchiveChart;
        const bool charting = a.command == Command::ArchiveChart;
        const bool serving = a.command == Command::ArchiveServe;
        const bool archiving = ofReading || listing || a.command == Command::ArchiveSync || serving;
        if (opt == "--help" || opt == "-h") {
            a.command = Command::Help;
            return a;
        } else if (a.command == Command::Ports) {
            throw std::invalid_argument("unknown option '" + opt + "' for " + command);
        } else if (opt == "--archive") {
            a.archive = value();
            if (a.archive->empty())
                throw std::invalid_argument("empty archive name");
        } else if (opt == "--no-archive" && !archiving) {
            a.noArchive = true;
        } else if (opt == "--only-new" && reading) {
            a.onlyNew = true;
        } else if (opt == "--format" && (reading || exporting)) {
            a.format = parseFormat(value());
        } else if (opt == "--folder" && (reading || exporting)) {
            a.folder = value();
        } else if (opt == "--station" && listing) {
            a.station = value();
        } else if (opt == "--since" && listing) {
            a.since = parseDay(value());
        } else if (opt == "--since" && exporting) {
            a.since = value();
        } else if (opt == "--until" && exporting) {
            a.until = value();
        } else if (opt == "--series" && exporting) {
            a.series = value();
        } else if (opt == "--table" && (showing || measuring || exporting)) {
            a.table = value();
        } else if (opt == "--column" && measuring) {
            a.column = value();
        } else if (opt == "--by" && measuring) {
            a.by = value();
        } else if (opt == "--lower" && measuring) {
            a.lower = value();
        } else if (opt == "--upper" && measuring) {
            a.upper = value();
        } else if (opt == "--out" && charting) {
            a.out = value();
            if (a.out->empty())
                throw std::invalid_argument("empty file name for --out");
        } else if (opt == "--size" && charting) {
            a.size = value();
        } else if (opt == "--listen" && serving) {
            a.listen = value();
        } else if (opt == "--certificate" && serving) {
            a.certificate = value();
        } else if (opt == "--key" && serving) {
            a.key = value();
        } else if (opt == "--set-password" && serving) {
            a.setPassword = true;
        } else if (opt == "--port" && listing) {
            a.port = value();
        } else if (archiving) {
            throw std::invalid_argument("unknown option '" + opt + "' for archive");
        } else if (opt == "--port") {
            a.port = value();
            if (a.port->empty())
                throw std::invalid_argument("empty port name");
        } else if (opt == "--baud") {
            a.baud = parseBaud(value());
        } else if (opt == "--trace") {
            a.trace = value();
        } else if (opt == "--pace") {
            a.pace = parsePace(value());
        } else if (opt == "--open" && reading) {
            a.open = true;
        } else if (opt == "--yes" && !reading) {
            a.yes = true;
        } else {
            throw std::invalid_argument("unknown option '" + opt + "' for " + command);
        }
    }
    checkRequired(a);
    return a;
}
