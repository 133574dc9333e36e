#include "RepeatRules.h"

#include "PublicFuns.h"

#include <cmath>

using fw::TDateTime;

namespace {

constexpr int64_t MsPerDay = fw::MSecsPerDay;
constexpr int64_t MsPerHour = 3600000;
constexpr int64_t MsPerMinute = 60000;
// 365.25 and 30.4375 days: the lengths of an average year and month the time-left text counts in.
constexpr int64_t MsPerAverageYear = 31557600000LL;
constexpr int64_t MsPerAverageMonth = 2629800000LL;

// Every comparison and distance is taken in whole milliseconds: doubles that stand for the same
// moment but were built differently (8/24 typed in the editor, 08:00 read from the clock) would
// otherwise compare unequal, and one hour ahead would read as 59 minutes.
int64_t ToMs(TDateTime t) { return fw::RoundHalfEven(static_cast<long double>(t) * MsPerDay); }

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Fraction with the sign of the value kept; times of day are 0 <= t < 1.
double Frac(double x) { return x - std::trunc(x); }

bool IsCalendarValue(double t) { return std::isfinite(t) && t >= fw::MinDateTime && t <= fw::MaxDateTime; }

// One reading of the clock, split the ways the rules use it.
struct TClockReading {
    int64_t NowMs;      // the moment
    TDateTime Today;    // midnight of its day (whole day number)
    int64_t TimeOfDay;  // milliseconds since midnight
};

TClockReading SplitNow(TDateTime now) {
    TClockReading r;
    r.NowMs = ToMs(now);
    const int64_t day = FloorDiv(r.NowMs, MsPerDay);
    r.Today = static_cast<TDateTime>(day);
    r.TimeOfDay = r.NowMs - day * MsPerDay;
    return r;
}

TDateTime YearlyOccurrence(const TRmRecordStruct& rec, TDateTime now) {
    const TDateTime first = StoredMoment(rec);
    if (!HasOccurrence(first)) return NoOccurrence;
    const int64_t nowMs = ToMs(now);
    if (nowMs <= ToMs(first)) return first;
    // Count whole years from the stored date each time rather than stepping year by year from the
    // previous occurrence: a reminder for 29 February then falls on 28 February in common years and
    // back on 29 February in leap years, and a date far back costs no loop.
    const int firstYear = fw::YearOf(first);
    int years = fw::YearOf(now) - firstYear;
    if (years < 0) years = 0;
    for (int step = 0; step < 2; ++step, ++years) {
        if (firstYear + years > 9999) return NoOccurrence;
        const TDateTime t = fw::IncYear(first, years);
        if (nowMs <= ToMs(t)) return t;
    }
    return NoOccurrence;  // not reached: the year after Now's always lies ahead
}

int DaysInNextMonth(TDateTime today) {
    int y, m, d;
    fw::DecodeDate(today, y, m, d);
    return m == 12 ? fw::DaysInAMonth(y + 1, 1) : fw::DaysInAMonth(y, m + 1);
}

TDateTime WeekSearch(TDateTime wakeTime, int today, const uint8_t* flags, TDateTime now) {
    if (today < 1 || today > 7 || !flags || !IsCalendarValue(wakeTime)) return NoOccurrence;
    const TClockReading c = SplitNow(now);
    const int start = c.TimeOfDay > ToMs(wakeTime) ? today + 1 : today;
    for (int i = start; i <= 14; ++i)
        if (flags[i % 7] == 1) return c.Today + (i - today) + wakeTime;
    return NoOccurrence;
}

TDateTime MonthSearch(TDateTime wakeTime, int today, const uint8_t* flags, TDateTime now) {
    if (today < 1 || today > 31 || !flags || !IsCalendarValue(wakeTime)) return NoMonthOccurrence;
    const TClockReading c = SplitNow(now);
    const int d1 = fw::DaysInMonth(c.Today);
    const double wake = Frac(wakeTime);
    const int start = c.TimeOfDay > ToMs(wakeTime) ? today + 1 : today;
    for (int d = start; d <= d1; ++d)
        if (flags[d - 1] == 1) return c.Today + (d - today) + wake;
    const int d2 = DaysInNextMonth(c.Today);
    for (int e = 1; e <= d2; ++e)
        if (flags[e - 1] == 1) return c.Today + (d1 - today + e) + wake;
    return NoMonthOccurrence;
}

// Moves a moment (in milliseconds) by calendar months, keeping its time of day; a day missing in
// the target month becomes that month's last day.
int64_t MoveMonths(int64_t ms, int months) {
    const int64_t day = FloorDiv(ms, MsPerDay);
    const int64_t timeOfDay = ms - day * MsPerDay;
    const TDateTime moved = fw::IncMonth(static_cast<TDateTime>(day), months);
    return static_cast<int64_t>(moved) * MsPerDay + timeOfDay;
}

void AppendCount(std::wstring& text, int64_t count, const std::wstring& one, const std::wstring& many) {
    if (count <= 0) return;
    text += std::to_wstring(count);
    text += L' ';
    text += count == 1 ? one : many;
    text += L"  ";
}

std::wstring PeriodCaption(int period) {
    return GetLangString(L"Translation", L"TfrmZUBMain.cbPeriod.Item" + std::to_wstring(period + 1), L"item");
}

}  // namespace

