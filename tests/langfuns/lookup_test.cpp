// Language lookups: the language file, then the built-in English text, then the caller's default;
// font settings of a language file; language codes; the installed language files.
#include <gtest/gtest.h>

#include "PublicFuns.h"
#include "test_support.h"

using namespace testsupport;

namespace {

// A language file as the program expects it: UTF-16LE with a byte-order mark, CR LF lines.
void WriteLangFile(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

class LangTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(dir_.File(L"Deutsch.ini")); }
    void TearDown() override {
        Reset(L"");
        SetAppDir(L"");
    }
    static void Reset(const std::wstring& langFile) {
        LangFile = langFile;
        LangIni.reset();
        MemLangIni.reset();
    }
    TempDir dir_;
};

const wchar_t kGerman[] =
    L"; comment line\r\n"
    L"[Translation]\r\n"
    L"TfrmZUBMain.btnBack.Caption = Zur\u00fcck\r\n"
    L"TfrmZUBMain.btnDone.Caption=\r\n"
    L"TfrmZUBMain.OpenWindow=\r\n"
    L"  constMMs  =  Minuten  \r\n"
    L"TfrmZUBMain.Caption=\u63d0\u9192\r\n"
    L"LangCode=0407|0807\r\n"
    L"[Messages]\r\n"
    L"ExitApp=\r\n"
    L"NewVer=Neue Version!\r\n";

}  // namespace

// --- lookup fallbacks --------------------------------------------------------------------------

TEST_F(LangTest, LanguageFileValueWinsOverEnglish) {
    WriteLangFile(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.btnBack.Caption", L"x"), L"Zur\u00fcck");
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Neue Version!");
    // Blanks around "=" and around the line are not part of key or value; non-ASCII text survives.
    EXPECT_EQ(GetLangString(L"Translation", L"constMMs", L"x"), L"Minuten");
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.Caption", L"x"), L"\u63d0\u9192");
}

TEST_F(LangTest, EmptyValueFallsThroughToEnglish) {
    WriteLangFile(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"Messages", L"ExitApp", L""),
              L"Are you sure to quit Vesk Reminder? Vesk Reminder's vesk notices will no longer be available then!");
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.btnDone.Caption", L"x"), L"Save");
    // Empty in the file and not in English either: the caller's default.
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.OpenWindow", L"Open VeskReminder"), L"Open VeskReminder");
}

TEST_F(LangTest, KeyMissingFromTheFileComesFromEnglish) {
    WriteLangFile(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmRemindDlg.btnDelay.Caption", L"x"), L"Postpone");
}

TEST_F(LangTest, KeyInNeitherGivesTheDefault) {
    WriteLangFile(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.OpenWindow", L"Open VeskReminder"), L"Open VeskReminder");
    EXPECT_EQ(GetLangString(L"Message", L"Newsletter", L"Newsletter"), L"Newsletter");
    EXPECT_EQ(GetLangString(L"NoSuchSection", L"ExitApp", L"dflt"), L"dflt");
    EXPECT_EQ(GetLangString(L"Messages", L"NoSuchKey", L""), L"");
}

TEST_F(LangTest, EmptySectionOrKeyGivesEmptyTextNotTheDefault) {
    WriteLangFile(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"Translation", L"", L"x"), L"");
    EXPECT_EQ(GetLangString(L"", L"ExitApp", L"x"), L"");
}

TEST_F(LangTest, SectionsAndKeysMatchIgnoringCase) {
    WriteLangFile(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"translation", L"tfrmzubmain.BTNBACK.caption", L"x"), L"Zur\u00fcck");
    // The about window asks with a small "c"; the built-in text spells it with a capital one.
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmAbout.lblver.caption", L"x"), L"Current Version:");
    EXPECT_EQ(GetLangString(L"MESSAGES", L"unkonwfiletype", L"x"), L"Unrecognized sound file!");
}

