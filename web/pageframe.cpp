#include "web/pageframe.h"

#include "web/markup.h"

#include <wx/translation.h>

namespace {

const char* const Style = R"(
body{font:15px/1.45 system-ui,sans-serif;margin:0;color:#1d2329;background:#f6f7f9}
header{background:#1f4e79;color:#fff;padding:.6em 1.2em;display:flex;gap:1em;align-items:center}
header a{color:#fff;text-decoration:none;font-weight:600}header form{margin-left:auto}
main{padding:1em 1.2em;max-width:1400px}h1{font-size:1.35em;margin:.3em 0 .6em}h2{font-size:1.1em;margin:1.2em 0 .4em}
table{border-collapse:collapse;background:#fff;margin:.4em 0}th,td{border:1px solid #d5d9de;padding:.25em .6em;text-align:left;vertical-align:top}
th{background:#eef1f4}td.n{text-align:right;font-variant-numeric:tabular-nums}
tr:nth-child(even) td{background:#fafbfc}form.filter{display:flex;flex-wrap:wrap;gap:.6em;align-items:end;margin:.4em 0}
form.filter label{display:flex;flex-direction:column;font-size:.85em}input,select,button{font:inherit;padding:.2em .4em}
nav.pages,nav.tables,p.downloads{display:flex;flex-wrap:wrap;gap:.8em;align-items:center}nav.tables a.chosen{font-weight:700;text-decoration:none;color:inherit}
dl.facts{display:grid;grid-template-columns:max-content auto;gap:.15em 1em}dl.facts dt{color:#555}dl.facts dd{margin:0}
.chart svg{max-width:100%;height:auto;background:#fff;border:1px solid #d5d9de}.nothing{color:#6b4d00;background:#fff6da;padding:.5em .8em}
.error{color:#8a1c1c;background:#fde8e8;padding:.5em .8em}.scroll{overflow-x:auto}
)";

} // namespace

const char* const PageFrame::Policy = "default-src 'none'; style-src 'unsafe-inline'; img-src 'self' data:; "
                                      "form-action 'self'; frame-ancestors 'none'; base-uri 'none'";

std::string PageFrame::Page(const PageText& text, const std::string& title, const std::string& body, bool loggedIn)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"" + text.Language()
        + "\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
          "<meta name=\"referrer\" content=\"no-referrer\"><title>"
        + title + " – MORVA_Reporter</title><style>" + Style + "</style></head><body><header>"
        + "<a href=\"/readings\">MORVA_Reporter</a><span>" + text.Html(wxTRANSLATE("Kept readings")) + "</span>";
    if (loggedIn)
        page += "<form method=\"post\" action=\"/logout\"><button type=\"submit\">"
            + text.Html(wxTRANSLATE("Log out")) + "</button></form>";
    page += "</header><main><h1>" + title + "</h1>" + body + "</main></body></html>\n";
    return page;
}

std::string PageFrame::Message(const PageText& text, const std::string& title, const std::string& message,
                               bool loggedIn)
{
    return Page(text, HtmlEscaped(title), "<p class=\"error\">" + HtmlEscaped(message) + "</p>", loggedIn);
}
