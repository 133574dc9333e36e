#include "fw_datetime.h"

#include <cmath>

namespace fw {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date, and back (H. Hinnant's civil algorithms).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(y + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

constexpr int64_t kDay0 = 25569;  // 1970-01-01 - 1899-12-30

// Rounds to the millisecond, then splits into the day number and the milliseconds of the day.
void SplitMs(TDateTime dt, int64_t& dayNo, int64_t& timeMs) {
    const int64_t ms = static_cast<int64_t>(std::nearbyint(static_cast<long double>(dt) * MSecsPerDay));
    dayNo = ms / MSecsPerDay;
    timeMs = ms - dayNo * MSecsPerDay;
    if (timeMs < 0) timeMs = -timeMs;
}

TDateTime Combine(int64_t dayNo, int64_t timeMs) {
    const double frac = static_cast<double>(timeMs) / static_cast<double>(MSecsPerDay);
    return dayNo >= 0 ? static_cast<double>(dayNo) + frac : static_cast<double>(dayNo) - frac;
}

// Position on a continuous millisecond time line.
int64_t ToLinearMs(TDateTime dt) {
    int64_t d, t;
    SplitMs(dt, d, t);
    return d * MSecsPerDay + t;
}

TDateTime FromLinearMs(int64_t linear) {
    int64_t d = linear / MSecsPerDay;
    int64_t t = linear - d * MSecsPerDay;
    if (t < 0) {
        --d;
        t += MSecsPerDay;
    }
    return Combine(d, t);
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int DaysInMonth(TDateTime dt) {
    int y, m, d;
    DecodeDate(dt, y, m, d);
    return DaysInAMonth(y, m);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month)) return false;
    result = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kDay0);
    return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999) return false;
    const int64_t ms = ((static_cast<int64_t>(hour) * 60 + min) * 60 + sec) * 1000 + msec;
    result = static_cast<double>(ms) / static_cast<double>(MSecsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError(L"Invalid argument to date encode");
    return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime r;
    if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError(L"Invalid argument to time encode");
    return r;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec) {
    const TDateTime d = EncodeDate(year, month, day);
    const TDateTime t = EncodeTime(hour, min, sec, msec);
    return d >= 0 ? d + t : d - t;
}

void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min, int& sec, int& msec) {
    int64_t d, t;
    SplitMs(dt, d, t);
    CivilFromDays(d - kDay0, year, month, day);
    msec = static_cast<int>(t % 1000);
    t /= 1000;
    sec = static_cast<int>(t % 60);
    t /= 60;
    min = static_cast<int>(t % 60);
    hour = static_cast<int>(t / 60);
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    int h, n, s, z;
    DecodeDateTime(dt, year, month, day, h, n, s, z);
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
    int y, m, d;
    DecodeDateTime(dt, y, m, d, hour, min, sec, msec);
}

TDateTime DateOf(TDateTime dt) {
    int64_t d, t;
    SplitMs(dt, d, t);
    return static_cast<double>(d);
}

TDateTime TimeOf(TDateTime dt) {
    int64_t d, t;
    SplitMs(dt, d, t);
    return static_cast<double>(t) / static_cast<double>(MSecsPerDay);
}

int YearOf(TDateTime dt) { int y, m, d; DecodeDate(dt, y, m, d); return y; }
int MonthOf(TDateTime dt) { int y, m, d; DecodeDate(dt, y, m, d); return m; }
int DayOf(TDateTime dt) { int y, m, d; DecodeDate(dt, y, m, d); return d; }
int SecondOf(TDateTime dt) { int h, n, s, z; DecodeTime(dt, h, n, s, z); return s; }

int DayOfTheWeek(TDateTime dt) {
    int64_t d, t;
    SplitMs(dt, d, t);
    // Day 0 (30 December 1899) was a Saturday.
    const int64_t r = ((d + 5) % 7 + 7) % 7;  // 0 = Monday
    return static_cast<int>(r) + 1;
}

int DayOfWeek(TDateTime dt) { return DayOfTheWeek(dt) % 7 + 1; }

