// Date-time values, the calendar routines, the replaceable clock, format settings and the
// text conversions of dates and times.
#pragma once
#include "fw_base.h"

#include <functional>
#include <string>

namespace fw {

// Days since 30 December 1899; the fraction is the time of day. For negative values the fraction
// still counts forward from midnight (-1.25 is 29 December 1899, 06:00).
using TDateTime = double;

constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = 24 * 60;
constexpr int SecsPerDay = 24 * 60 * 60;
constexpr int64_t MSecsPerDay = 24LL * 60 * 60 * 1000;
constexpr double MinDateTime = -693593.0;             // 1 January 0001
constexpr double MaxDateTime = 2958465.99999999;       // 31 December 9999, 23:59:59.999

// --- calendar --------------------------------------------------------------------------------

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);
// The number of days of the month `dt` lies in.
int DaysInMonth(TDateTime dt);

bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
// Throw EConvertError for values outside the calendar or the day.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

// All decoding first rounds the value to the nearest millisecond and then splits it, so 23:59:59.9996
// decodes as the next day at 00:00:00.000 (a time of day never shows 24 or a 1000th millisecond).
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min, int& sec, int& msec);

// Parts of a value (after rounding to the millisecond).
TDateTime DateOf(TDateTime dt);  // midnight of the day
TDateTime TimeOf(TDateTime dt);  // the time of day
int YearOf(TDateTime dt);
int MonthOf(TDateTime dt);
int DayOf(TDateTime dt);
int SecondOf(TDateTime dt);
// 1 = Monday ... 7 = Sunday.
int DayOfTheWeek(TDateTime dt);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime dt);

// Calendar arithmetic. IncMonth/IncYear keep the time of day; a day missing in the target month
// becomes that month's last day (31 March + 1 month = 30 April, 29 February + 1 year = 28 February).
TDateTime IncMonth(TDateTime dt, int months = 1);
TDateTime IncYear(TDateTime dt, int years = 1);
// Moves along the time line (also across midnight for days before 1899, whose fraction counts
// forward from midnight), to the millisecond.
TDateTime IncDay(TDateTime dt, int64_t days = 1);
TDateTime IncHour(TDateTime dt, int64_t hours = 1);
TDateTime IncMinute(TDateTime dt, int64_t minutes = 1);
TDateTime IncSecond(TDateTime dt, int64_t seconds = 1);
TDateTime IncMilliSecond(TDateTime dt, int64_t msecs = 1);

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st);
SYSTEMTIME DateTimeToSystemTime(TDateTime dt);

// --- clock -----------------------------------------------------------------------------------

using TClockFunc = std::function<TDateTime()>;
// Replaces the clock behind Now/Date/Time (tests); an empty function restores the system's local
// time. Returns the clock that was in place.
TClockFunc SetClock(TClockFunc clock);
// The local date and time, to the millisecond.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// --- format settings -------------------------------------------------------------------------

struct TFormatSettings {
    // Patterns of FormatDateTime. Tokens are case-insensitive: y/yy (two-digit year), yyy/yyyy,
    // m/mm (month; minutes right after an hour token), mmm/mmmm (month names), d/dd, ddd/dddd (day
    // names), h/hh (24-hour unless the pattern has an AM/PM token), n/nn, s/ss, z/zzz, t/tt
    // (AM/PM string; "t" its first character), am/pm, a/p, ampm; "/" and ":" are the separators;
    // text in quotes is literal.
    std::wstring ShortDateFormat;
    std::wstring LongDateFormat;
    std::wstring ShortTimeFormat;
    std::wstring LongTimeFormat;
    wchar_t DateSeparator = L'/';
    wchar_t TimeSeparator = L':';
    wchar_t DecimalSeparator = L'.';
    std::wstring TimeAMString;
    std::wstring TimePMString;
    std::wstring ShortDayNames[7];  // Sunday first
    std::wstring LongDayNames[7];   // Sunday first
    std::wstring ShortMonthNames[12];
    std::wstring LongMonthNames[12];
    // Two-digit years are placed within this many years before the current year (and the rest of
    // the century after it).
    int TwoDigitYearCenturyWindow = 50;
};

// Settings of a locale: the short date format and date separator, a long time format made of hours,
// minutes and always seconds with the locale's time separator, hour style and AM/PM position, the
// AM/PM strings and the names. A 12-hour locale without two distinct AM/PM strings gets 24-hour
// times (its afternoon could not be told from its morning); separators skip direction marks.
TFormatSettings GetLocaleFormatSettings(LCID locale);
// The same from any source of locale strings (GetLocaleInfoW's values by LCTYPE, "" when missing).
using TLocaleInfoFunc = std::function<std::wstring(LCTYPE)>;
TFormatSettings GetLocaleFormatSettings(const TLocaleInfoFunc& info);
// The user's settings, read once.
const TFormatSettings& DefaultFormatSettings();

// --- text ------------------------------------------------------------------------------------

std::wstring FormatDateTime(const std::wstring& format, TDateTime dt, const TFormatSettings& fs);
// Short date, a blank, long time; at exactly midnight the short date alone.
std::wstring DateTimeToStr(TDateTime dt, const TFormatSettings& fs);
std::wstring DateToStr(TDateTime dt, const TFormatSettings& fs);
std::wstring TimeToStr(TDateTime dt, const TFormatSettings& fs);

// Tolerant parsing. Dates: numbers separated by the date separator in the order of the short
// date format's letters; two numbers mean the current year (from the clock); a year of one or two
// digits is placed by the century window. A text that does not read so is read along the short
// date format itself (month and day names, literal text, other separators), so that whatever
// DateToStr writes reads back; a format without a day or a month reads nothing. Times: h:m[:s[.z]] with an optional AM/PM string before
// or after (then 1 <= h <= 12). Blanks around the text and between date and time are allowed; the
// whole text must be consumed.
bool TryStrToDate(const std::wstring& s, TDateTime& result, const TFormatSettings& fs);
bool TryStrToTime(const std::wstring& s, TDateTime& result, const TFormatSettings& fs);
// A date, a date and a time, or a time alone (on day 0).
bool TryStrToDateTime(const std::wstring& s, TDateTime& result, const TFormatSettings& fs);
// As the Try forms; throw EConvertError naming the text.
TDateTime StrToDate(const std::wstring& s, const TFormatSettings& fs);
TDateTime StrToTime(const std::wstring& s, const TFormatSettings& fs);
TDateTime StrToDateTime(const std::wstring& s, const TFormatSettings& fs);
TDateTime StrToDateTimeDef(const std::wstring& s, TDateTime def, const TFormatSettings& fs);

}  // namespace fw
