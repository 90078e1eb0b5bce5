#include "archive/serverplace.h"

#include "archive/archiveerror.h"

#include <libpq-fe.h>

#include <wx/intl.h>

#include <cctype>
#include <memory>
#include <optional>

namespace {

struct FreeOptions {
    void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, FreeOptions>;

// libpq's parse of `conninfo`, null when it cannot take it. libpq's error
// text quotes the place and is dropped unread.
Options Parse(const std::string& conninfo)
{
    char* error = nullptr;
    Options options(PQconninfoParse(conninfo.c_str(), &error));
    PQfreemem(error);
    return options;
}

bool IsKeyword(const std::string& word)
{
    const Options all = Parse(std::string());
    for (const PQconninfoOption* o = all.get(); o && o->keyword; ++o) {
        if (word == o->keyword)
            return true;
    }
    return false;
}

// The text after the scheme of a URL place; nothing for keyword=value pairs.
std::optional<std::string> AfterScheme(const std::string& place)
{
    for (const std::string scheme : {"postgresql://", "postgres://"}) {
        if (place.size() >= scheme.size()
            && wxString::FromUTF8(place.substr(0, scheme.size())).Lower() == wxString(scheme))
            return place.substr(scheme.size());
    }
    return std::nullopt;
}

// Where a URL's host begins, after the scheme: libpq takes the text up to
// an "@" met before any "/" as the user and password.
std::size_t HostStart(const std::string& url)
{
    const std::size_t stop = url.find_first_of("@/");
    return stop != std::string::npos && url[stop] == '@' ? stop + 1 : 0;
}

// What can be wrong with a place, as the operator is told it.
enum class Fault { Unreadable, Percent, StrayAt, NoEquals, OpenQuote, UnknownKeyword };

wxString ReasonOf(Fault fault)
{
    switch (fault) {
    case Fault::Percent:
        return wxString::Format(_("the archive server's place holds a percent sign that is not followed by two "
                                  "hexadecimal digits: write a percent sign as %s"),
                                "%25");
    case Fault::StrayAt:
        return wxString::Format(_("the archive server's URL holds an @ other than the one before its host: "
                                  "write @ in a user name or password as %s, and / as %s"),
                                "%40", "%2F");
    case Fault::NoEquals:
        return _("the archive server's place holds a word without \"=\" after it; a value with spaces is "
                 "written in single quotes");
    case Fault::OpenQuote:
        return _("the archive server's place holds a quote that is not closed; inside a quoted value, write ' "
                 "as \\' and \\ as \\\\");
    case Fault::UnknownKeyword:
        return _("the archive server's place holds a keyword that libpq does not know");
    case Fault::Unreadable:
        break;
    }
    return _("the archive server's place cannot be read: write it as postgresql://user@host:port/database or as "
             "keyword=value pairs");
}

bool HasBadPercent(const std::string& url)
{
    for (std::size_t i = url.find('%'); i != std::string::npos; i = url.find('%', i + 1)) {
        if (i + 2 >= url.size() || !std::isxdigit(static_cast<unsigned char>(url[i + 1]))
            || !std::isxdigit(static_cast<unsigned char>(url[i + 2])) || url.compare(i + 1, 2, "00") == 0)
            return true;
    }
    return false;
}

// Why libpq could not take a URL.
Fault FaultOfUrl(const std::string& url)
{
    if (HasBadPercent(url))
        return Fault::Percent;
    const std::size_t query = url.find('?', HostStart(url));
    if (query == std::string::npos)
        return Fault::Unreadable;
    std::size_t from = query + 1;
    while (from <= url.size()) {
        const std::size_t end = std::min(url.find('&', from), url.size());
        const std::string parameter = url.substr(from, end - from);
        const std::size_t equals = parameter.find('=');
        if (equals == std::string::npos)
            return Fault::NoEquals;
        const std::string keyword = parameter.substr(0, equals);
        if (keyword != "ssl" && !IsKeyword(keyword))
            return Fault::UnknownKeyword;
        from = end + 1;
    }
    return Fault::Unreadable;
}

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Why libpq could not take keyword=value pairs, read as libpq reads them.
Fault FaultOfPairs(const std::string& pairs)
{
    std::size_t i = 0;
    const auto skipSpace = [&] {
        while (i < pairs.size() && IsSpace(pairs[i]))
            ++i;
    };
    for (skipSpace(); i < pairs.size(); skipSpace()) {
        const std::size_t start = i;
        while (i < pairs.size() && pairs[i] != '=' && !IsSpace(pairs[i]))
            ++i;
        const std::string keyword = pairs.substr(start, i - start);
        skipSpace();
        if (i == pairs.size() || pairs[i] != '=')
            return Fault::NoEquals;
        ++i;
        skipSpace();
        const bool quoted = i < pairs.size() && pairs[i] == '\'';
        i += quoted ? 1 : 0;
        bool closed = !quoted;
        for (; i < pairs.size(); ++i) {
            if (pairs[i] == '\\')
                ++i;
            else if (quoted && pairs[i] == '\'') {
                closed = true;
                ++i;
                break;
            } else if (!quoted && IsSpace(pairs[i]))
                break;
        }
        if (!closed)
            return Fault::OpenQuote;
        if (!IsKeyword(keyword))
            return Fault::UnknownKeyword;
    }
    return Fault::Unreadable;
}

} // namespace

bool ServerPlace::Names(const wxString& place)
{
    const std::string text(place.utf8_str());
    if (AfterScheme(text))
        return true;
    const wxString keyword = place.BeforeFirst('=').Trim();
    return keyword.length() != place.length() && IsKeyword(std::string(keyword.utf8_str()));
}

ServerPlace::ServerPlace(const wxString& place)
{
    const std::string text(place.utf8_str());
    const std::optional<std::string> url = AfterScheme(text);
    const Options options = Parse(text);
    if (!options)
        throw ArchiveError(ReasonOf(url ? FaultOfUrl(*url) : FaultOfPairs(text)));
    // libpq takes a URL's user and password up to its first "@", so a
    // further one leaves the rest of the password in the host or the
    // database's name.
    if (url) {
        const std::size_t host = HostStart(*url);
        const std::size_t at = url->find('@', host);
        if (at != std::string::npos && at < url->find('?', host))
            throw ArchiveError(ReasonOf(Fault::StrayAt));
    }
    for (const PQconninfoOption* o = options.get(); o->keyword; ++o) {
        if (o->val && *o->val)
            m_fields[o->keyword] = wxString::FromUTF8(o->val);
    }
}

wxString ServerPlace::Field(const std::string& keyword) const
{
    const auto found = m_fields.find(keyword);
    return found == m_fields.end() ? wxString() : found->second;
}

wxString ServerPlace::Describe() const
{
    const wxString user = Field("user");
    const wxString host = Field("host").empty() ? Field("hostaddr") : Field("host");
    const wxString port = Field("port");
    const wxString service = Field("service");
    wxString text = "postgresql://";
    if (!user.empty())
        text += user + "@";
    text += host;
    if (!port.empty())
        text += ":" + port;
    text += "/" + Field("dbname");
    if (!service.empty())
        text += " (service " + service + ")";
    return text;
}

wxString ServerPlace::TlsRefusal(bool tls) const
{
    const wxString mode = Field("sslmode");
    if (tls || (mode != "require" && mode != "verify-ca" && mode != "verify-full"))
        return wxString();
    return wxString::Format(_("this build of the program cannot reach an archive server over TLS (sslmode=%s); "
                              "use a server on a trusted network without it, or the program built for Linux"),
                            mode);
}
