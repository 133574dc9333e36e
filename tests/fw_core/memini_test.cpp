// TMemIniFile: the parsing rules, lookups and byte-exact saving in each encoding.
#include <gtest/gtest.h>

#include "fw_inifiles.h"
#include "test_support.h"

using namespace fw;
using testsupport::Lines;
using testsupport::TempDir;

namespace {

TStringList ListOf(std::initializer_list<const wchar_t*> lines) {
    TStringList l;
    for (const wchar_t* s : lines) l.Add(s);
    return l;
}

}  // namespace

TEST(MemIni, ParsingRules) {
    TMemIniFile ini;
    ini.SetStrings(ListOf({
        L"; translator's note",
        L"orphan=before any section",
        L"  [Translation]  ",
        L"  TfrmAbout.lblver.Caption  =  Current Version:  ",
        L"DefaultFont=Tahoma",
        L"defaultfont=Arial",  // a repeated key: the first wins
        L"Quoted=\"  kept  \"",
        L"Eq=a=b",
        L"no equals sign here",
        L"Empty=",
        L"[ Messages ]",
        L"ExitApp=Sure?",
        L"[TRANSLATION]",      // a repeated section continues the first one
        L"GetLang=translate to...",
    }));
    EXPECT_EQ(ini.ReadString(L"translation", L"TFRMABOUT.LBLVER.CAPTION", L"x"), L"Current Version:");
    EXPECT_EQ(ini.ReadString(L"Translation", L"DefaultFont", L"x"), L"Tahoma");
    EXPECT_EQ(ini.ReadString(L"Translation", L"Quoted", L"x"), L"\"  kept  \"");
    EXPECT_EQ(ini.ReadString(L"Translation", L"Eq", L"x"), L"a=b");
    EXPECT_EQ(ini.ReadString(L"Translation", L"Empty", L"x"), L"");
    EXPECT_EQ(ini.ReadString(L"Translation", L"orphan", L"x"), L"x");
    EXPECT_EQ(ini.ReadString(L"messages", L"exitapp", L""), L"Sure?");

    TStringList keys;
    ini.ReadSection(L"TRANSLATION", keys);
    EXPECT_EQ(Lines(keys), (std::vector<std::wstring>{L"TfrmAbout.lblver.Caption", L"DefaultFont", L"Quoted", L"Eq",
                                                      L"Empty", L"GetLang"}));
    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(Lines(sections), (std::vector<std::wstring>{L"Translation", L"Messages"}));
}

TEST(MemIni, LookupsAfterEditsAndDeletions) {
    TMemIniFile ini;
    ini.WriteString(L"CONFIG", L"NEWSID", L"0x10");
    ini.WriteInteger(L"CONFIG", L"PERIOD", 4);
    ini.WriteBool(L"CONFIG", L"CHECKNEWS", false);
    ini.WriteString(L"config", L"newsid", L"0X1f");  // replaces, keeps the first spelling
    EXPECT_EQ(ini.ReadInteger(L"CONFIG", L"NEWSID", 0), 31);
    ini.DeleteKey(L"CONFIG", L"period");
    EXPECT_FALSE(ini.ValueExists(L"CONFIG", L"PERIOD"));
    EXPECT_FALSE(ini.ReadBool(L"CONFIG", L"CHECKNEWS", true));  // the keys after it are still found
    ini.WriteString(L"Empty", L"k", L"v");
    ini.DeleteKey(L"Empty", L"k");
    EXPECT_FALSE(ini.SectionExists(L"Empty"));  // no keys left
    ini.EraseSection(L"CONFIG");
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"NEWSID", L"gone"), L"gone");
    ini.WriteString(L"empty", L"k2", L"v2");  // the sections after it are still found
    // Names outside ASCII match ignoring case as well.
    ini.WriteString(L"\u00c4nderungen", L"Gr\u00d6\u00dfe", L"1");
    EXPECT_EQ(ini.ReadInteger(L"\u00e4NDERUNGEN", L"gr\u00f6\u00dfe", 0), 1);
    TStringList out;
    ini.GetStrings(out);
    EXPECT_EQ(Lines(out), (std::vector<std::wstring>{L"[Empty]", L"k2=v2", L"", L"[\u00c4nderungen]",
                                                     L"Gr\u00d6\u00dfe=1", L""}));
}

// The same content in each encoding, written as UpdateFile writes it: a section line, its keys,
// one blank line, CR LF line ends, a byte-order mark for the Unicode encodings. A loose file is
// written in that shape.
TEST(MemIni, SavesByteExactInTheDetectedEncoding) {
    ASSERT_EQ(GetACP(), 1252u);
    TempDir dir;
    const std::wstring unicodeText =
        L"[CONFIG]\r\nLanguage=Deutsch\r\n\r\n[UNFINISHED]\r\nR20240305140709=\u6f22\u5b57 Gr\u00fc\u00dfe\r\n\r\n";
    const std::wstring ansiText = L"[CONFIG]\r\nLanguage=Deutsch\r\n\r\n[UNFINISHED]\r\nR20240305140709=Gr\u00fc\u00dfe\r\n\r\n";
    struct Case { TEncoding enc; std::wstring text; } cases[] = {
        {TEncoding::UTF16LE, unicodeText},
        {TEncoding::UTF16BE, unicodeText},
        {TEncoding::UTF8, unicodeText},
        {TEncoding::Ansi, ansiText},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> original = EncodeText(c.text, c.enc, true);
        const std::wstring src = dir.File(L"src.dat"), copy = dir.File(L"copy.dat");
        testsupport::WriteFileBytes(src, original);
        TMemIniFile ini(src);
        EXPECT_EQ(ini.GetEncoding(), c.enc);
        ini.Rename(copy, false);
        ini.UpdateFile();
        EXPECT_EQ(testsupport::ReadFileBytes(copy), original) << static_cast<int>(c.enc);
        EXPECT_EQ(testsupport::ReadFileBytes(src), original);  // the source is not touched
    }
    const std::wstring path = dir.File(L"loose.ini");
    testsupport::WriteFileBytes(path, EncodeText(L"\n[A]\n k = v \n;c\n\n", TEncoding::UTF16LE, true));
    TMemIniFile ini(path);
    ini.UpdateFile();
    EXPECT_EQ(testsupport::ReadFileBytes(path), EncodeText(L"[A]\r\nk=v\r\n\r\n", TEncoding::UTF16LE, true));
}
