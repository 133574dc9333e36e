// Date-time values: calendar, rounding, clock, formatting and parsing under fixed settings.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <random>

#include "fixed_formats.h"
#include "fw_datetime.h"
#include "test_support.h"

using namespace fw;
using testsupport::EnUsFormats;
using testsupport::GermanFormats;
using testsupport::Narrow;

namespace {

// Pins the clock for a test and restores the system clock afterwards.
class ClockPin {
public:
    explicit ClockPin(TDateTime t) { old_ = SetClock([t] { return t; }); }
    ~ClockPin() { SetClock(old_); }

private:
    TClockFunc old_;
};

std::wstring Decoded(TDateTime dt) {
    int y, m, d, h, n, s, z;
    DecodeDateTime(dt, y, m, d, h, n, s, z);
    wchar_t buf[64];
    swprintf(buf, 64, L"%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d, h, n, s, z);
    return buf;
}

}  // namespace

TEST(DateCalendar, DayNumbersMatchTheSystemsVariantDates) {
    // OLE automation dates use the same day numbers: an independent oracle for every 97th day
    // between 1900 and 2200.
    for (int day = 1; day < 110000; day += 97) {
        SYSTEMTIME st{};
        ASSERT_TRUE(VariantTimeToSystemTime(static_cast<double>(day), &st));
        int y, m, d;
        DecodeDate(day, y, m, d);
        EXPECT_EQ(y * 10000 + m * 100 + d, st.wYear * 10000 + st.wMonth * 100 + st.wDay) << day;
        EXPECT_EQ(EncodeDate(st.wYear, st.wMonth, st.wDay), day);
        EXPECT_EQ(DayOfWeek(day), st.wDayOfWeek + 1) << day;
    }
    EXPECT_EQ(DayOfTheWeek(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0)), 5);  // Friday, a negative value
    TDateTime out;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, out));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, out));
    EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
}

TEST(DateCalendar, DecodingRoundsToTheMillisecondFirst) {
    const TDateTime t = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
    // A value a hair below the second must not decode as 14:07:08.999.
    EXPECT_EQ(Decoded(t - 1e-10), L"2024-03-05 14:07:09.000");
    // Just below midnight rounds into the next day, never to hour 24.
    EXPECT_EQ(Decoded(EncodeDate(2024, 2, 29) + (MSecsPerDay - 0.4) / MSecsPerDay),
              L"2024-03-01 00:00:00.000");
    EXPECT_EQ(Decoded(EncodeDate(2024, 2, 29) + (MSecsPerDay - 0.6) / MSecsPerDay),
              L"2024-02-29 23:59:59.999");
    // Before 1899-12-30 the fraction still counts forward from midnight.
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
    EXPECT_EQ(Decoded(-1.25), L"1899-12-29 06:00:00.000");
    EXPECT_EQ(TimeOf(-1.25), 0.25);
}

TEST(DateCalendar, StepsClampToTheMonthAndFollowTheTimeLine) {
    struct Case { TDateTime got; const wchar_t* expected; } cases[] = {
        {IncMonth(EncodeDateTime(2024, 1, 31, 8, 30, 0, 0)), L"2024-02-29 08:30:00.000"},
        {IncMonth(EncodeDate(2024, 3, 31), -1), L"2024-02-29 00:00:00.000"},
        {IncMonth(EncodeDate(2024, 1, 15), -13), L"2022-12-15 00:00:00.000"},
        {IncYear(EncodeDateTime(2024, 2, 29, 9, 0, 0, 0)), L"2025-02-28 09:00:00.000"},
        {IncHour(EncodeDateTime(2024, 12, 31, 23, 59, 0, 0), 25), L"2025-01-02 00:59:00.000"},
        {IncSecond(EncodeDateTime(2024, 12, 31, 23, 59, 0, 0), 61), L"2025-01-01 00:00:01.000"},
        // Adding a plain fraction to a negative value would move the clock backwards.
        {IncHour(-1.25), L"1899-12-29 07:00:00.000"},
        {IncHour(EncodeDateTime(1899, 12, 29, 23, 30, 0, 0)), L"1899-12-30 00:30:00.000"},
        {IncMinute(EncodeDateTime(1899, 12, 30, 0, 10, 0, 0), -20), L"1899-12-29 23:50:00.000"},
    };
    for (const auto& c : cases) EXPECT_EQ(Decoded(c.got), c.expected);
    // Many small steps do not drift.
    TDateTime t = EncodeDate(2024, 3, 5);
    for (int i = 0; i < 1440; ++i) t = IncMinute(t);
    EXPECT_EQ(Decoded(t), L"2024-03-06 00:00:00.000");
}