bool IsReminderActive(const TRmRecordStruct& Record) { return Record.EndTime == 0 || Record.NextDue != 0; }

bool HasOccurrence(TDateTime Value) {
    return IsCalendarValue(Value) && Value != NoOccurrence && Value != NoMonthOccurrence;
}

TDateTime StoredMoment(const TRmRecordStruct& Record) {
    const double date = Record.GetDate();
    const double time = Frac(Record.WakeTime);
    // Corrupt bytes can hold any double: NaN, infinities, days beyond year 9999.
    if (!IsCalendarValue(date) || !std::isfinite(time)) return NoOccurrence;
    // Before 30 December 1899 the fraction counts forward from midnight while the day number runs
    // backward, so the time is subtracted there.
    const double day = std::trunc(date);
    const TDateTime t = day < 0 ? day - time : day + time;
    return IsCalendarValue(t) ? t : NoOccurrence;
}

TDateTime NextTime(const TRmRecordStruct& Record, TDateTime Now) {
    switch (Record.Period) {
        case 0:  // once: the stored day at the time of day, past or not
            return StoredMoment(Record);
        case 1: {  // daily: today at the time, or tomorrow once it has passed
            if (!std::isfinite(Record.WakeTime)) return NoOccurrence;
            const TClockReading c = SplitNow(Now);
            const double wake = Frac(Record.WakeTime);
            const TDateTime t = c.Today + wake;
            return c.TimeOfDay > ToMs(wake) ? t + 1 : t;
        }
        case 2:
            return NextWeekDay(Record, fw::DayOfTheWeek(Now), Record.RepeatData.data(), Now);
        case 3:
            return NextMonthDay(Record, fw::DayOf(Now), Record.RepeatData.data(), Now);
        case 4:
            return YearlyOccurrence(Record, Now);
        default:
            return NoOccurrence;
    }
}

TDateTime NextWeekDay(const TRmRecordStruct& Record, int Today, const uint8_t* Flags, TDateTime Now) {
    return WeekSearch(Record.WakeTime, Today, Flags, Now);
}

TDateTime NextMonthDay(const TRmRecordStruct& Record, int Today, const uint8_t* Flags, TDateTime Now) {
    return MonthSearch(Record.WakeTime, Today, Flags, Now);
}

TTimeUnitWords TTimeUnitWords::FromLanguage() {
    TTimeUnitWords w;
    w.Year = GetLangString(L"Translation", L"constY", L"");
    w.Years = GetLangString(L"Translation", L"constYs", L"");
    w.Month = GetLangString(L"Translation", L"constM", L"");
    w.Months = GetLangString(L"Translation", L"constMs", L"");
    w.Day = GetLangString(L"Translation", L"constD", L"");
    w.Days = GetLangString(L"Translation", L"constDs", L"");
    w.Hour = GetLangString(L"Translation", L"constHH", L"");
    w.Hours = GetLangString(L"Translation", L"constHHs", L"");
    w.Minute = GetLangString(L"Translation", L"constMM", L"");
    w.Minutes = GetLangString(L"Translation", L"constMMs", L"");
    return w;
}