TDateTime IncMonth(TDateTime dt, int months) {
    int y, m, d, h, n, s, z;
    DecodeDateTime(dt, y, m, d, h, n, s, z);
    int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + months;
    int64_t ny = total >= 0 ? total / 12 : (total - 11) / 12;
    int nm = static_cast<int>(total - ny * 12) + 1;
    if (ny < 1 || ny > 9999) throw EConvertError(L"Invalid argument to date encode");
    const int last = DaysInAMonth(static_cast<int>(ny), nm);
    if (d > last) d = last;
    return EncodeDateTime(static_cast<int>(ny), nm, d, h, n, s, z);
}

TDateTime IncYear(TDateTime dt, int years) { return IncMonth(dt, years * 12); }

TDateTime IncMilliSecond(TDateTime dt, int64_t msecs) { return FromLinearMs(ToLinearMs(dt) + msecs); }
TDateTime IncSecond(TDateTime dt, int64_t seconds) { return IncMilliSecond(dt, seconds * 1000); }
TDateTime IncMinute(TDateTime dt, int64_t minutes) { return IncMilliSecond(dt, minutes * 60000); }
TDateTime IncHour(TDateTime dt, int64_t hours) { return IncMilliSecond(dt, hours * 3600000); }
TDateTime IncDay(TDateTime dt, int64_t days) { return IncMilliSecond(dt, days * MSecsPerDay); }

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
    return EncodeDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

SYSTEMTIME DateTimeToSystemTime(TDateTime dt) {
    int y, m, d, h, n, s, z;
    DecodeDateTime(dt, y, m, d, h, n, s, z);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(dt) - 1);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(n);
    st.wSecond = static_cast<WORD>(s);
    st.wMilliseconds = static_cast<WORD>(z);
    return st;
}

// --- clock -----------------------------------------------------------------------------------

namespace {

SRWLOCK g_clockLock = SRWLOCK_INIT;
TClockFunc g_clock;

}  // namespace

TClockFunc SetClock(TClockFunc clock) {
    AcquireSRWLockExclusive(&g_clockLock);
    TClockFunc old = std::move(g_clock);
    g_clock = std::move(clock);
    ReleaseSRWLockExclusive(&g_clockLock);
    return old;
}

TDateTime Now() {
    AcquireSRWLockShared(&g_clockLock);
    TClockFunc c = g_clock;
    ReleaseSRWLockShared(&g_clockLock);
    if (c) return c();
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTimeToDateTime(st);
}

TDateTime Date() { return DateOf(Now()); }
TDateTime Time() { return TimeOf(Now()); }

// --- format settings -------------------------------------------------------------------------

namespace {

// The separator character of a locale string. Right-to-left locales put direction marks around
// their separators ("\u200F/"); taken alone, a mark would replace every "/" of a pattern by an
// invisible character.
wchar_t SeparatorChar(const std::wstring& s, wchar_t fallback) {
    for (wchar_t c : s) {
        const bool mark = c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E) ||
                          (c >= 0x2066 && c <= 0x2069);
        if (!mark) return c;
    }
    return fallback;
}

}  // namespace

TFormatSettings GetLocaleFormatSettings(LCID lcid) {
    return GetLocaleFormatSettings([lcid](LCTYPE type) {
        wchar_t buf[256];
        const int n = GetLocaleInfoW(lcid, type, buf, 256);
        return n <= 1 ? std::wstring() : std::wstring(buf, static_cast<size_t>(n - 1));
    });
}