TEST(DateFormat, PatternsAndDateTimeToStrUnderBothSettings) {
    const auto us = EnUsFormats();
    const auto de = GermanFormats();
    const TDateTime t = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
    // The program's patterns: "mm" after hours means minutes, letters in either case.
    EXPECT_EQ(FormatDateTime(L"YYYYMMDDhhmmss", t, de), L"20240305140709");
    EXPECT_EQ(FormatDateTime(L"MM/DD hh:mm:ss", t, de), L"03.05 14:07:09");
    EXPECT_EQ(FormatDateTime(L"dddd, mmmm d yy", t, us), L"Tuesday, March 5 24");
    EXPECT_EQ(FormatDateTime(L"h:nn am/pm 'at' \"hh\" zzz", t, us), L"2:07 PM at hh 000");
    struct Case { TDateTime t; const wchar_t* us; const wchar_t* de; } cases[] = {
        {t, L"3/5/2024 2:07:09 PM", L"05.03.2024 14:07:09"},
        {EncodeDate(2024, 3, 5), L"3/5/2024", L"05.03.2024"},  // midnight: the date alone
        {EncodeDateTime(2024, 3, 5, 0, 0, 0, 1), L"3/5/2024 12:00:00 AM", L"05.03.2024 00:00:00"},
        {EncodeDateTime(2024, 12, 31, 12, 0, 0, 0), L"12/31/2024 12:00:00 PM", L"31.12.2024 12:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateTimeToStr(c.t, us), c.us);
        EXPECT_EQ(DateTimeToStr(c.t, de), c.de);
    }
}

TEST(DateParse, UsAndGermanTables) {
    ClockPin pin(EncodeDateTime(2026, 6, 15, 10, 0, 0, 0));
    const auto us = EnUsFormats(), de = GermanFormats();
    struct Case { const TFormatSettings& fs; const wchar_t* text; const wchar_t* expected; } cases[] = {
        {us, L"  03/05/2024   14:07  ", L"2024-03-05 14:07:00.000"},
        {us, L"3/5/2024 12:00:00 AM", L"2024-03-05 00:00:00.000"},
        {us, L"3/5/2024 2:07:09.5 PM", L"2024-03-05 14:07:09.500"},
        {us, L"3/5/80", L"1980-03-05 00:00:00.000"},   // within 50 years before 2026
        {us, L"3/5/75", L"2075-03-05 00:00:00.000"},   // earlier than 1976: the next century
        {us, L"3/5/0075", L"0075-03-05 00:00:00.000"}, // four digits are taken as written
        {us, L"3/5 8:00", L"2026-03-05 08:00:00.000"}, // the current year
        {us, L"AM 9:15", L"1899-12-30 09:15:00.000"},  // a time alone
        {de, L"5.3.24 9:05", L"2024-03-05 09:05:00.000"},
        {de, L"05.03.", L"2026-03-05 00:00:00.000"},  // day and month with the separator after them
    };
    for (const auto& c : cases) {
        TDateTime v = -1;
        ASSERT_TRUE(TryStrToDateTime(c.text, v, c.fs)) << Narrow(c.text);
        EXPECT_EQ(Decoded(v), c.expected) << Narrow(c.text);
    }
    const std::pair<const TFormatSettings&, const wchar_t*> garbage[] = {
        {us, L""}, {us, L"abc"}, {us, L"3/5/2024 x"}, {us, L"2/29/2023"}, {us, L"3/5/2024 13:00 PM"},
        {us, L"3//2024"}, {us, L"3/5/2024 2:07:60"}, {us, L"3/5/2024 0:30 AM"}, {us, L"3/5/2024 14"},
        {us, L"3/5/12345"}, {de, L"3/5/2024"}, {de, L"05.13.2024"}, {de, L"05.03.2024 24:00:00"}};
    for (const auto& [fs, g] : garbage) {
        TDateTime v = 123;
        EXPECT_FALSE(TryStrToDateTime(g, v, fs)) << Narrow(g);
        EXPECT_EQ(v, 123) << Narrow(g);
    }
    TDateTime t;
    EXPECT_FALSE(TryStrToTime(L"05.03.2024", t, de));
}

namespace {

// Writes random moments with the settings and reads each text back: the same second, the same
// day, the same time of day. Years stay inside the two-digit window of a pinned clock (2026).
void ExpectRoundTrips(const TFormatSettings& fs, const std::string& what) {
    ClockPin pin(EncodeDateTime(2026, 6, 15, 10, 0, 0, 0));
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> day(static_cast<int>(EncodeDate(1977, 1, 1)),
                                           static_cast<int>(EncodeDate(2075, 12, 31)));
    std::uniform_int_distribution<int> sec(0, SecsPerDay - 1);
    for (int i = 0; i < 400; ++i) {
        const TDateTime v = day(rng) + (i % 10 == 0 ? 0 : sec(rng)) / static_cast<double>(SecsPerDay);
        const std::wstring text = DateTimeToStr(v, fs);
        TDateTime back = -1;
        ASSERT_TRUE(TryStrToDateTime(text, back, fs)) << what << ": " << Narrow(text);
        ASSERT_EQ(Decoded(back), Decoded(v)) << what << ": " << Narrow(text);
        const std::wstring date = DateToStr(v, fs);
        ASSERT_TRUE(TryStrToDate(date, back, fs)) << what << ": " << Narrow(date);
        ASSERT_EQ(back, DateOf(v)) << what << ": " << Narrow(date);
        const std::wstring time = TimeToStr(v, fs);
        ASSERT_TRUE(TryStrToTime(time, back, fs)) << what << ": " << Narrow(time);
        ASSERT_EQ(Decoded(back), Decoded(TimeOf(v))) << what << ": " << Narrow(time);
    }
}

}  // namespace

// Whatever a locale or a user's short date format writes reads back. Wine's locales, one for each
// shape: 12-hour with AM/PM after (en-US, Greek, Arabic with direction marks around "/") or before
// the time (Korean, Taiwanese), a trailing separator (Hungarian, Latvian), spaces after separators
// (Czech), literal text (Bulgarian), the time separator equal to the date one (Finnish).
TEST(DateParse, WrittenTextsReadBackUnderEveryShortDateFormat) {
    std::vector<std::pair<TFormatSettings, std::string>> formats = {{EnUsFormats(), "fixed en-US"},
                                                                    {GermanFormats(), "fixed German"}};
    for (LANGID lang : {0x0409, 0x0407, 0x0408, 0x0401, 0x0412, 0x0404, 0x040E, 0x0426, 0x0405, 0x0402, 0x040B}) {
        const TFormatSettings fs = GetLocaleFormatSettings(MAKELCID(lang, SORT_DEFAULT));
        char what[80];
        snprintf(what, sizeof what, "%04X %s %s", lang, Narrow(fs.ShortDateFormat).c_str(),
                 Narrow(fs.LongTimeFormat).c_str());
        formats.emplace_back(fs, what);
    }
    // Formats no Wine locale has: names of months and days, literal text, no separators.
    struct Case { const wchar_t *shortDate, *longTime, *am, *pm; bool german; } cases[] = {
        {L"dd-MMM-yy", L"h:mm:ss tt", L"AM", L"PM", false},
        {L"dddd, MMMM d, yyyy", L"h:mm:ss tt", L"AM", L"PM", false},
        {L"yyyy'\u5e74'M'\u6708'd'\u65e5'", L"tt h:mm:ss", L"\u5348\u524d", L"\u5348\u5f8c", false},
        {L"dd. MMM yyyy", L"HH:mm:ss", L"", L"", true},
        {L"ddMMyy", L"HH:mm:ss", L"", L"", false},
    };
    for (const auto& c : cases) {
        TFormatSettings fs = c.german ? GermanFormats() : EnUsFormats();
        fs.ShortDateFormat = c.shortDate;
        fs.LongTimeFormat = c.longTime;
        fs.TimeAMString = c.am;
        fs.TimePMString = c.pm;
        formats.emplace_back(fs, Narrow(c.shortDate));
    }
    for (const auto& [fs, what] : formats) ExpectRoundTrips(fs, what);
    // Arabic: "d\u200F/M\u200F/yyyy" with the separator "\u200F/".
    const TFormatSettings ar = GetLocaleFormatSettings(MAKELCID(0x0401, SORT_DEFAULT));
    EXPECT_EQ(ar.DateSeparator, L'/');
    EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5), ar), L"5\u200F/3\u200F/2024");
}

