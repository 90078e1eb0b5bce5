#ifndef MORVA_WEB_MARKUP_H
#define MORVA_WEB_MARKUP_H

#include <string>
#include <string_view>

// Text from the unit, the archive or a request made safe for where a page
// or an answer puts it.

// For an HTML element's text or a quoted attribute: &, <, >, " and '
// written as references.
std::string HtmlEscaped(std::string_view text);

// For a query value in a link: the unreserved characters (letters, digits,
// "-", ".", "_", "~") as they are, every other byte as %XX.
std::string UrlEncoded(std::string_view text);

// A Content-Disposition value that saves a download under `fileNameUtf8`
// (RFC 6266 and 5987): `attachment; filename="..."; filename*=UTF-8''...`,
// the quoted name its ASCII letters, digits and safe punctuation with "_"
// for any other character, the second the whole name percent-encoded.
// Control characters, slashes and backslashes, and bytes that are not
// UTF-8 become "_" in both; no quote, backslash, CR or LF gets through.
std::string AttachmentHeader(const std::string& fileNameUtf8);

#endif