TFormatSettings GetLocaleFormatSettings(const TLocaleInfoFunc& info) {
    auto LocaleInfo = [&info](LCTYPE type, const wchar_t* fallback) {
        std::wstring v = info(type);
        return v.empty() ? std::wstring(fallback) : v;
    };
    auto LocaleInt = [&](LCTYPE type, int fallback) { return StrToIntDef(info(type), fallback); };
    TFormatSettings fs;
    fs.ShortDateFormat = LocaleInfo(LOCALE_SSHORTDATE, L"M/d/yyyy");
    fs.LongDateFormat = LocaleInfo(LOCALE_SLONGDATE, L"dddd, MMMM d, yyyy");
    fs.DateSeparator = SeparatorChar(LocaleInfo(LOCALE_SDATE, L"/"), L'/');
    fs.TimeSeparator = SeparatorChar(LocaleInfo(LOCALE_STIME, L":"), L':');
    fs.DecimalSeparator = LocaleInfo(LOCALE_SDECIMAL, L".")[0];
    fs.TimeAMString = LocaleInfo(LOCALE_S1159, L"");
    fs.TimePMString = LocaleInfo(LOCALE_S2359, L"");

    // The long time format always shows seconds, whatever the locale's own pattern leaves out.
    // A 12-hour clock needs two different AM/PM strings, or an afternoon time would read back as
    // the morning one: without them the hours are written 24-hour.
    const bool h24 = LocaleInt(LOCALE_ITIME, 0) == 1 || fs.TimeAMString.empty() || fs.TimePMString.empty() ||
                     AnsiSameText(fs.TimeAMString, fs.TimePMString);
    const bool leadingZero = LocaleInt(LOCALE_ITLZERO, 0) == 1;
    const bool markFirst = LocaleInt(LOCALE_ITIMEMARKPOSN, 0) == 1;
    const std::wstring hour = h24 ? (leadingZero ? L"HH" : L"H") : (leadingZero ? L"hh" : L"h");
    const std::wstring sep(1, fs.TimeSeparator);
    auto withMark = [&](const std::wstring& body) {
        if (h24) return body;
        return markFirst ? L"tt " + body : body + L" tt";
    };
    fs.LongTimeFormat = withMark(hour + sep + L"mm" + sep + L"ss");
    fs.ShortTimeFormat = withMark(hour + sep + L"mm");

    // LOCALE_S*DAYNAME1 is Monday; the settings keep Sunday first.
    for (int i = 0; i < 7; ++i) {
        const int src = (i + 6) % 7;  // Sunday -> 6 (DAYNAME7)
        fs.ShortDayNames[i] = LocaleInfo(LOCALE_SABBREVDAYNAME1 + src, L"");
        fs.LongDayNames[i] = LocaleInfo(LOCALE_SDAYNAME1 + src, L"");
    }
    for (int i = 0; i < 12; ++i) {
        fs.ShortMonthNames[i] = LocaleInfo(LOCALE_SABBREVMONTHNAME1 + i, L"");
        fs.LongMonthNames[i] = LocaleInfo(LOCALE_SMONTHNAME1 + i, L"");
    }
    return fs;
}

const TFormatSettings& DefaultFormatSettings() {
    static const TFormatSettings fs = GetLocaleFormatSettings(LOCALE_USER_DEFAULT);
    return fs;
}

// --- formatting ------------------------------------------------------------------------------

namespace {

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; }

std::wstring Pad(int v, int width) {
    std::wstring s = std::to_wstring(v);
    while (static_cast<int>(s.size()) < width) s.insert(s.begin(), L'0');
    return s;
}

bool MatchAt(const std::wstring& f, size_t i, const wchar_t* word) {
    for (size_t k = 0; word[k]; ++k)
        if (i + k >= f.size() || Lower(f[i + k]) != word[k]) return false;
    return true;
}

// Whether a pattern shows AM/PM (which makes its hours 12-hour ones).
bool HasAmPm(const std::wstring& f) {
    for (size_t i = 0; i < f.size(); ++i) {
        const wchar_t c = f[i];
        if (c == L'"' || c == L'\'') {
            size_t e = f.find(c, i + 1);
            if (e == std::wstring::npos) return false;
            i = e;
            continue;
        }
        if (Lower(c) == L't' || MatchAt(f, i, L"am/pm") || MatchAt(f, i, L"a/p") || MatchAt(f, i, L"ampm")) return true;
    }
    return false;
}

struct TDateTimeParts {
    int Year, Month, Day, Hour, Minute, Second, MSec;
};

