// morva_reporter_cli archive serve: the archive read-only in a browser and
// for scripts, until stopped.

#include "commands.h"

#include "archiveplaces.h"
#include "clioutput.h"
#include "servepassword.h"
#include "stopsignal.h"

#include "archive/archivesettings.h"
#include "web/serveplan.h"
#include "web/servesettings.h"
#include "web/webserver.h"

#include <wx/intl.h>

#include <cstdio>
#include <stdexcept>

namespace {

int serve(const ServePlan& plan, const wxString& place)
{
    WebServer server(plan, place);
    wxString error;
    if (!server.Bind(error)) {
        PrintError(error);
        return ExitFailed;
    }
    const StopSignal stop([&server] { server.Stop(); });
    ListenAddress bound = plan.listen;
    bound.port = server.Port();
    // The address on a line of its own, for the operator and for scripts.
    std::printf("%s://%s/\n", plan.Https() ? "https" : "http", bound.Text().c_str());
    std::fflush(stdout);
    PrintError(wxString::Format(_("Serving the archive %s read-only until stopped (Ctrl-C)."),
                                DescribeArchive(place)));
    server.Run();
    return ExitOk;
}

} // namespace

int CommandArchiveServe(const CliArguments& args, const CliSettings& settings)
{
    if (args.setPassword)
        return SetServePassword();
    wxString refusal;
    const std::optional<ServePlan> plan
        = ServePlan::Make(args.listen, args.certificate, args.key, ServeSettings::From(settings.config()), refusal);
    if (!plan) {
        PrintError(refusal);
        return ExitFailed;
    }
    const wxString place = ArchiveSettings::FromConfig(settings.config()).ForListing(GivenArchive(args));
    if (place.empty()) {
        PrintError("no archive: give --archive FILE");
        return ExitUsage;
    }
    try {
        return serve(*plan, place);
    } catch (const std::runtime_error& error) {
        PrintError(wxString::FromUTF8(error.what()));
        return ExitFailed;
    }
}
