// Repeat rules of a reminder: when it falls due next, and the two texts the reminder list shows
// for it (the time left and the rule). Everything here is a pure computation over a record, one
// clock reading handed in by the caller and a format settings record, so that the scheduler, the
// list and the tests agree on every result.
#pragma once
#include "fw_datetime.h"
#include "fw_strings.h"
#include "uRemindFile.h"

#include <cstdint>
#include <string>

// The two "no occurrence" results: NextTime and NextWeekDay give 0, NextMonthDay gives -1.
constexpr fw::TDateTime NoOccurrence = 0.0;
constexpr fw::TDateTime NoMonthOccurrence = -1.0;

// The one test of whether a reminder still takes part in scheduling: it is unfinished, or it was
// completed and then postponed from the notice window (a pending due time). The scheduler, the
// start-with-Windows and exit questions and the visible window's closing rules all use it.
bool IsReminderActive(const TRmRecordStruct& Record);

// A real moment: finite, inside the calendar, and neither of the two "no occurrence" values.
bool HasOccurrence(fw::TDateTime Value);

// The stored date (once, daily and yearly rules) at the record's time of day; NoOccurrence when
// the stored bytes do not hold a date of the calendar.
fw::TDateTime StoredMoment(const TRmRecordStruct& Record);

// The next occurrence of the record by its repeat rule, seen from Now. A one-time reminder's
// occurrence may lie in the past; the repeating rules give Now or later. NoOccurrence when the rule
// is unknown or its stored date is not a date (corrupt bytes); see NextMonthDay for monthly rules.
fw::TDateTime NextTime(const TRmRecordStruct& Record, fw::TDateTime Now);

// Weekly search: Today is Now's day of the week (1 = Monday ... 7 = Sunday); Flags are the seven
// week-day bytes (0 = Sunday ... 6 = Saturday). The search starts today while its time is still
// ahead (tomorrow otherwise) and covers at least the next seven days. NoOccurrence without a day.
fw::TDateTime NextWeekDay(const TRmRecordStruct& Record, int Today, const uint8_t* Flags, fw::TDateTime Now);

// Monthly search: Today is Now's day of the month (1..31); Flags are the 31 month-day bytes (0 =
// day 1). Searches the rest of this month, then the next month. NoMonthOccurrence when no set day
// exists in that range (no day set, or only days the next month lacks that are past in this one).
fw::TDateTime NextMonthDay(const TRmRecordStruct& Record, int Today, const uint8_t* Flags, fw::TDateTime Now);

// The unit words of the time-left text, singular and plural.
struct TTimeUnitWords {
    std::wstring Year, Years, Month, Months, Day, Days, Hour, Hours, Minute, Minutes;
    // The words of the current language ("Translation" section, built-in English as fallback).
    static TTimeUnitWords FromLanguage();
};

// The distance between two moments in years, months, days, hours and minutes, each count above 0
// followed by its unit word and two blanks ("1 Day  1 Minute  "). Computed in whole milliseconds;
// seconds are never shown. Empty when Due is no occurrence. The words overload lets a caller that
// formats many records look the words up once.
std::wstring FormatTimeLeft(fw::TDateTime Due, fw::TDateTime Now, const TTimeUnitWords& Words);
std::wstring FormatTimeLeft(fw::TDateTime Due, fw::TDateTime Now);

// The rule text of the reminder list ("Weekly: Sun ,Wed "), dates and times in the given settings,
// rule captions from the current language. Empty for an unknown rule or a stored date that is not
// a date.
std::wstring FormatListText(const TRmRecordStruct& Record, const fw::TFormatSettings& Settings);

// The abbreviated day name Index (1 = Sunday ... 7 = Saturday) of the settings; '' outside 1..7.
// When List is given, the seven names, Sunday first, are appended to it.
std::wstring GetShortDayName(int Index, fw::TStrings* List, const fw::TFormatSettings& Settings);
// The same in the thread's locale.
std::wstring GetShortDayName(int Index, fw::TStrings* List = nullptr);