TEST_F(LangTest, MissingLanguageFileUsesEnglishAndIsLookedForAgain) {
    ASSERT_FALSE(fw::FileExists(LangFile));
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.btnBack.caption", L"x"), L"Back");
    EXPECT_EQ(LangIni, nullptr);
    // The file appears later: the next lookup finds it without an explicit reload.
    WriteLangFile(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.btnBack.caption", L"x"), L"Zur\u00fcck");
}

TEST_F(LangTest, LoadLangFileSwitchesToTheNewFile) {
    WriteLangFile(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Neue Version!");
    const std::wstring french = dir_.File(L"Francais.ini");
    WriteLangFile(french, L"[Messages]\r\nNewVer=Nouvelle version !\r\n");
    LangFile = french;
    // Until the reload the parsed file stays in use.
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Neue Version!");
    LoadLangFile();
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Nouvelle version !");
    // Switching to a language whose file is gone leaves only English.
    LangFile = dir_.File(L"Gone.ini");
    LoadLangFile();
    EXPECT_EQ(LangIni, nullptr);
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Newer version available! Update now?");
}

TEST_F(LangTest, UnreadableLanguageFileFallsBackToEnglish) {
    // A file another program holds open without sharing cannot be read; lookups must still answer.
    WriteLangFile(LangFile, kGerman);
    HANDLE h = CreateFileW(LangFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_NO_THROW(EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.btnBack.caption", L"x"), L"Back"));
    CloseHandle(h);
    // Readable again: found at the next lookup.
    EXPECT_EQ(GetLangString(L"Translation", L"TfrmZUBMain.btnBack.caption", L"x"), L"Zur\u00fcck");
}

// --- font settings -------------------------------------------------------------------------------

TEST_F(LangTest, FontSettingsWithoutLanguageFile) {
    ASSERT_FALSE(fw::FileExists(LangFile));
    EXPECT_EQ(GetLangFontName(), L"Tahoma");
    EXPECT_EQ(GetLangFontSize(), 8);
    // The system's default character set, not the built-in text's "ANSI_CHARSET".
    EXPECT_EQ(GetLangCharset(), DEFAULT_CHARSET);
    EXPECT_NE(GetLangCharset(), ANSI_CHARSET);
}

TEST_F(LangTest, FontSettingsFromTheLanguageFile) {
    WriteLangFile(LangFile,
                  L"[Translation]\r\nDefaultFont=SimSun\r\nDefaultFontSize=9\r\nDefaultCharset=GB2312_CHARSET\r\n");
    EXPECT_EQ(GetLangFontName(), L"SimSun");
    EXPECT_EQ(GetLangFontSize(), 9);
    EXPECT_EQ(GetLangCharset(), GB2312_CHARSET);
}

TEST_F(LangTest, FontSettingsMissingFromTheFileTakeTheDefaultsNotEnglish) {
    WriteLangFile(LangFile, L"[Translation]\r\nDefaultFontSize=big\r\nDefaultCharset=KLINGON_CHARSET\r\n");
    EXPECT_EQ(GetLangFontName(), L"Tahoma");
    EXPECT_EQ(GetLangFontSize(), 8);
    EXPECT_EQ(GetLangCharset(), DEFAULT_CHARSET);  // unknown name
    const std::wstring other = dir_.File(L"Other.ini");
    WriteLangFile(other, L"[Translation]\r\nDefaultFont=Arial\r\n");
    LangFile = other;
    EXPECT_EQ(GetLangFontName(), L"Arial");
    EXPECT_EQ(GetLangCharset(), ANSI_CHARSET);  // no key: the reader's default name
}

TEST_F(LangTest, FontSettingsAreReadFromTheFileEachTime) {
    WriteLangFile(LangFile, L"[Translation]\r\nDefaultFontSize=9\r\n");
    EXPECT_EQ(GetLangFontSize(), 9);
    LangFile = dir_.File(L"Korean.ini");
    WriteLangFile(LangFile, L"[Translation]\r\nDefaultFontSize=10\r\nDefaultCharset=HANGEUL_CHARSET\r\n");
    // No reload: the font routines do not go through the parsed language file.
    EXPECT_EQ(GetLangFontSize(), 10);
    EXPECT_EQ(GetLangCharset(), HANGEUL_CHARSET);
}

TEST(CharsetTable, EveryWindowsNameGivesItsValue) {
    const struct {
        const wchar_t* name;
        int value;
    } table[] = {
        {L"ANSI_CHARSET", ANSI_CHARSET},         {L"DEFAULT_CHARSET", DEFAULT_CHARSET},
        {L"SYMBOL_CHARSET", SYMBOL_CHARSET},     {L"MAC_CHARSET", MAC_CHARSET},
        {L"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET}, {L"HANGEUL_CHARSET", HANGEUL_CHARSET},
        {L"JOHAB_CHARSET", JOHAB_CHARSET},       {L"GB2312_CHARSET", GB2312_CHARSET},
        {L"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET}, {L"GREEK_CHARSET", GREEK_CHARSET},
        {L"TURKISH_CHARSET", TURKISH_CHARSET},   {L"HEBREW_CHARSET", HEBREW_CHARSET},
        {L"ARABIC_CHARSET", ARABIC_CHARSET},     {L"BALTIC_CHARSET", BALTIC_CHARSET},
        {L"RUSSIAN_CHARSET", RUSSIAN_CHARSET},   {L"THAI_CHARSET", THAI_CHARSET},
        {L"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET}, {L"OEM_CHARSET", OEM_CHARSET},
    };
    for (const auto& e : table) {
        bool found = false;
        EXPECT_EQ(CharsetFromName(e.name, &found), e.value) << Narrow(e.name);
        EXPECT_TRUE(found) << Narrow(e.name);
    }
    // The values the names must have (a wrong header constant would show here).
    EXPECT_EQ(CharsetFromName(L"MAC_CHARSET"), 77);
    EXPECT_EQ(CharsetFromName(L"JOHAB_CHARSET"), 130);
    EXPECT_EQ(CharsetFromName(L"EASTEUROPE_CHARSET"), 238);
    bool found = true;
    EXPECT_EQ(CharsetFromName(L"VIETNAMESE_CHARSET", &found), DEFAULT_CHARSET);  // not in the list
    EXPECT_FALSE(found);
    EXPECT_EQ(CharsetFromName(L""), DEFAULT_CHARSET);
}

// --- language codes --------------------------------------------------------------------------------

TEST_F(LangTest, MatchLangCodeAgainstTheBuiltInList) {
    ASSERT_FALSE(fw::FileExists(LangFile));
    EXPECT_TRUE(MatchLangCode(L"0409"));
    EXPECT_TRUE(MatchLangCode(L"0C09"));  // first entry
    EXPECT_TRUE(MatchLangCode(L"3009"));  // after the last "|"
    EXPECT_TRUE(MatchLangCode(L"1C09"));  // written "1c09": compared ignoring case
    EXPECT_TRUE(MatchLangCode(L"0c09"));
    EXPECT_FALSE(MatchLangCode(L"0409 "));  // the code is not trimmed
    EXPECT_FALSE(MatchLangCode(L"0407"));
    EXPECT_FALSE(MatchLangCode(L""));
    EXPECT_FALSE(MatchLangCode(L"   "));
    EXPECT_FALSE(MatchLangCode(L"0409|0C09"));  // one entry at a time
}

TEST_F(LangTest, MatchLangCodeAgainstTheLanguageFile) {
    WriteLangFile(LangFile, L"[Translation]\r\nLangCode=0407|0807|\r\n");
    EXPECT_TRUE(MatchLangCode(L"0407"));
    EXPECT_TRUE(MatchLangCode(L"0807"));
    EXPECT_FALSE(MatchLangCode(L"0409"));  // the file's list replaces the English one
    // Entries are not trimmed either.
    LangFile = dir_.File(L"Spaced.ini");
    WriteLangFile(LangFile, L"[Translation]\r\nLangCode=0407| 0807\r\n");
    LoadLangFile();
    EXPECT_FALSE(MatchLangCode(L"0807"));
    EXPECT_TRUE(MatchLangCode(L" 0807"));
}

// --- installed language files ------------------------------------------------------------------------

TEST_F(LangTest, ListLanguageFilesGivesSortedNamesWithoutExtension) {
    const std::wstring langs = dir_.File(L"Languages");
    ASSERT_TRUE(CreateDirectoryW(langs.c_str(), nullptr));
    for (const wchar_t* n : {L"espa\u00f1ol.ini", L"Deutsch.ini", L"english.INI", L"Chinese.ini", L"notes.txt",
                             L"backup.ini.bak", L"old.inix"})
        WriteLangFile(langs + L"\\" + n, L"[Lang]\r\n");
    ASSERT_TRUE(CreateDirectoryW((langs + L"\\Folder.ini").c_str(), nullptr));
    SetAppDir(dir_.Path());

    fw::TStringList list;
    list.Add(L"stale entry");
    ListLanguageFiles(list);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[0], L"Chinese");
    EXPECT_EQ(list[1], L"Deutsch");
    EXPECT_EQ(list[2], L"english");
    EXPECT_EQ(list[3], L"espa\u00f1ol");
}

TEST_F(LangTest, ListLanguageFilesWithoutFolderIsEmpty) {
    SetAppDir(dir_.Path());
    fw::TStringList list;
    list.Add(L"stale entry");
    ListLanguageFiles(list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(LangTest, AppDirIsTheProgramsFolderUnlessReplaced) {
    // Without an override the program's own folder is searched.
    SetAppDir(L"");
    EXPECT_EQ(AppDir(), ExeDir() + L"\\");
    SetAppDir(dir_.Path());
    EXPECT_EQ(AppDir(), dir_.Path() + L"\\");
}

TEST_F(LangTest, LanguageDisplayNameReadsTheNativeName) {
    const std::wstring langs = dir_.File(L"Languages");
    ASSERT_TRUE(CreateDirectoryW(langs.c_str(), nullptr));
    WriteLangFile(langs + L"\\German.ini", L"[Lang]\r\nNativeLanguage=Deutsch\r\n");
    WriteLangFile(langs + L"\\Plain.ini", L"[Translation]\r\nLangCode=0407\r\n");
    SetAppDir(dir_.Path());
    EXPECT_EQ(LanguageDisplayName(L"German"), L"Deutsch");
    EXPECT_EQ(LanguageDisplayName(L"Plain"), L"Plain");      // no native name in the file
    EXPECT_EQ(LanguageDisplayName(L"Missing"), L"Missing");  // no file
}