TEST(DateParse, NamesAndLiteralsOfTheShortFormatAreRead) {
    ClockPin pin(EncodeDateTime(2026, 6, 15, 10, 0, 0, 0));
    TFormatSettings fs = EnUsFormats();
    fs.ShortDateFormat = L"dd-MMM-yy";
    fs.DateSeparator = L'-';
    TDateTime v = 0;
    ASSERT_TRUE(TryStrToDateTime(L" 05-MARCH-24 ", v, fs));  // the long name and any case
    EXPECT_EQ(Decoded(v), L"2024-03-05 00:00:00.000");
    ASSERT_TRUE(TryStrToDate(L"05-03-24", v, fs));  // numbers in the format's order still do
    EXPECT_EQ(Decoded(v), L"2024-03-05 00:00:00.000");
    EXPECT_FALSE(TryStrToDate(L"05-Mrz-24", v, fs));

    fs.ShortDateFormat = L"ddd M/d/yyyy";  // a day name does not make the order day-first
    fs.DateSeparator = L'/';
    ASSERT_TRUE(TryStrToDate(L"Tue 3/5/2024", v, fs));
    EXPECT_EQ(v, EncodeDate(2024, 3, 5));
    EXPECT_FALSE(TryStrToDate(L"Tux 3/5/2024", v, fs));

    // Numbers without separators are split only by fixed widths; single letters cannot be split,
    // and the text fails instead of giving a wrong date. So does a format without a day.
    fs.ShortDateFormat = L"yyyyMMdd";
    ASSERT_TRUE(TryStrToDateTime(L"20240305 14:07:09", v, fs));
    EXPECT_EQ(Decoded(v), L"2024-03-05 14:07:09.000");
    EXPECT_FALSE(TryStrToDate(L"202403", v, fs));
    for (const wchar_t* format : {L"yyyyMd", L"MM/yyyy"}) {
        fs.ShortDateFormat = format;
        v = 123;
        EXPECT_FALSE(TryStrToDate(DateToStr(EncodeDate(2024, 1, 12), fs), v, fs)) << Narrow(format);
        EXPECT_EQ(v, 123);
    }
}

