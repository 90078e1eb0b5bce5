#ifndef MORVA_INSIGHT_CIVILTIME_H
#define MORVA_INSIGHT_CIVILTIME_H

#include "insight/cellparsing.h"

#include <wx/string.h>

#include <cstdint>

// Times as the unit's clock tells them: seconds since 1970-01-01 00:00 of
// that clock, with no time zone, so that no daylight-saving change of this
// computer moves a record.

bool IsCivilDate(int year, int month, int day);
std::int64_t DaysFromCivil(int year, int month, int day);

struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
CivilTime CivilFromSeconds(std::int64_t seconds);

// A date written as the unit writes its dates.
wxString FormatDate(std::int64_t seconds, const DateStyle& style);
// hh:mm, or hh:mm:ss.
wxString FormatTimeOfDay(std::int64_t seconds, bool withSeconds);
// The date and the time of day.
wxString FormatDateTime(std::int64_t seconds, const DateStyle& style);
// A span of time: hh:mm:ss, the hours counting on past a day.
wxString FormatDuration(std::int64_t seconds);

#endif
