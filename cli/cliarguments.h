#ifndef MORVA_CLIARGUMENTS_H
#define MORVA_CLIARGUMENTS_H

#include "buslib/serial/pace.h"

#include <optional>
#include <string>
#include <vector>

// The command line of the headless reader.
struct CliArguments {
    enum class Command {
        Read,
        Clear,
        Ports,
        ArchiveList,
        ArchiveExport,
        ArchiveShow,
        ArchiveStats,
        ArchiveChart,
        ArchiveSync,
        ArchiveServe,
        Help,
        Version
    };

    Command command = Command::Help;
    std::optional<std::string> port;
    int baud = 9600;
    int format = 0; // 0 RTF, 1 HTML, 2 TXT, 3 CSV, 4 XLSX
    std::optional<std::string> folder;
    std::optional<std::string> trace;
    // Unless given, the settings file's pace.
    std::optional<morva_velox::Pace> pace;
    bool open = false;
    bool yes = false;
    // The archive of readings: another file, none at all, and whether a
    // reading takes from it the records it already holds.
    std::optional<std::string> archive;
    bool noArchive = false;
    bool onlyNew = false;
    // archive export, show, stats and chart: the number of the kept reading.
    long long reading = 0;
    // archive show, stats and chart: the table (counted from 1), the column
    // and the series column (a heading or a number counted from 1), the
    // limits, and the chart's file and size, as given: the command checks
    // them against the reading.
    std::optional<std::string> table;
    std::optional<std::string> column;
    std::optional<std::string> by;
    std::optional<std::string> lower;
    std::optional<std::string> upper;
    std::optional<std::string> out;
    std::optional<std::string> size;
    // archive list: only the readings of this station, of the port in
    // `port`, begun on this day (YYYY-MM-DD, local time) or later.
    std::optional<std::string> station;
    std::optional<std::string> since;
    // archive export: only the records from `since` up to `until` (a date,
    // or a date and a time, of the records' own clock), of this series.
    std::optional<std::string> until;
    std::optional<std::string> series;
    // archive serve: the address and port to listen on (ADDRESS:PORT), the
    // certificate and key for HTTPS (PEM files), and whether to set the
    // password instead of serving.
    std::optional<std::string> listen;
    std::optional<std::string> certificate;
    std::optional<std::string> key;
    bool setPassword = false;

    // Parses the arguments after the program name; throws
    // std::invalid_argument with a message for the operator on a usage error.
    static CliArguments parse(const std::vector<std::string>& args);
    static const char* usage();
};

#endif
