// Next occurrence of each repeat rule, the time-left text and the list text.
#include "RepeatRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "fixed_formats.h"
#include "test_support.h"

using fw::TDateTime;

namespace {

TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0, int z = 0) {
    return fw::EncodeDateTime(y, m, d, h, n, s, z);
}

// A time of day built the way the editor builds it (a fraction of a day), not through EncodeTime,
// so that "equal" moments are not equal doubles by construction.
TDateTime Wake(int h, int n = 0, int s = 0) { return (h * 3600.0 + n * 60.0 + s) / 86400.0; }

int64_t Ms(TDateTime t) { return std::llround(t * 86400000.0); }

std::string Show(TDateTime t) {
    if (t == 0 || t == -1) return std::to_string(t);
    return testsupport::Narrow(fw::FormatDateTime(L"yyyy-mm-dd hh:nn:ss.zzz", t, testsupport::EnUsFormats()));
}

// Period 0 once, 1 daily, 2 weekly (days 0 = Sunday ... 6), 3 monthly (days 1..31), 4 yearly.
TRmRecordStruct Rule(uint8_t period, TDateTime wake, std::initializer_list<int> days = {}, TDateTime date = 0) {
    TRmRecordStruct r;
    r.Period = period;
    r.WakeTime = wake;
    r.SetDate(date);
    for (int d : days) period == 2 ? r.SetWeekDays(d, true) : r.SetMonthDays(d - 1, true);
    return r;
}
TRmRecordStruct Once(TDateTime date, TDateTime wake) { return Rule(0, wake, {}, date); }
TRmRecordStruct Daily(TDateTime wake) { return Rule(1, wake); }
TRmRecordStruct Weekly(TDateTime wake, std::initializer_list<int> days) { return Rule(2, wake, days); }
TRmRecordStruct Monthly(TDateTime wake, std::initializer_list<int> days) { return Rule(3, wake, days); }
TRmRecordStruct Yearly(TDateTime date, TDateTime wake) { return Rule(4, wake, {}, date); }
TRmRecordStruct WithByte(TRmRecordStruct r, int index, uint8_t value) {
    r.RepeatData[index] = value;
    return r;
}

// 5 March 2024 is a Tuesday.
const TDateTime Tue = At(2024, 3, 5);

}  // namespace

