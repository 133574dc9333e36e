// Language lookups: the language file, then the built-in English text, then the caller's default;
// font settings of a language file; language codes; the installed language files.
#include <gtest/gtest.h>

#include "PublicFuns.h"
#include "test_support.h"

using namespace testsupport;

namespace {

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
    // Writes a language file in the folder and makes it the current one (without a reload).
    void UseFile(const std::wstring& Name, const std::wstring& Text) {
        LangFile = dir_.File(Name);
        WriteUtf16File(LangFile, Text);
    }
    std::wstring Back() { return GetLangString(L"Translation", L"TfrmZUBMain.btnBack.caption", L"x"); }
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

TEST_F(LangTest, LookupFallsFromTheFileToEnglishToTheDefault) {
    WriteUtf16File(LangFile, kGerman);
    const struct {
        const wchar_t *Section, *Key, *Default, *Expected;
    } cases[] = {
        {L"Messages", L"NewVer", L"x", L"Neue Version!"},
        // Blanks around "=" and around the line are not part of key or value; non-ASCII survives.
        {L"Translation", L"constMMs", L"x", L"Minuten"},
        {L"Translation", L"TfrmZUBMain.Caption", L"x", L"\u63d0\u9192"},
        // Empty in the file, or missing from it: English.
        {L"Translation", L"TfrmZUBMain.btnDone.Caption", L"x", L"Save"},
        {L"Translation", L"TfrmRemindDlg.btnDelay.Caption", L"x", L"Postpone"},
        // In neither: the caller's default.
        {L"Translation", L"TfrmZUBMain.OpenWindow", L"Open VeskReminder", L"Open VeskReminder"},
        {L"NoSuchSection", L"ExitApp", L"dflt", L"dflt"},
        // An empty section or key gives empty text, not the default.
        {L"Translation", L"", L"x", L""},
        {L"", L"ExitApp", L"x", L""},
        // Sections and keys match ignoring case (the about window asks with a small "c"; the
        // built-in text spells it with a capital one).
        {L"translation", L"tfrmzubmain.BTNBACK.caption", L"x", L"Zur\u00fcck"},
        {L"Translation", L"TfrmAbout.lblver.caption", L"x", L"Current Version:"},
        {L"MESSAGES", L"unkonwfiletype", L"x", L"Unrecognized sound file!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetLangString(c.Section, c.Key, c.Default), c.Expected) << Narrow(c.Key);
}

TEST_F(LangTest, MissingOrUnreadableFileUsesEnglishAndIsLookedForAgain) {
    EXPECT_EQ(Back(), L"Back");
    EXPECT_EQ(LangIni, nullptr);
    // The file appears later: the next lookup finds it without an explicit reload.
    WriteUtf16File(LangFile, kGerman);
    EXPECT_EQ(Back(), L"Zur\u00fcck");

    // A file another program holds open without sharing cannot be read; lookups must still
    // answer, and find it again once readable.
    Reset(LangFile);
    HANDLE h = CreateFileW(LangFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_NO_THROW(EXPECT_EQ(Back(), L"Back"));
    CloseHandle(h);
    EXPECT_EQ(Back(), L"Zur\u00fcck");
}

TEST_F(LangTest, LoadLangFileSwitchesToTheNewFile) {
    WriteUtf16File(LangFile, kGerman);
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Neue Version!");
    UseFile(L"Francais.ini", L"[Messages]\r\nNewVer=Nouvelle version !\r\n");
    // Until the reload the parsed file stays in use.
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Neue Version!");
    LoadLangFile();
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Nouvelle version !");
    // Switching to a language whose file is gone leaves only English.
    LangFile = dir_.File(L"Gone.ini");
    LoadLangFile();
    EXPECT_EQ(GetLangString(L"Messages", L"NewVer", L"x"), L"Newer version available! Update now?");
}

TEST_F(LangTest, FontSettingsComeFromTheFileEachTimeElseTheDefaults) {
    // Each row switches files without a reload: the font routines do not go through the parsed
    // language file. Missing or unreadable settings take the defaults, not English's.
    const struct {
        const wchar_t* Text;  // nullptr: no file
        const wchar_t* Font;
        int Size, Charset;
    } cases[] = {
        // The system's default character set, not the built-in text's "ANSI_CHARSET".
        {nullptr, L"Tahoma", 8, DEFAULT_CHARSET},
        {L"DefaultFont=SimSun\r\nDefaultFontSize=9\r\nDefaultCharset=GB2312_CHARSET", L"SimSun", 9, GB2312_CHARSET},
        {L"DefaultFontSize=big\r\nDefaultCharset=KLINGON_CHARSET", L"Tahoma", 8, DEFAULT_CHARSET},
        {L"DefaultFont=Arial", L"Arial", 8, ANSI_CHARSET},  // no key: the reader's default name
    };
    for (const auto& c : cases) {
        const int row = static_cast<int>(&c - cases);
        if (c.Text) UseFile(L"Font" + std::to_wstring(row) + L".ini", L"[Translation]\r\n" + std::wstring(c.Text));
        EXPECT_EQ(GetLangFontName(), c.Font) << row;
        EXPECT_EQ(GetLangFontSize(), c.Size) << row;
        EXPECT_EQ(GetLangCharset(), c.Charset) << row;
    }
}

TEST_F(LangTest, MatchLangCodeAgainstEnglishOrTheLanguageFile) {
    const struct {
        const wchar_t* List;  // LangCode of the language file; nullptr: none, English's list
        const wchar_t* Code;
        bool Matches;
    } cases[] = {
        {nullptr, L"0C09", true},        // first entry
        {nullptr, L"3009", true},        // after the last "|"
        {nullptr, L"1C09", true},        // written "1c09": compared ignoring case
        {nullptr, L"0409 ", false},      // the code is not trimmed
        {nullptr, L"", false},
        {nullptr, L"0409|0C09", false},  // one entry at a time
        {L"0407|0807|", L"0409", false},  // the file's list replaces the English one
        {L"0407| 0807", L"0807", false},  // entries are not trimmed either
        {L"0407| 0807", L" 0807", true},
    };
    for (const auto& c : cases) {
        const int row = static_cast<int>(&c - cases);
        Reset(dir_.File(L"Codes" + std::to_wstring(row) + L".ini"));
        if (c.List) WriteUtf16File(LangFile, L"[Translation]\r\nLangCode=" + std::wstring(c.List) + L"\r\n");
        EXPECT_EQ(MatchLangCode(c.Code), c.Matches) << row;
    }
}

TEST_F(LangTest, InstalledLanguageFilesAndTheirNames) {
    SetAppDir(dir_.Path());
    fw::TStringList list;
    list.Add(L"stale entry");
    ListLanguageFiles(list);  // no folder
    EXPECT_EQ(list.Count(), 0);

    const std::wstring langs = dir_.File(L"Languages");
    ASSERT_TRUE(CreateDirectoryW(langs.c_str(), nullptr));
    for (const wchar_t* n : {L"espa\u00f1ol.ini", L"english.INI", L"chinese.ini", L"notes.txt", L"backup.ini.bak",
                             L"old.inix"})
        WriteUtf16File(langs + L"\\" + n, L"[Lang]\r\n");
    WriteUtf16File(langs + L"\\Deutsch.ini", L"[Lang]\r\nNativeLanguage=Deutsch (DE)\r\n");
    ASSERT_TRUE(CreateDirectoryW((langs + L"\\Folder.ini").c_str(), nullptr));
    list.Add(L"stale entry");
    ListLanguageFiles(list);
    // Case-insensitive: "chinese" before "Deutsch".
    EXPECT_EQ(list.GetText(), L"chinese\r\nDeutsch\r\nenglish\r\nespa\u00f1ol\r\n");

    EXPECT_EQ(LanguageDisplayName(L"Deutsch"), L"Deutsch (DE)");
    EXPECT_EQ(LanguageDisplayName(L"chinese"), L"chinese");  // no native name in the file
    EXPECT_EQ(LanguageDisplayName(L"Missing"), L"Missing");  // no file
}
