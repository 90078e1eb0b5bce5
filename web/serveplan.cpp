#include "web/serveplan.h"

#include <wx/intl.h>

namespace {

wxString given(const std::optional<std::string>& option, const wxString& setting)
{
    return option ? wxString::FromUTF8(option->c_str()) : setting;
}

} // namespace

std::optional<ServePlan> ServePlan::Make(const std::optional<std::string>& listenOption,
                                         const std::optional<std::string>& certificateOption,
                                         const std::optional<std::string>& keyOption, const ServeSettings& settings,
                                         wxString& refusal)
{
    const std::string listenText = listenOption ? *listenOption
        : settings.listen.empty()                ? std::string(ListenAddress::Default)
                                                 : settings.listen;
    const std::optional<ListenAddress> listen = ListenAddress::Parse(listenText);
    if (!listen) {
        refusal = wxString::Format(_("\"%s\" is not an address and port to listen on, such as 127.0.0.1:8480 or "
                                     "[::1]:8480."),
                                   wxString::FromUTF8(listenText.c_str()));
        return std::nullopt;
    }
    ServePlan plan;
    plan.listen = *listen;
    plan.certificate = given(certificateOption, settings.certificate);
    plan.key = given(keyOption, settings.key);
    plan.passwordHash = settings.passwordHash;
    const wxString where = wxString::FromUTF8(plan.listen.Text().c_str());
    if (plan.certificate.empty() != plan.key.empty()) {
        refusal = _("HTTPS needs both a certificate and its key: name both (--certificate and --key, or "
                    "certificate= and key= in [serve] of morva_reporter.ini).");
        return std::nullopt;
    }
    if (!plan.listen.loopback && !plan.Https()) {
        refusal = wxString::Format(_("To listen on %s, which other computers can reach, archive serve needs HTTPS: "
                                     "name a certificate and its key (--certificate and --key, or certificate= "
                                     "and key= in [serve] of morva_reporter.ini)."),
                                   where);
        return std::nullopt;
    }
    if (!plan.listen.loopback && plan.passwordHash.empty()) {
        refusal = wxString::Format(_("To listen on %s, which other computers can reach, archive serve needs a "
                                     "password: set one with \"morva_reporter_cli archive serve --set-password\"."),
                                   where);
        return std::nullopt;
    }
    return plan;
}
