// String lists: encodings with byte-order-mark detection, text splitting, sorting and lookups.
#include <gtest/gtest.h>

#include "fw_strings.h"
#include "test_support.h"

using namespace fw;
using testsupport::Lines;
using testsupport::TempDir;
using testsupport::Narrow;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> b) {
    std::vector<uint8_t> v;
    for (int x : b) v.push_back(static_cast<uint8_t>(x));
    return v;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The lines "Gr\u00fc\u00dfe", "x=1" and (for the Unicode encodings) Chinese characters, in each
// encoding as another program would write them.
struct Sample {
    TEncoding enc;
    std::vector<uint8_t> bytes;
    std::vector<std::wstring> lines;
};

std::vector<Sample> Samples() {
    std::vector<Sample> s;
    // UTF-16LE with BOM: "Gr\u00fc\u00dfe\r\n\u6f22\u5b57\r\n"
    s.push_back({TEncoding::UTF16LE,
                 Bytes({0xFF, 0xFE, 'G', 0, 'r', 0, 0xFC, 0, 0xDF, 0, 'e', 0, '\r', 0, '\n', 0, 0x22, 0x6F, 0x57, 0x5B,
                        '\r', 0, '\n', 0}),
                 {L"Gr\u00fc\u00dfe", L"\u6f22\u5b57"}});
    s.push_back({TEncoding::UTF16BE,
                 Bytes({0xFE, 0xFF, 0, 'G', 0, 'r', 0, 0xFC, 0, 0xDF, 0, 'e', 0, '\r', 0, '\n', 0x6F, 0x22, 0x5B, 0x57,
                        0, '\r', 0, '\n'}),
                 {L"Gr\u00fc\u00dfe", L"\u6f22\u5b57"}});
    s.push_back({TEncoding::UTF8,
                 Bytes({0xEF, 0xBB, 0xBF, 'G', 'r', 0xC3, 0xBC, 0xC3, 0x9F, 'e', '\r', '\n', 0xE6, 0xBC, 0xA2, 0xE5, 0xAD,
                        0x97, '\r', '\n'}),
                 {L"Gr\u00fc\u00dfe", L"\u6f22\u5b57"}});
    // The ANSI code page of the test prefix is 1252.
    s.push_back({TEncoding::Ansi, Bytes({'G', 'r', 0xFC, 0xDF, 'e', '\r', '\n', 'x', '=', '1', '\r', '\n'}),
                 {L"Gr\u00fc\u00dfe", L"x=1"}});
    return s;
}

}  // namespace

TEST(StringsEncoding, EachByteOrderMarkIsDetectedAndSavedBackByteExact) {
    ASSERT_EQ(GetACP(), 1252u) << "the test prefix is expected to use the Western ANSI code page";
    TempDir dir;
    for (const Sample& s : Samples()) {
        TStringList l;
        l.LoadFromBytes(s.bytes.data(), s.bytes.size());
        EXPECT_EQ(l.GetEncoding(), s.enc);
        EXPECT_EQ(Lines(l), s.lines);
        EXPECT_EQ(l.SaveToBytes(), s.bytes);
        // Through a file as well: saved back in the encoding it was loaded in.
        const std::wstring f = dir.File(L"s.txt");
        testsupport::WriteFileBytes(f, s.bytes);
        TStringList fromFile;
        fromFile.LoadFromFile(f);
        fromFile.Add(L"more");
        fromFile.SaveToFile(f);
        EXPECT_EQ(testsupport::ReadFileBytes(f), Concat(s.bytes, EncodeText(L"more\r\n", s.enc, false)));
    }
}

TEST(StringsEncoding, WithoutAMarkTheTextIsAnsiEvenWhenItLooksLikeUtf8) {
    const auto b = Bytes({'c', 'a', 'f', 0xC3, 0xA9});
    TEncoding e;
    EXPECT_EQ(DecodeText(b.data(), b.size(), e), L"caf\u00c3\u00a9");
    EXPECT_EQ(e, TEncoding::Ansi);
    // A lone byte after a UTF-16 mark is not half a character.
    const auto odd = Bytes({0xFF, 0xFE, 'a', 0, 'b'});
    EXPECT_EQ(DecodeText(odd.data(), odd.size(), e), L"a");
    EXPECT_EQ(e, TEncoding::UTF16LE);
    // Explicit encodings on save.
    TStringList l;
    l.Add(L"\u00e9");
    EXPECT_EQ(l.SaveToBytes(TEncoding::UTF16BE), Bytes({0xFE, 0xFF, 0, 0xE9, 0, '\r', 0, '\n'}));
}

TEST(StringsEncoding, MissingFilesAndResourcesRaiseWithTheirName) {
    TempDir dir;
    TStringList l;
    const std::wstring missing = dir.File(L"nothere.txt");
    try {
        l.LoadFromFile(missing);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message.find(missing), std::wstring::npos);
    }
    EXPECT_THROW(l.SaveToFile(dir.File(L"no\\such\\folder.txt")), EFCreateError);
    EXPECT_THROW(l.LoadFromResource(GetModuleHandleW(nullptr), L"NO_SUCH_RESOURCE_NAME"), EFOpenError);
}

TEST(StringsText, LineBreaksOfEveryKindSplitLines) {
    const struct { const wchar_t* text; std::vector<std::wstring> lines; } cases[] = {
        {L"a\nb\r\nc\rd", {L"a", L"b", L"c", L"d"}}, {L"a\r\n", {L"a"}},
        {L"\n\r", {L"", L""}},  // LF, then CR: two line ends
    };
    TStringList l;
    for (const auto& c : cases) {
        l.SetText(c.text);
        EXPECT_EQ(Lines(l), c.lines) << Narrow(c.text);
    }
    l.SetText(L"x\r\ny");
    EXPECT_EQ(l.GetText(), L"x\r\ny\r\n");
}

TEST(StringsList, IndexOfIgnoresCaseAndIndexErrorsRaise) {
    TStringList l;
    for (const wchar_t* s : {L"English", L"Deutsch", L"\u00c4rger"}) l.Add(s);
    EXPECT_EQ(l.IndexOf(L"\u00e4RGER"), 2);
    l.SetCaseSensitive(true);
    EXPECT_EQ(l.IndexOf(L"DEUTSCH"), -1);
    EXPECT_THROW(l.GetString(3), EListError);
    EXPECT_THROW(l.Insert(5, L"x"), EListError);
}