std::wstring FormatTimeLeft(TDateTime Due, TDateTime Now, const TTimeUnitWords& Words) {
    // A reminder without an occurrence has no time left to show (not the ~124 years to day 0).
    if (!HasOccurrence(Due) || !IsCalendarValue(Now)) return L"";
    const int64_t due = ToMs(Due);
    int64_t r = ToMs(Now);  // walks from Now toward Due
    auto gap = [&] { return due > r ? due - r : r - due; };
    auto toward = [&] { return due > r ? 1 : -1; };
    int64_t years = 0, months = 0;
    try {
        years = gap() / MsPerAverageYear;
        if (years > 0) r = MoveMonths(r, static_cast<int>(toward() * years * 12));
        months = gap() / MsPerAverageMonth;
        if (months > 0) r = MoveMonths(r, static_cast<int>(toward() * months));
    } catch (const fw::EConvertError&) {
        return L"";  // the walk ran off the calendar (a moment next to year 1 or 9999)
    }
    const int64_t days = gap() / MsPerDay;
    r += toward() * days * MsPerDay;
    const int64_t hours = gap() / MsPerHour;
    r += toward() * hours * MsPerHour;
    const int64_t minutes = gap() / MsPerMinute;

    std::wstring text;
    AppendCount(text, years, Words.Year, Words.Years);
    AppendCount(text, months, Words.Month, Words.Months);
    AppendCount(text, days, Words.Day, Words.Days);
    AppendCount(text, hours, Words.Hour, Words.Hours);
    AppendCount(text, minutes, Words.Minute, Words.Minutes);
    return text;
}

std::wstring FormatTimeLeft(TDateTime Due, TDateTime Now) {
    return FormatTimeLeft(Due, Now, TTimeUnitWords::FromLanguage());
}

std::wstring FormatListText(const TRmRecordStruct& Record, const fw::TFormatSettings& Settings) {
    std::wstring text;
    switch (Record.Period) {
        case 0: {
            const TDateTime t = StoredMoment(Record);
            if (HasOccurrence(t)) text = fw::DateTimeToStr(t, Settings);
            break;
        }
        case 1:
            if (std::isfinite(Record.WakeTime))
                text = PeriodCaption(1) + L": " + fw::TimeToStr(Frac(Record.WakeTime), Settings);
            break;
        case 2: {
            text = PeriodCaption(2) + L": ";
            for (int i = 0; i < 7; ++i)
                if (Record.GetWeekDays(i)) text += GetShortDayName(i + 1, nullptr, Settings) + L" ,";
            break;
        }
        case 3: {
            text = PeriodCaption(3) + L": ";
            for (int i = 0; i < 31; ++i)
                if (Record.GetMonthDays(i)) text += std::to_wstring(i + 1) + L" ,";
            break;
        }
        case 4: {
            const TDateTime t = StoredMoment(Record);
            if (HasOccurrence(t)) text = PeriodCaption(4) + L": " + fw::FormatDateTime(L"MM/DD hh:mm:ss", t, Settings);
            break;
        }
        default:
            break;
    }
    // The day lists end with " ,"; drop the comma (the blank before it stays).
    if (text.size() > 1 && text.back() == L',') text.pop_back();
    return text;
}

std::wstring GetShortDayName(int Index, fw::TStrings* List, const fw::TFormatSettings& Settings) {
    if (List)
        for (const auto& name : Settings.ShortDayNames) List->Add(name);
    if (Index < 1 || Index > 7) return L"";
    return Settings.ShortDayNames[Index - 1];
}

std::wstring GetShortDayName(int Index, fw::TStrings* List) {
    return GetShortDayName(Index, List, fw::GetLocaleFormatSettings(GetThreadLocale()));
}
