#include "insight/civiltime.h"

namespace {

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

} // namespace

bool IsCivilDate(int year, int month, int day)
{
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const int length = lengths[month - 1] + (month == 2 && isLeap(year) ? 1 : 0);
    return day <= length;
}

// The days-from-civil algorithm of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day)
{
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilTime CivilFromSeconds(std::int64_t seconds)
{
    const std::int64_t days = floorDiv(seconds, 86400);
    const std::int64_t inDay = seconds - days * 86400;
    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    CivilTime civil;
    civil.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    civil.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    civil.year = static_cast<int>(yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0));
    civil.hour = static_cast<int>(inDay / 3600);
    civil.minute = static_cast<int>(inDay / 60 % 60);
    civil.second = static_cast<int>(inDay % 60);
    return civil;
}

wxString FormatDate(std::int64_t seconds, const DateStyle& style)
{
    const CivilTime civil = CivilFromSeconds(seconds);
    if (style.order == DateStyle::Order::YearMonthDay)
        return wxString::Format("%04d%c%02d%c%02d", civil.year, style.separator, civil.month, style.separator,
                                civil.day);
    if (style.shortYear)
        return wxString::Format("%02d%c%02d%c%02d", civil.day, style.separator, civil.month, style.separator,
                                civil.year % 100);
    return wxString::Format("%02d%c%02d%c%04d", civil.day, style.separator, civil.month, style.separator,
                            civil.year);
}

wxString FormatTimeOfDay(std::int64_t seconds, bool withSeconds)
{
    const CivilTime civil = CivilFromSeconds(seconds);
    if (withSeconds)
        return wxString::Format("%02d:%02d:%02d", civil.hour, civil.minute, civil.second);
    return wxString::Format("%02d:%02d", civil.hour, civil.minute);
}

wxString FormatDateTime(std::int64_t seconds, const DateStyle& style)
{
    return FormatDate(seconds, style) + wxT(' ') + FormatTimeOfDay(seconds, true);
}

wxString FormatDuration(std::int64_t seconds)
{
    if (seconds < 0)
        seconds = 0;
    return wxString::Format("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}
