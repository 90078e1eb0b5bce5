// What the settings file says beyond the port and the folder.
#include "reading/settingsfile.h"

#include <gtest/gtest.h>

#include <wx/fileconf.h>
#include <wx/sstream.h>

using morva_velox::Pace;

TEST(PaceSetting, NamesAPaceOrLeavesTheDesignPace)
{
    EXPECT_EQ(PaceSetting(nullptr), Pace::Design);
    const struct {
        const char* text; // null: no key
        Pace pace;
    } rows[] = {{nullptr, Pace::Design}, {"[communication]\npace=line\n", Pace::Line},
                {"[communication]\npace=Line\n", Pace::Line}, {"[communication]\npace=design\n", Pace::Design},
                {"[communication]\npace=quick\n", Pace::Design}, {"[communication]\npace=\n", Pace::Design},
                {"[other]\npace=line\n", Pace::Design}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text ? row.text : "(no key)");
        wxStringInputStream in(row.text ? wxString(row.text) : wxString());
        const wxFileConfig config(in);
        EXPECT_EQ(PaceSetting(&config), row.pace);
    }
}