// A number run: zero-padded to `width` digits when the run is that long, else as it is.
std::wstring Number(int v, size_t run, size_t width) {
    return run >= width ? Pad(v, static_cast<int>(width)) : std::to_wstring(v);
}

void AppendFormat(std::wstring& out, const std::wstring& f, TDateTime dt, const TFormatSettings& fs, int depth);

// A "y", "m" or "d" run: year; month number or name (minutes right after an hour); day, day name,
// or the locale's whole short or long date pattern.
void AppendDatePart(std::wstring& out, wchar_t token, size_t run, bool afterHour, const TDateTimeParts& p,
                    TDateTime dt, const TFormatSettings& fs, int depth) {
    switch (token) {
        case L'y':
            out += run <= 2 ? Pad(p.Year % 100, 2) : Pad(p.Year, 4);
            return;
        case L'm':
            if (afterHour && run <= 2)
                out += Number(p.Minute, run, 2);
            else if (run <= 2)
                out += Number(p.Month, run, 2);
            else
                out += run == 3 ? fs.ShortMonthNames[p.Month - 1] : fs.LongMonthNames[p.Month - 1];
            return;
        default:
            if (run <= 2) {
                out += Number(p.Day, run, 2);
            } else if (run <= 4) {
                const int wd = DayOfWeek(dt) - 1;
                out += run == 3 ? fs.ShortDayNames[wd] : fs.LongDayNames[wd];
            } else if (depth < 2) {
                AppendFormat(out, run == 5 ? fs.ShortDateFormat : fs.LongDateFormat, dt, fs, depth + 1);
            }
            return;
    }
}

// An "h", "n", "s" or "z" run; hours are 12-hour ones when the pattern shows AM/PM.
void AppendTimePart(std::wstring& out, wchar_t token, size_t run, bool ampm, const TDateTimeParts& p) {
    switch (token) {
        case L'h': {
            int hh = p.Hour;
            if (ampm) {
                hh = p.Hour % 12;
                if (hh == 0) hh = 12;
            }
            out += Number(hh, run, 2);
            return;
        }
        case L'n': out += Number(p.Minute, run, 2); return;
        case L's': out += Number(p.Second, run, 2); return;
        default: out += Number(p.MSec, run, 3); return;
    }
}

// An AM/PM marker at f[i] (a "t" run, "am/pm", "a/p", "ampm"): the pattern characters it took, 0
// for an "a" that starts none of them.
size_t AppendAmPm(std::wstring& out, const std::wstring& f, size_t i, size_t run, const TDateTimeParts& p,
                  const std::wstring& ampmText) {
    if (Lower(f[i]) == L't') {
        if (run >= 2)
            out += ampmText;
        else if (!ampmText.empty())
            out += ampmText[0];
        return run;
    }
    if (MatchAt(f, i, L"am/pm")) {
        out += ampmText;
        return 5;
    }
    if (MatchAt(f, i, L"a/p")) {
        const bool upper = f[i] == L'A';
        out += p.Hour < 12 ? (upper ? L'A' : L'a') : (upper ? L'P' : L'p');
        return 3;
    }
    if (MatchAt(f, i, L"ampm")) {
        out += ampmText;
        return 4;
    }
    return 0;
}

// "c": the short date pattern, and the long time pattern unless the time is midnight.
void AppendDateAndTime(std::wstring& out, const TDateTimeParts& p, TDateTime dt, const TFormatSettings& fs, int depth) {
    AppendFormat(out, fs.ShortDateFormat, dt, fs, depth + 1);
    if (p.Hour || p.Minute || p.Second || p.MSec) {
        out += L' ';
        AppendFormat(out, fs.LongTimeFormat, dt, fs, depth + 1);
    }
}

// Text between the quote at f[i] and its partner (or the end) stands as it is; returns where the
// pattern goes on.
size_t AppendQuoted(std::wstring& out, const std::wstring& f, size_t i) {
    size_t e = f.find(f[i], i + 1);
    if (e == std::wstring::npos) e = f.size();
    out.append(f, i + 1, e - i - 1);
    return e + 1;
}

