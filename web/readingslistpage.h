#ifndef MORVA_WEB_READINGSLISTPAGE_H
#define MORVA_WEB_READINGSLISTPAGE_H

#include "archive/readingarchive.h"
#include "web/pagetext.h"
#include "web/webquery.h"

#include <string>

// The page of kept readings, newest first: the station, port and since
// filters, one page of the list and the way to the others.
class ReadingsListPage {
public:
    static std::string Write(const ReadingArchive::Page& readings, const ListQuery& query, const PageText& text,
                             bool loggedIn);

private:
    static std::string Filters(const ListQuery& query, const PageText& text);
    static std::string Table(const ReadingArchive::Page& readings, const PageText& text);
    static std::string Pages(const ReadingArchive::Page& readings, const ListQuery& query, const PageText& text);
};

// A reading's time as the list shows it: "2026-12-10 14:02:05", local time.
std::string ListedTime(const wxDateTime& time);
// How a reading ended, in the page's language, with the reason of a failure.
wxString EndedText(const ReadingSummary& reading, const PageText& text);

#endif