TEST(NextTimeRules, EveryRule) {
    // The stored date plays no part in a daily rule.
    const TRmRecordStruct eight = Rule(1, Wake(8), {}, std::numeric_limits<double>::quiet_NaN());
    const TRmRecordStruct tueOnly = Weekly(Wake(8), {2}), sunOnly = Weekly(Wake(8), {0});
    const TRmRecordStruct twoYearsBack = Yearly(At(2022, 3, 5), Wake(8)), leapDay = Yearly(At(2020, 2, 29), Wake(8));
    const TRmRecordStruct unknown = Rule(255, Wake(8));
    const struct {
        const char* name;
        TRmRecordStruct record;
        TDateTime now, expected;
    } cases[] = {
        {"daily before its time", eight, At(2024, 3, 5, 7, 0), At(2024, 3, 5, 8, 0)},
        {"daily exactly at its time: still today", eight, At(2024, 3, 5, 8, 0), At(2024, 3, 5, 8, 0)},
        {"daily a millisecond after: tomorrow", eight, At(2024, 3, 5, 8, 0, 0, 1), At(2024, 3, 6, 8, 0)},
        {"midnight reminder just before midnight", Daily(0), At(2024, 12, 31, 23, 59, 59, 999), At(2025, 1, 1)},
        {"weekly: next set day", Weekly(Wake(8), {0, 3}), Tue + Wake(7), At(2024, 3, 6, 8, 0)},
        {"weekly only today, before its time", tueOnly, Tue + Wake(7), At(2024, 3, 5, 8, 0)},
        {"weekly only today, exactly at its time", tueOnly, Tue + Wake(8), At(2024, 3, 5, 8, 0)},
        {"weekly only today, after its time: a week later", tueOnly, Tue + Wake(9), At(2024, 3, 12, 8, 0)},
        {"Sunday flag seen from Saturday", sunOnly, At(2024, 3, 9, 10, 0), At(2024, 3, 10, 8, 0)},
        {"Sunday flag on Sunday before its time", sunOnly, At(2024, 3, 10, 7, 0), At(2024, 3, 10, 8, 0)},
        {"Sunday flag seen from Monday", sunOnly, At(2024, 3, 11, 9, 0), At(2024, 3, 17, 8, 0)},
        {"weekly: a byte of 2 is not a flag", WithByte(Weekly(Wake(8), {5}), 3, 2), Tue + Wake(9), At(2024, 3, 8, 8, 0)},
        {"weekly without a day", Weekly(Wake(8), {}), Tue + Wake(7), NoOccurrence},
        {"monthly today, before its time", Monthly(Wake(8), {15}), At(2024, 3, 15, 7, 0), At(2024, 3, 15, 8, 0)},
        {"monthly today, after its time", Monthly(Wake(8), {15}), At(2024, 3, 15, 9, 0), At(2024, 4, 15, 8, 0)},
        {"monthly later this month", Monthly(Wake(8), {1, 20}), At(2024, 3, 15, 9, 0), At(2024, 3, 20, 8, 0)},
        {"31st from a 30-day month", Monthly(Wake(8), {31}), At(2024, 4, 10, 9, 0), At(2024, 5, 31, 8, 0)},
        {"31 January after its time -> 1 February", Monthly(Wake(8), {1}), At(2024, 1, 31, 9, 0), At(2024, 2, 1, 8, 0)},
        {"29th in a common February", Monthly(Wake(8), {29}), At(2023, 2, 10, 9, 0), At(2023, 3, 29, 8, 0)},
        {"monthly December into January", Monthly(Wake(8), {5}), At(2024, 12, 31, 9, 0), At(2025, 1, 5, 8, 0)},
        {"monthly: a byte of 2 is not a flag", WithByte(Monthly(Wake(8), {15}), 19, 2), At(2024, 3, 16, 9, 0),
         At(2024, 4, 15, 8, 0)},
        {"31st only, on 31 January after its time", Monthly(Wake(8), {31}), At(2024, 1, 31, 9, 0), NoMonthOccurrence},
        {"monthly without a day", Monthly(Wake(8), {}), At(2024, 3, 15, 9, 0), NoMonthOccurrence},
        {"yearly, this year's still ahead", twoYearsBack, At(2024, 3, 5, 7, 0), At(2024, 3, 5, 8, 0)},
        {"yearly, exactly at its time", twoYearsBack, At(2024, 3, 5, 8, 0), At(2024, 3, 5, 8, 0)},
        {"yearly, this year's passed", twoYearsBack, At(2024, 3, 5, 9, 0), At(2025, 3, 5, 8, 0)},
        {"yearly, stored date ahead", Yearly(At(2030, 1, 1), Wake(8)), At(2024, 3, 5), At(2030, 1, 1, 8, 0)},
        {"29 February in a common year", leapDay, At(2023, 1, 10), At(2023, 2, 28, 8, 0)},
        {"29 February in a leap year after common ones", leapDay, At(2024, 1, 10), At(2024, 2, 29, 8, 0)},
        {"29 February passed in a leap year", leapDay, At(2024, 3, 1), At(2025, 2, 28, 8, 0)},
        {"yearly from a date far back", Yearly(At(1, 7, 4), Wake(8)), At(2024, 7, 4, 9, 0), At(2025, 7, 4, 8, 0)},
        {"once, before it", Once(At(2024, 3, 5), Wake(14, 7, 9)), At(2024, 1, 1), At(2024, 3, 5, 14, 7, 9)},
        {"once, even when past", Once(At(2024, 3, 5), Wake(14, 7, 9)), At(2025, 1, 1), At(2024, 3, 5, 14, 7, 9)},
        {"unknown rule", unknown, Tue, NoOccurrence},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ms(c.expected), Ms(NextTime(c.record, c.now)))
            << c.name << ": expected " << Show(c.expected) << ", got " << Show(NextTime(c.record, c.now));
    EXPECT_EQ(L"", FormatListText(unknown, testsupport::EnUsFormats()));
}

TEST(NextTimeRules, DailyEqualityHoldsForEveryMinuteOfADay) {
    // The "strictly later" test must not depend on how the two doubles happen to round.
    for (int minute = 0; minute < 24 * 60; ++minute) {
        const TDateTime now = fw::EncodeDateTime(2024, 3, 5, minute / 60, minute % 60, 0, 0);
        ASSERT_EQ(Ms(now), Ms(NextTime(Daily(minute / 1440.0), now))) << "minute " << minute;
    }
}