void AppendFormat(std::wstring& out, const std::wstring& f, TDateTime dt, const TFormatSettings& fs, int depth) {
    TDateTimeParts p;
    DecodeDateTime(dt, p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.MSec);
    const bool ampm = HasAmPm(f);
    const std::wstring& ampmText = p.Hour < 12 ? fs.TimeAMString : fs.TimePMString;
    bool afterHour = false;
    size_t i = 0;
    while (i < f.size()) {
        const wchar_t c = f[i];
        const wchar_t lc = Lower(c);
        size_t run = 1;
        while (i + run < f.size() && Lower(f[i + run]) == lc) ++run;
        switch (lc) {
            case L'y': case L'm': case L'd':
                AppendDatePart(out, lc, run, afterHour, p, dt, fs, depth);
                afterHour = false;
                i += run;
                break;
            case L'h': case L'n': case L's': case L'z':
                AppendTimePart(out, lc, run, ampm, p);
                afterHour = lc == L'h';
                i += run;
                break;
            case L't': case L'a':
                if (const size_t used = AppendAmPm(out, f, i, run, p, ampmText)) {
                    afterHour = false;
                    i += used;
                } else {
                    out += c;
                    ++i;
                }
                break;
            case L'c':
                if (depth < 2) AppendDateAndTime(out, p, dt, fs, depth);
                afterHour = false;
                ++i;
                break;
            case L'/':
                out += fs.DateSeparator;
                ++i;
                break;
            case L':':
                out += fs.TimeSeparator;
                ++i;
                break;
            case L'"':
            case L'\'':
                i = AppendQuoted(out, f, i);
                break;
            default:
                out += c;
                ++i;
                break;
        }
    }
}

bool IsMidnight(TDateTime dt) {
    int64_t d, t;
    SplitMs(dt, d, t);
    return t == 0;
}

}  // namespace

std::wstring FormatDateTime(const std::wstring& format, TDateTime dt, const TFormatSettings& fs) {
    std::wstring out;
    AppendFormat(out, format, dt, fs, 0);
    return out;
}

std::wstring DateToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime(fs.ShortDateFormat, dt, fs); }

std::wstring TimeToStr(TDateTime dt, const TFormatSettings& fs) { return FormatDateTime(fs.LongTimeFormat, dt, fs); }

std::wstring DateTimeToStr(TDateTime dt, const TFormatSettings& fs) {
    if (IsMidnight(dt)) return DateToStr(dt, fs);
    return DateToStr(dt, fs) + L" " + TimeToStr(dt, fs);
}

// --- parsing ---------------------------------------------------------------------------------

namespace {

struct Scanner {
    const std::wstring& s;
    size_t pos = 0;