// A user who cleared the AM/PM strings of a 12-hour locale (or made them equal): afternoon times
// would read back as morning ones, so the hours are written 24-hour instead.
TEST(DateLocale, TwelveHourClockWithoutAmPmStringsIsWrittenAs24Hours) {
    const LCID us = MAKELCID(0x0409, SORT_DEFAULT);
    auto withAmPm = [us](std::wstring am, std::wstring pm) {
        return GetLocaleFormatSettings([=](LCTYPE type) -> std::wstring {
            if (type == LOCALE_S1159) return am;
            if (type == LOCALE_S2359) return pm;
            wchar_t buf[256];
            const int n = GetLocaleInfoW(us, type, buf, 256);
            return n <= 1 ? std::wstring() : std::wstring(buf, static_cast<size_t>(n - 1));
        });
    };
    const TDateTime t = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
    EXPECT_EQ(withAmPm(L"AM", L"PM").LongTimeFormat, L"h:mm:ss tt");
    for (const auto& fs : {withAmPm(L"", L""), withAmPm(L"am", L""), withAmPm(L"x", L"X")}) {
        EXPECT_EQ(fs.ShortTimeFormat, L"H:mm");
        EXPECT_EQ(TimeToStr(t, fs), L"14:07:09");
        TDateTime back;
        ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(t, fs), back, fs));
        EXPECT_EQ(back, t);
    }
}
