// TMemIniFile: the parsing rules, lookups and byte-exact saving in each encoding.
#include <gtest/gtest.h>

#include "fw_inifiles.h"
#include "test_support.h"

using namespace fw;
using testsupport::TempDir;

namespace {

std::vector<std::wstring> Lines(const TStrings& l) {
    std::vector<std::wstring> v;
    for (int i = 0; i < l.Count(); ++i) v.push_back(l[i]);
    return v;
}

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
        L"",
        L"  [Translation]  ",
        L"  TfrmAbout.lblver.Caption  =  Current Version:  ",
        L"DefaultFont=Tahoma",
        L"defaultfont=Arial",  // a repeated key: the first wins
        L"Quoted=\"  kept  \"",
        L"Eq=a=b",
        L"no equals sign here",
        L"   ; indented comment",
        L"Empty=",
        L"[ Messages ]",
        L"ExitApp=Sure?",
        L"[TRANSLATION]",      // a repeated section continues the first one
        L"GetLang=translate to...",
        L"DefaultFont=Verdana",
    }));
    EXPECT_EQ(ini.ReadString(L"translation", L"TFRMABOUT.LBLVER.CAPTION", L"x"), L"Current Version:");
    EXPECT_EQ(ini.ReadString(L"Translation", L"TfrmAbout.lblver.caption", L"x"), L"Current Version:");
    EXPECT_EQ(ini.ReadString(L"Translation", L"DefaultFont", L"x"), L"Tahoma");
    EXPECT_EQ(ini.ReadString(L"Translation", L"Quoted", L"x"), L"\"  kept  \"");
    EXPECT_EQ(ini.ReadString(L"Translation", L"Eq", L"x"), L"a=b");
    EXPECT_EQ(ini.ReadString(L"Translation", L"Empty", L"x"), L"");
    EXPECT_EQ(ini.ReadString(L"Translation", L"GetLang", L"x"), L"translate to...");
    EXPECT_EQ(ini.ReadString(L"Translation", L"orphan", L"x"), L"x");
    EXPECT_EQ(ini.ReadString(L"Translation", L"no equals sign here", L"x"), L"x");
    EXPECT_EQ(ini.ReadString(L"Nowhere", L"DefaultFont", L"x"), L"x");
    EXPECT_EQ(ini.ReadString(L"messages", L"exitapp", L""), L"Sure?");

    TStringList keys;
    ini.ReadSection(L"TRANSLATION", keys);
    EXPECT_EQ(Lines(keys), (std::vector<std::wstring>{L"TfrmAbout.lblver.Caption", L"DefaultFont", L"Quoted", L"Eq",
                                                      L"Empty", L"GetLang"}));
    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(Lines(sections), (std::vector<std::wstring>{L"Translation", L"Messages"}));
    EXPECT_TRUE(ini.ValueExists(L"Translation", L"EMPTY"));
    EXPECT_FALSE(ini.ValueExists(L"Translation", L"orphan"));
}

TEST(MemIni, WritesEditsAndTypedReads) {
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
    // Without a file name, saving does nothing.
    EXPECT_NO_THROW(ini.UpdateFile());
}

// The same content in each encoding, written as UpdateFile writes it: a section line, its keys,
// one blank line, CR LF line ends, a byte-order mark for the Unicode encodings.
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
}

TEST(MemIni, LooseFilesAreNormalisedWhenSaved) {
    TempDir dir;
    const std::wstring path = dir.File(L"loose.ini");
    testsupport::WriteFileBytes(path, EncodeText(L"\n[A]\n k = v \n;c\n\n", TEncoding::UTF16LE, true));
    TMemIniFile ini(path);
    EXPECT_EQ(ini.ReadString(L"A", L"k", L""), L"v");
    ini.UpdateFile();
    EXPECT_EQ(testsupport::ReadFileBytes(path), EncodeText(L"[A]\r\nk=v\r\n\r\n", TEncoding::UTF16LE, true));
}

TEST(MemIni, BackupStepsLeaveTheDataFileAlone) {
    TempDir dir;
    const std::wstring data = dir.File(L"vk_rmind_data.dat"), backup = dir.File(L"backup.dat");
    const std::string content =
        "[CONFIG]\r\nAUTEUPDATE=1\r\n[UNFINISHED]\r\nR20240305140709=Call\r\n[R20240305140709]\r\nPERIOD=0\r\n";
    testsupport::WriteFileBytes(data, content);
    {
        TMemIniFile ini(data);
        ini.Rename(backup, false);
        ini.EraseSection(L"CONFIG");
        ini.WriteString(L"BACKUP", L"BACKTIME", L"3/5/2024");
        ini.UpdateFile();
    }
    const auto saved = testsupport::ReadFileBytes(backup);
    EXPECT_EQ(std::string(saved.begin(), saved.end()),
              "[UNFINISHED]\r\nR20240305140709=Call\r\n\r\n[R20240305140709]\r\nPERIOD=0\r\n\r\n"
              "[BACKUP]\r\nBACKTIME=3/5/2024\r\n\r\n");
    const auto untouched = testsupport::ReadFileBytes(data);
    EXPECT_EQ(std::string(untouched.begin(), untouched.end()), content);

    // Rename with reload takes the other file's contents; a missing file reads as empty.
    TMemIniFile other(data);
    other.Rename(backup, true);
    EXPECT_FALSE(other.SectionExists(L"CONFIG"));
    EXPECT_EQ(other.ReadString(L"BACKUP", L"BACKTIME", L""), L"3/5/2024");
    other.Rename(dir.File(L"missing.dat"), true);
    TStringList s;
    other.ReadSections(s);
    EXPECT_EQ(s.Count(), 0);
    // Saving into a missing folder fails loudly.
    other.Rename(dir.File(L"no\\such\\x.dat"), false);
    EXPECT_THROW(other.UpdateFile(), EFCreateError);
}