    bool AtEnd() const { return pos >= s.size(); }
    void SkipBlanks() {
        while (pos < s.size() && (s[pos] == L' ' || s[pos] == L'\t')) ++pos;
    }
    // Digits at the position (blanks before them skipped); at most `maxDigits` (at most 9) are
    // taken, and a digit after those fails unless the number has a fixed width (`fixed`).
    bool Number(int& value, int& digits, size_t maxDigits = 9, bool fixed = false) {
        SkipBlanks();
        size_t start = pos;
        int64_t v = 0;
        while (pos < s.size() && s[pos] >= L'0' && s[pos] <= L'9' && pos - start < maxDigits) {
            v = v * 10 + (s[pos] - L'0');
            ++pos;
        }
        digits = static_cast<int>(pos - start);
        if (digits == 0 || (!fixed && pos < s.size() && s[pos] >= L'0' && s[pos] <= L'9')) return false;
        if (fixed && static_cast<size_t>(digits) != maxDigits) return false;
        value = static_cast<int>(v);
        return true;
    }
    // The character, with blanks before it allowed (unless the character is itself a blank).
    bool Char(wchar_t c) {
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        size_t save = pos;
        SkipBlanks();
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        pos = save;
        return false;
    }
    bool Text(const std::wstring& t) {
        if (t.empty() || pos + t.size() > s.size()) return false;
        if (!AnsiSameText(s.substr(pos, t.size()), t)) return false;
        pos += t.size();
        return true;
    }
};

// 1 = AM, 2 = PM, 0 = none. The locale's strings first, then the English ones.
int ScanAmPm(Scanner& sc, const TFormatSettings& fs) {
    size_t save = sc.pos;
    sc.SkipBlanks();
    // Longer strings first so that one string being the prefix of the other does not matter.
    const std::wstring* cands[4] = {&fs.TimeAMString, &fs.TimePMString, nullptr, nullptr};
    static const std::wstring kAm = L"AM", kPm = L"PM";
    cands[2] = &kAm;
    cands[3] = &kPm;
    int best = 0;
    size_t bestLen = 0;
    for (int k = 0; k < 4; ++k) {
        const std::wstring& t = *cands[k];
        if (t.empty() || t.size() <= bestLen) continue;
        size_t p = sc.pos;
        if (sc.Text(t)) {
            best = (k % 2 == 0) ? 1 : 2;
            bestLen = t.size();
        }
        sc.pos = p;
    }
    if (best) {
        sc.pos += bestLen;
        return best;
    }
    sc.pos = save;
    return 0;
}

// The order of day, month and year in the short date format: "MDY", "DMY", "YMD" ... Day names
// ("ddd", "dddd") are no day number and do not count.
std::wstring DateOrder(const TFormatSettings& fs) {
    std::wstring order;
    const std::wstring& f = fs.ShortDateFormat;
    for (size_t i = 0; i < f.size() && order.size() < 3;) {
        const wchar_t c = f[i];
        if (c == L'"' || c == L'\'') {
            const size_t e = f.find(c, i + 1);
            if (e == std::wstring::npos) break;
            i = e + 1;
            continue;
        }
        const wchar_t lc = Lower(c);
        size_t run = 1;
        while (i + run < f.size() && Lower(f[i + run]) == lc) ++run;
        const wchar_t k = lc == L'd' && run <= 2 ? L'D' : lc == L'm' ? L'M' : lc == L'y' ? L'Y' : 0;
        if (k && order.find(k) == std::wstring::npos) order += k;
        i += run;
    }
    if (order.size() != 3) return L"MDY";
    return order;
}

// Places a year given with one or two digits by the century window.
int WindowYear(int y, int digits, const TFormatSettings& fs) {
    if (digits > 2 || y > 99) return y;
    const int window = fs.TwoDigitYearCenturyWindow;
    const int base = YearOf(Now()) - window;
    y += base / 100 * 100;
    if (window > 0 && y < base) y += 100;
    return y;
}

// The longest of the names that stands at the scanner's position (ignoring case); its index, or
// -1. Blanks before it are skipped.
int ScanName(Scanner& sc, const std::wstring* a, const std::wstring* b, int count) {
    const size_t save = sc.pos;
    sc.SkipBlanks();
    int best = -1;
    size_t bestLen = 0;
    for (const std::wstring* list : {a, b}) {
        for (int k = 0; k < count; ++k) {
            const std::wstring& t = list[k];
            if (t.size() <= bestLen) continue;
            const size_t p = sc.pos;
            if (sc.Text(t)) {
                best = k;
                bestLen = t.size();
            }
            sc.pos = p;
        }
    }
    if (best < 0) {
        sc.pos = save;
        return -1;
    }
    sc.pos += bestLen;
    return best;
}

// Literal text of a pattern: each character in turn, blanks optional on both sides.
bool ScanLiteral(Scanner& sc, const std::wstring& text) {
    for (wchar_t c : text) {
        if (c == L' ' || c == L'\t') {
            sc.SkipBlanks();
            continue;
        }
        if (!sc.Char(c)) return false;
    }
    return true;
}

// A date read by walking the short date format itself, the exact inverse of what FormatDateTime
// writes with it: month names ("MMM", "MMMM"), day names (matched, then ignored), literal text in
// quotes or as other characters ("yyyy. MM. dd.", "d.M.yyyy 'r.'"), separators other than the
// date separator. A number stands wherever a month name may.
bool ScanDatePattern(Scanner& sc, const TFormatSettings& fs, TDateTime& result) {
    const std::wstring& f = fs.ShortDateFormat;
    int y = -1, m = -1, d = -1, ylen = 4, len = 0;
    size_t i = 0;
    while (i < f.size()) {
        const wchar_t c = f[i];
        if (c == L'"' || c == L'\'') {
            size_t e = f.find(c, i + 1);
            if (e == std::wstring::npos) e = f.size();
            if (!ScanLiteral(sc, f.substr(i + 1, e - i - 1))) return false;
            i = e + 1;
            continue;
        }
        const wchar_t lc = Lower(c);
        size_t run = 1;
        while (i + run < f.size() && Lower(f[i + run]) == lc) ++run;
        // Numbers written without a separator between them ("yyyyMMdd") are told apart by their
        // fixed widths: "yy", "MM", "dd" two digits, "yyyy" four. Other widths cannot be split.
        const wchar_t next = i + run < f.size() ? Lower(f[i + run]) : 0;
        size_t nextRun = 0;
        while (i + run + nextRun < f.size() && Lower(f[i + run + nextRun]) == next) ++nextRun;
        const bool nextIsNumber = next == L'y' || ((next == L'd' || next == L'm') && nextRun <= 2);
        const size_t width = nextIsNumber && (run == 2 || (lc == L'y' && run == 4)) ? run : 0;
        auto number = [&](int& v, int& digits) {
            return width ? sc.Number(v, digits, width, true) : sc.Number(v, digits);
        };
        switch (lc) {
            case L'd':
                if (run <= 2) {
                    if (d >= 0 || !number(d, len)) return false;
                } else if (run <= 4) {
                    if (ScanName(sc, fs.LongDayNames, fs.ShortDayNames, 7) < 0) return false;
                } else {
                    return false;
                }
                break;
            case L'm':
                if (m >= 0) return false;
                if (run >= 3) {
                    const int k = ScanName(sc, fs.LongMonthNames, fs.ShortMonthNames, 12);
                    if (k >= 0) {
                        m = k + 1;
                        break;
                    }
                }
                if (!number(m, len)) return false;
                break;
            case L'y':
                if (y >= 0 || !number(y, ylen)) return false;
                break;
            case L'/':
                if (!sc.Char(fs.DateSeparator)) return false;
                break;
            // Tokens of times and whole formats have no place in a date.
            case L'h': case L'n': case L's': case L'z': case L't': case L'a': case L'c':
                return false;
            default:
                if (!ScanLiteral(sc, f.substr(i, run))) return false;
                break;
        }
        i += run;
    }
    if (m < 0 || d < 0) return false;
    y = y < 0 ? YearOf(Now()) : WindowYear(y, ylen, fs);
    return TryEncodeDate(y, m, d, result);
}

bool ScanDate(Scanner& sc, const TFormatSettings& fs, TDateTime& result) {
    int n[3], len[3];
    if (!sc.Number(n[0], len[0])) return false;
    if (!sc.Char(fs.DateSeparator)) return false;
    if (!sc.Number(n[1], len[1])) return false;
    int count = 2;
    if (sc.Char(fs.DateSeparator)) {
        // A separator after day and month without a year ("05.03.") is allowed.
        size_t save = sc.pos;
        if (sc.Number(n[2], len[2]))
            count = 3;
        else
            sc.pos = save;
    }
    const std::wstring order = DateOrder(fs);
    int y = 0, m = 0, d = 0, ylen = 4;
    if (count == 3) {
        for (int k = 0; k < 3; ++k) {
            if (order[k] == L'Y') { y = n[k]; ylen = len[k]; }
            else if (order[k] == L'M') m = n[k];
            else d = n[k];
        }
    } else {
        // Month and day in the format's order; the year is the current one.
        int k = 0;
        for (wchar_t c : order) {
            if (c == L'Y') continue;
            if (c == L'M') m = n[k++];
            else d = n[k++];
        }
        y = YearOf(Now());
    }
    if (count == 3) y = WindowYear(y, ylen, fs);
    return TryEncodeDate(y, m, d, result);
}

bool ScanTime(Scanner& sc, const TFormatSettings& fs, TDateTime& result) {
    int ampm = ScanAmPm(sc, fs);
    int h, m, s = 0, ms = 0, len;
    if (!sc.Number(h, len)) return false;
    if (!sc.Char(fs.TimeSeparator)) return false;
    if (!sc.Number(m, len)) return false;
    if (sc.Char(fs.TimeSeparator)) {
        if (!sc.Number(s, len)) return false;
        if (sc.pos < sc.s.size() && (sc.s[sc.pos] == L'.' || sc.s[sc.pos] == fs.DecimalSeparator)) {
            ++sc.pos;
            // Fraction of a second; digits beyond the millisecond are cut.
            size_t start = sc.pos;
            int v = 0, digits = 0;
            while (sc.pos < sc.s.size() && sc.s[sc.pos] >= L'0' && sc.s[sc.pos] <= L'9') {
                if (digits < 3) {
                    v = v * 10 + (sc.s[sc.pos] - L'0');
                    ++digits;
                }
                ++sc.pos;
            }
            if (sc.pos == start) return false;
            while (digits < 3) {
                v *= 10;
                ++digits;
            }
            ms = v;
        }
    }
    if (ampm == 0) ampm = ScanAmPm(sc, fs);
    if (ampm) {
        if (h < 1 || h > 12) return false;
        if (h == 12) h = 0;
        if (ampm == 2) h += 12;
    }
    return TryEncodeTime(h, m, s, ms, result);
}

bool Finished(Scanner& sc) {
    sc.SkipBlanks();
    return sc.AtEnd();
}

}  // namespace

