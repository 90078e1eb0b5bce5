#ifndef MORVA_ARCHIVE_SERVERPLACE_H
#define MORVA_ARCHIVE_SERVERPLACE_H

#include <wx/string.h>

#include <map>
#include <string>

// The place of an archive server as libpq takes it: a "postgresql://" (or
// "postgres://") URL, or keyword=value pairs. It is parsed by libpq before
// anything else is done with it, and refused when libpq cannot take it or
// would take part of a password for something else. Nothing this class
// says, refusals included, holds a value of the place: libpq's own parse
// errors quote the text they stumbled on, which may be a password, so they
// are never passed on.
class ServerPlace {
public:
    // Whether `place` names a server rather than a file: a URL of one of
    // the schemes, or one of libpq's keywords followed by "=".
    static bool Names(const wxString& place);

    // Throws ArchiveError saying what is wrong with a place that cannot be
    // taken.
    explicit ServerPlace(const wxString& place);

    // For the operator's eyes: "postgresql://user@host:port/db" and the
    // service, from the parsed fields; never the password.
    wxString Describe() const;
    // Why the place cannot be reached by a libpq without TLS (`tls`
    // false), when it asks for TLS (sslmode require, verify-ca or
    // verify-full); empty when it can.
    wxString TlsRefusal(bool tls) const;

private:
    // The parsed value of `keyword`, empty when the place gives none.
    wxString Field(const std::string& keyword) const;

    std::map<std::string, wxString> m_fields;
};

#endif
