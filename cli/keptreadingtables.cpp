#include "keptreadingtables.h"

#include "clioutput.h"
#include "listingarchive.h"

#include <wx/intl.h>

#include <algorithm>
#include <optional>

namespace {

// The table number that --table gives, counted from 1; none for a text
// that is not one.
std::optional<unsigned> tableNumber(const std::string& text)
{
    if (text.empty() || text.size() > 5
        || !std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const unsigned number = static_cast<unsigned>(std::stoul(text));
    if (number == 0)
        return std::nullopt;
    return number;
}

// The operator's message for a table the reading does not have.
wxString NoSuchTable(long long reading, const wxString& table, std::size_t count)
{
    const unsigned tables = static_cast<unsigned>(count);
    return wxString::Format(wxPLURAL("Reading %lld has no table %s: it has %u table.",
                                     "Reading %lld has no table %s: it has %u tables.", tables),
                            reading, table, tables);
}

} // namespace

unsigned OperatorNumber(const ReadingArchive::KeptTable& table) { return table.number + 1; }

int WithKeptTables(
    const CliArguments& args, const CliSettings& settings,
    const std::function<int(const ReadingArchive&, const std::vector<ReadingArchive::KeptTable>&)>& run)
{
    return WithListingArchive(args, settings, [&](const ReadingArchive& archive) {
        if (!archive.Find(args.reading)) {
            PrintError(wxString::Format(_("The archive holds no reading number %lld."), args.reading));
            return int{ExitFailed};
        }
        std::vector<ReadingArchive::KeptTable> tables = archive.KeptTables(args.reading);
        if (args.table) {
            const std::optional<unsigned> wanted = tableNumber(*args.table);
            const auto found = std::find_if(tables.begin(), tables.end(), [&](const ReadingArchive::KeptTable& t) {
                return wanted && OperatorNumber(t) == *wanted;
            });
            if (found == tables.end()) {
                PrintError(NoSuchTable(args.reading, wxString::FromUTF8(args.table->c_str()), tables.size()));
                return int{ExitFailed};
            }
            tables = {*found};
        }
        return run(archive, tables);
    });
}