TEST(NextTimeRules, CorruptStoredDateMeansNoOccurrence) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double d : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300, -1e300, 2958466.0, -693594.0})
        for (uint8_t period : {uint8_t{0}, uint8_t{4}}) {
            const TRmRecordStruct r = Rule(period, Wake(8), {}, d);
            EXPECT_EQ(NoOccurrence, NextTime(r, Tue)) << d << " period " << int(period);
            EXPECT_EQ(L"", FormatListText(r, testsupport::EnUsFormats())) << d << " period " << int(period);
        }
}

TEST(TimeLeftText, CountsAndUnits) {
    const TDateTime now = At(2024, 1, 10, 8, 0);
    const struct {
        const char* name;
        TDateTime due;
        const wchar_t* text;
    } cases[] = {
        {"one day and one minute", At(2024, 1, 11, 8, 1), L"1 Day  1 Minute  "},
        {"just under a minute", At(2024, 1, 10, 8, 0, 59, 999), L""},
        {"exactly one minute", At(2024, 1, 10, 8, 1), L"1 Minute  "},
        {"past due by two hours five minutes", At(2024, 1, 10, 5, 55), L"2 Hours  5 Minutes  "},
        {"plural of every unit", At(2026, 4, 14, 13, 6), L"2 Years  3 Months  4 Days  5 Hours  6 Minutes  "},
        {"singular year and month", At(2025, 2, 10, 8, 0), L"1 Year  1 Month  "},
        {"a year and a day in the past", At(2023, 1, 9, 8, 0), L"1 Year  1 Day  "},
        {"due now", now, L""},
        {"no occurrence", NoOccurrence, L""},
        {"no monthly occurrence", NoMonthOccurrence, L""},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), L""},
    };
    for (const auto& c : cases) EXPECT_EQ(std::wstring(c.text), FormatTimeLeft(c.due, now)) << c.name;
    EXPECT_EQ(L"", FormatTimeLeft(fw::MaxDateTime, now - 1e7));  // would run off the calendar
    // Due and Now a whole hour apart must never read as 59 minutes, whatever rounding the doubles
    // carry.
    for (int minute = 0; minute < 24 * 60; minute += 7) {
        const TDateTime t = At(2024, 3, 5) + minute / 1440.0;
        ASSERT_EQ(L"1 Hour  ", FormatTimeLeft(t + 1.0 / 24, t)) << "minute " << minute;
    }
}

TEST(ListText, EachRuleInTwoLocales) {
    const struct {
        const char* name;
        TRmRecordStruct record;
        const wchar_t *enUs, *german;
    } cases[] = {
        {"once", Once(At(2024, 3, 5), Wake(14, 7, 9)), L"3/5/2024 2:07:09 PM", L"05.03.2024 14:07:09"},
        {"once at midnight", Once(At(2024, 3, 5), 0), L"3/5/2024", L"05.03.2024"},
        {"daily", Daily(Wake(8)), L"Daily: 8:00:00 AM", L"Daily: 08:00:00"},
        {"weekly", Weekly(Wake(8), {0, 3}), L"Weekly: Sun ,Wed ", L"Weekly: So ,Mi "},
        {"weekly, every day", Weekly(Wake(8), {0, 1, 2, 3, 4, 5, 6}), L"Weekly: Sun ,Mon ,Tue ,Wed ,Thu ,Fri ,Sat ",
         L"Weekly: So ,Mo ,Di ,Mi ,Do ,Fr ,Sa "},
        {"weekly without a day", Weekly(Wake(8), {}), L"Weekly: ", L"Weekly: "},
        {"monthly", Monthly(Wake(8), {1, 15}), L"Monthly: 1 ,15 ", L"Monthly: 1 ,15 "},
        {"yearly", Yearly(At(2024, 3, 5), Wake(14, 7, 9)), L"Yearly: 03/05 14:07:09", L"Yearly: 03.05 14:07:09"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.enUs), FormatListText(c.record, testsupport::EnUsFormats())) << c.name;
        EXPECT_EQ(std::wstring(c.german), FormatListText(c.record, testsupport::GermanFormats())) << c.name;
    }
}
