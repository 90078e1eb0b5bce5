#ifndef MORVA_WEB_PAGEFRAME_H
#define MORVA_WEB_PAGEFRAME_H

#include "web/pagetext.h"

#include <string>

// What every page of the web view is written in: the document, its style
// (inline: a page asks for nothing beyond itself), the heading with the way
// back to the readings and, for one who logged in, the way out.
class PageFrame {
public:
    // The Content-Security-Policy every page is sent with: no script at
    // all, styles and pictures of the page itself only.
    static const char* const Policy;

    // `title` and `body` are markup already (every text in them escaped).
    static std::string Page(const PageText& text, const std::string& title, const std::string& body,
                            bool loggedIn);
    // A page that says only why there is nothing to show: `message` is text.
    static std::string Message(const PageText& text, const std::string& title, const std::string& message,
                               bool loggedIn);
};

#endif