namespace {

// The two ways of reading a date: numbers in the short format's order (tolerant), then the short
// format itself (everything FormatDateTime writes with it).
using DateScanner = bool (*)(Scanner&, const TFormatSettings&, TDateTime&);
constexpr DateScanner kDateScanners[] = {ScanDate, ScanDatePattern};

}  // namespace

bool TryStrToDate(const std::wstring& s, TDateTime& result, const TFormatSettings& fs) {
    for (DateScanner scan : kDateScanners) {
        Scanner sc{s};
        TDateTime d;
        if (scan(sc, fs, d) && Finished(sc)) {
            result = d;
            return true;
        }
    }
    return false;
}

bool TryStrToTime(const std::wstring& s, TDateTime& result, const TFormatSettings& fs) {
    Scanner sc{s};
    TDateTime t;
    if (!ScanTime(sc, fs, t) || !Finished(sc)) return false;
    result = t;
    return true;
}

bool TryStrToDateTime(const std::wstring& s, TDateTime& result, const TFormatSettings& fs) {
    for (DateScanner scan : kDateScanners) {
        Scanner sc{s};
        TDateTime d, t = 0;
        if (!scan(sc, fs, d)) continue;
        if (Finished(sc)) {
            result = d;
            return true;
        }
        if (ScanTime(sc, fs, t) && Finished(sc)) {
            result = d >= 0 ? d + t : d - t;
            return true;
        }
    }
    return TryStrToTime(s, result, fs);
}

TDateTime StrToDate(const std::wstring& s, const TFormatSettings& fs) {
    TDateTime r;
    if (!TryStrToDate(s, r, fs)) throw EConvertError(L"'" + s + L"' is not a valid date");
    return r;
}

TDateTime StrToTime(const std::wstring& s, const TFormatSettings& fs) {
    TDateTime r;
    if (!TryStrToTime(s, r, fs)) throw EConvertError(L"'" + s + L"' is not a valid time");
    return r;
}

TDateTime StrToDateTime(const std::wstring& s, const TFormatSettings& fs) {
    TDateTime r;
    if (!TryStrToDateTime(s, r, fs)) throw EConvertError(L"'" + s + L"' is not a valid date and time");
    return r;
}

TDateTime StrToDateTimeDef(const std::wstring& s, TDateTime def, const TFormatSettings& fs) {
    TDateTime r;
    return TryStrToDateTime(s, r, fs) ? r : def;
}

}  // namespace fw
