#include "archive/readinguuid.h"

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

wxString NewReadingUuid()
{
    // Seeded from the system's random source on each call: readings begin
    // seldom, and no generator is kept between them.
    boost::uuids::random_generator generate;
    return wxString::FromAscii(boost::uuids::to_string(generate()).c_str());
}
