// Base routines: rounding, integer texts, string and path helpers, hex, colours, messages.
#include <gtest/gtest.h>

#include <climits>

#include "fw_base.h"
#include "test_support.h"

using namespace fw;
using testsupport::Narrow;

TEST(BaseRounding, HalvesGoToEven) {
    struct Case { long double x; int64_t expected; } cases[] = {
        {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-1.5L, -2}, {-2.5L, -2}, {2.5001L, 3}, {1e12L + 0.5L, 1000000000000LL},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.x), c.expected) << static_cast<double>(c.x);
    EXPECT_EQ(DivTrunc(-7, 2), -3);
}

TEST(BaseIntegers, DecimalDollarHexAndTheIniRulesZeroX) {
    struct Case { const wchar_t* text; int expected; } cases[] = {
        {L"-7", -7}, {L"+7", 7}, {L"$ff", 255}, {L"-$10", -16}, {L" 5", 5}, {L"-2147483648", INT_MIN},
        {L"$FFFFFFFF", -1},
        // Not numbers: the default.
        {L"", 99}, {L"12a", 99}, {L"5 ", 99}, {L"$", 99}, {L"0x10", 99}, {L"2147483648", 99}, {L"$100000000", 99},
    };
    for (const auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, 99), c.expected) << Narrow(c.text);
    EXPECT_THROW(StrToInt(L"x1"), EConvertError);
    int64_t big = 0;
    EXPECT_TRUE(TryStrToInt64(L"-9223372036854775808", big));
    EXPECT_EQ(big, INT64_MIN);
    // The INI reader also takes "0x"; "0x" alone is only two characters and no number at all.
    struct IniCase { const wchar_t* text; int expected; } ini[] = {
        {L"0X1f", 31}, {L"0xFFFFFFFF", -1}, {L"$10", 16}, {L"0x", -5}, {L"0x-1", -5}, {L"0x100000000", -5},
    };
    for (const auto& c : ini) EXPECT_EQ(IniStrToIntDef(c.text, -5), c.expected) << Narrow(c.text);
}

TEST(BaseStrings, TrimCaseAndMatching) {
    EXPECT_EQ(Trim(L" \t a b \r\n"), L"a b");
    EXPECT_EQ(TrimRight(L"  a \x01"), L"  a");
    // The invariant mapping touches ASCII letters only (language codes must not change with the
    // user's locale); the Ansi comparisons match any letter.
    EXPECT_EQ(UpperCase(L"enu-\u00e4x0c09"), L"ENU-\u00e4X0C09");
    EXPECT_FALSE(SameText(L"\u00c4rger", L"\u00e4RGER"));
    EXPECT_TRUE(AnsiSameText(L"\u00c4rger", L"\u00e4RGER"));
    EXPECT_LT(CompareText(L"abc", L"ABD"), 0);
    EXPECT_EQ(PosText(L"CAPTION", L"TfrmAbout.lblver.caption"), 17u);
    EXPECT_TRUE(EndsText(L".CAPTION", L"a.Caption"));
    EXPECT_FALSE(EndsText(L"long suffix", L"short"));
}

TEST(BaseStrings, ReplaceAndFormatNeverRescanOrCrash) {
    EXPECT_EQ(StringReplace(L"aaa", L"a", L"aa"), L"aaaaaa");
    EXPECT_EQ(StringReplace(L"aXa", L"x", L"-", true, true), L"a-a");
    EXPECT_EQ(StringReplace(L"a a a", L"a", L"b", false), L"b a a");
    EXPECT_EQ(StringReplace(L"abc", L"", L"x"), L"abc");
    EXPECT_EQ(Format(L"Unable to write to %s", {L"C:\\x\\y.dat"}), L"Unable to write to C:\\x\\y.dat");
    EXPECT_EQ(Format(L"50% of %s", {L"x"}), L"50% of x");
    EXPECT_EQ(Format(L"%%s %s", {L"a"}), L"%s a");
    EXPECT_EQ(Format(L"%s and %s", {L"one"}), L"one and ");
    EXPECT_EQ(Format(L"%q %", {L"unused"}), L"%q %");
    // An argument holding "%s" is not expanded again.
    EXPECT_EQ(Format(L"%s%s", {L"%s", L"b"}), L"%sb");
}

TEST(BaseStrings, EncodingConversionsRoundTripAndNeverFail) {
    const std::wstring text = L"Gr\u00fc\u00dfe \u20ac \u6f22\u5b57 \U0001D11E";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    // A cut sequence becomes U+FFFD instead of failing.
    EXPECT_EQ(Utf8ToWide(std::string("a\xC3")), std::wstring(L"a\uFFFD"));
    EXPECT_EQ(AnsiToWide(WideToAnsi(L"Gr\u00fc\u00dfe", 1252), 1252), L"Gr\u00fc\u00dfe");
}

TEST(BasePaths, SplitAndExpand) {
    const struct { std::wstring got, expected; } cases[] = {
        {ExtractFilePath(L"C:\\a\\b.ini"), L"C:\\a\\"},       {ExtractFileDir(L"C:\\b.ini"), L"C:\\"},
        {ExtractFileName(L"C:\\a\\b.ini"), L"b.ini"},         {ExtractFileExt(L"C:\\a.d\\b"), L""},
        {ChangeFileExt(L"C:\\a.d\\b", L".ini"), L"C:\\a.d\\b.ini"}, {ChangeFileExt(L"English.ini", L""), L"English"},
        {IncludeTrailingPathDelimiter(L"C:\\a"), L"C:\\a\\"}, {ExcludeTrailingPathDelimiter(L"C:\\a\\"), L"C:\\a"},
        {ExpandFileName(L"C:\\a\\..\\b\\.\\c.ini"), L"C:\\b\\c.ini"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(BaseTypes, RectsShiftStatesMessagesAndColors) {
    const TRect r(10, 20, 30, 40);
    // The same answer as the system's PtInRect for every point around the edges.
    for (int x = 8; x <= 32; ++x)
        for (int y = 18; y <= 42; ++y)
            EXPECT_EQ(r.Contains(TPoint(x, y)), PtInRect(r.Ptr(), POINT{x, y}) != FALSE) << x << "," << y;
    EXPECT_EQ(IntersectRects(r, TRect(25, 0, 50, 25)), TRect(25, 20, 30, 25));
    EXPECT_TRUE(IntersectRects(r, TRect(30, 0, 50, 25)).IsEmpty());
    EXPECT_EQ(KeysToShiftState(MK_LBUTTON | MK_SHIFT), ssLeft | ssShift);
    TMessage m;
    m.LParam = MAKELPARAM(static_cast<WORD>(-5), static_cast<WORD>(-1200));
    EXPECT_EQ(m.XPos(), -5);
    EXPECT_EQ(m.YPos(), -1200);
    EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
    EXPECT_LE(ColorToRGB(clNone), 0xFFFFFFu);
}

TEST(BaseExceptions, OsErrorsKeepTheirCode) {
    try {
        RaiseLastOSError(ERROR_FILE_NOT_FOUND);
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
}
