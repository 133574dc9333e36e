// The built-in English text: every key the program's windows, messages and services look up is in
// it with its English text, stored as UTF-16LE with a byte-order mark, and the same text ships as
// Languages\English.ini.
#include <gtest/gtest.h>

#include <algorithm>

#include "PublicFuns.h"
#include "test_support.h"

using namespace testsupport;

namespace {

struct LangKey {
    const wchar_t* section;
    const wchar_t* key;
    // The English text; nullptr for a key the built-in text leaves out on purpose (the reading
    // code's default or the form's own text then stays).
    const wchar_t* english;
};

// Every key the program reads. Code that looks up a new key adds it here.
const LangKey kKeys[] = {
    // settings
    {L"Translation", L"LangCode", L"0C09|2809|1009|2409|4009|1809|2009|4409|1409|3409|4809|1c09|2C09|0809|0409|3009"},
    {L"Translation", L"DefaultFont", L"Tahoma"},
    {L"Translation", L"DefaultFontSize", L"8"},
    {L"Translation", L"DefaultCharset", L"ANSI_CHARSET"},
    {L"Translation", L"Confirm", L"Confirm"},
    {L"Translation", L"LanguageName", L"ENU"},
    {L"Translation", L"ReadHabit", L"Left-to-right"},
    // visible and hidden main window
    {L"Translation", L"TfrmZUBMain.Caption", L"Vesk Reminder"},
    {L"Translation", L"TfrmZUBMain.btnUnfinish.Caption", L"Unfinished"},
    {L"Translation", L"TfrmZUBMain.btnCompleted.Caption", L"Completed"},
    {L"Translation", L"TfrmZUBMain.btnBack.caption", L"Back"},
    {L"Translation", L"TfrmZUBMain.btnDone.Caption", L"Save"},
    {L"Translation", L"TfrmZUBMain.lblRepeat.caption", L"Repeat:"},
    {L"Translation", L"TfrmZUBMain.lblTime.caption", L"Time:"},
    {L"Translation", L"TfrmZUBMain.lblName.caption", L"Description:"},
    {L"Translation", L"TfrmZUBMain.lblDate.caption", L"Date:"},
    {L"Translation", L"TfrmZUBMain.lblVoice.Caption", L"Voice prompts"},
    {L"Translation", L"TfrmZUBMain.lbl2.caption", L"Current Version:%s"},
    {L"Translation", L"TfrmZUBMain.cbPeriod.Item1", L"Once"},
    {L"Translation", L"TfrmZUBMain.cbPeriod.Item2", L"Daily"},
    {L"Translation", L"TfrmZUBMain.cbPeriod.Item3", L"Weekly"},
    {L"Translation", L"TfrmZUBMain.cbPeriod.Item4", L"Monthly"},
    {L"Translation", L"TfrmZUBMain.cbPeriod.Item5", L"Yearly"},
    {L"Translation", L"TfrmZUBMain.cbbVoice.Item1", L"Mute"},
    {L"Translation", L"TfrmZUBMain.cbbVoice.Item2", L"Default"},
    {L"Translation", L"TfrmZUBMain.cbbVoice.Item3", L"Custom"},
    {L"Translation", L"TfrmZUBMain.imgf.hint", L"Follow us on Facebook"},
    {L"Translation", L"TfrmZUBMain.imgt.hint", L"Follow us on Twitter"},
    {L"Translation", L"TfrmZUBMain.imgmail.hint", L"Share it to your friends"},
    {L"Translation", L"TfrmZUBMain.imghome.hint", L"Home Page"},
    {L"Translation", L"TfrmZUBMain.btnDetails.hint_1", L"Details"},
    {L"Translation", L"TfrmZUBMain.btnDetails.hint_2", L"Modify and Recover"},
    {L"Translation", L"TfrmZUBMain.btnDelete.hint_1", L"Mark as finished"},
    {L"Translation", L"TfrmZUBMain.btnDelete.hint_2", L"Delete"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem1", L"Online Help"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem2", L"Forum"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem3", L"Homepage"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem4", L"Contact Us"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem5", L"Check for Updates"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem6", L"Check for News"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem7", L"Language"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem8", L"Run on Startup"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem9", L"About"},
    {L"Translation", L"TfrmZUBMain.TrayMenuItem10", L"Exit"},
    {L"Translation", L"TfrmZUBMain.qzpmn.item1", L"Backup"},
    {L"Translation", L"TfrmZUBMain.qzpmn.item2", L"Restore"},
    {L"Translation", L"GetLang", L"translate to..."},
    {L"Translation", L"msgdlg.btnNO", L"NO"},
    {L"Translation", L"msgdlg.btnYes", L"Yes"},
    {L"Translation", L"msgdlg.btnOk", L"OK"},
    // unit words
    {L"Translation", L"constY", L"Year"},
    {L"Translation", L"constYs", L"Years"},
    {L"Translation", L"constM", L"Month"},
    {L"Translation", L"constMs", L"Months"},
    {L"Translation", L"constD", L"Day"},
    {L"Translation", L"constDs", L"Days"},
    {L"Translation", L"constHH", L"Hour"},
    {L"Translation", L"constHHs", L"Hours"},
    {L"Translation", L"constMM", L"Minute"},
    {L"Translation", L"constMMs", L"Minutes"},
    // notice dialog
    {L"Translation", L"TfrmRemindDlg.Caption", L"Notice"},
    {L"Translation", L"TfrmRemindDlg.Caption_1", L"You have missed some reminders"},
    {L"Translation", L"TfrmRemindDlg.btnComplete.Caption", L"OK I got it"},
    {L"Translation", L"TfrmRemindDlg.btnDelay.Caption", L"Postpone"},
    // about window (looked up with the key spelling of the window's code)
    {L"Translation", L"TfrmAbout.Caption", L"About"},
    {L"Translation", L"TfrmAbout.lblEmail.caption", L"Email Support:"},
    {L"Translation", L"TfrmAbout.lblhome.caption", L"Official Homepage:"},
    {L"Translation", L"TfrmAbout.lblthanks.caption", L"Acknowledgements to the following:"},
    {L"Translation", L"TfrmAbout.lblver.caption", L"Current Version:"},
    // kept for complete language files although nothing reads them
    {L"Translation", L"TfrmZUBMain.CloseHint", L"Close"},
    {L"Translation", L"TfrmZUBMain.MenuHint", L"Menu"},
    {L"Translation", L"TfrmZUBMain.MinHint", L"Minimize"},
    {L"Translation", L"TfrmZUBMain.lbl1.caption", L"Restore"},
    {L"Translation", L"TfrmZUBMain.lbl3.Caption", L"Check for Updates"},
    {L"Translation", L"TfrmAbout.btnOk.Caption", L"OK"},
    {L"Translation", L"constSS", L"Second"},
    {L"Translation", L"constSSs", L"Seconds"},
    // messages (misspelled keys as the program spells them)
    {L"Messages", L"UnkonwFileType", L"Unrecognized sound file!"},
    {L"Messages", L"ExitModify", L"You have unsaved changes. Are you sure to leave this page?"},
    {L"Messages", L"RemindNameNULL", L"Please fill the description of the reminder!"},
    {L"Messages", L"TimeOver", L"You have set a time earlier than the current time!"},
    {L"Messages", L"NoneSelected", L"Please select at least one item!"},
    {L"Messages", L"NewVer", L"Newer version available! Update now?"},
    {L"Messages", L"NoNewVer", L"Congrats! You are using the newest version now."},
    {L"Messages", L"ExitApp",
     L"Are you sure to quit Vesk Reminder? Vesk Reminder's vesk notices will no longer be available then!"},
    {L"Messages", L"NoneReminder", L"You have not set any reminder!"},
    {L"Messages", L"NoneCopmpleted", L"You have no completed reminder!"},
    {L"Messages", L"DamagedDataFile",
     L"Your reminder data file could not be read completely. A copy of it as it was has been kept in %s."},
    {L"Lang", L"NativeLanguage", L"English"},
    // read, but answered by the caller's default or the form's own text
    {L"Translation", L"TfrmZUBMain.OpenWindow", nullptr},
    {L"Message", L"Newsletter", nullptr},
    {L"Translation", L"TfrmZUBMain.btnNew.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.btnTest.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.btnSelFile.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.btnDetails.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.btnDelete.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.btn1.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.btn2.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.btn3.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.btn4.caption", nullptr},
    {L"Translation", L"TfrmZUBMain.txCaption.caption", nullptr},
    {L"Translation", L"TfrmAbout.lblsupport.caption", nullptr},
    {L"Translation", L"TfrmAbout.lblweb.caption", nullptr},
    {L"Translation", L"TfrmAbout.lblverinfo.caption", nullptr},
    {L"Translation", L"TfrmAbout.lbl1.caption", nullptr},
};

class BuiltInText : public ::testing::Test {
protected:
    // No language file: every lookup is answered by the built-in text or the default.
    void SetUp() override { Reset(dir_.File(L"Missing.ini")); }
    void TearDown() override { Reset(L""); }
    static void Reset(const std::wstring& File) {
        LangFile = File;
        LangIni.reset();
        MemLangIni.reset();
    }
    TempDir dir_;
};

const wchar_t kSentinel[] = L"<not in the built-in text>";

}  // namespace

TEST_F(BuiltInText, CarriesEveryKeyTheProgramReads) {
    for (const LangKey& k : kKeys) {
        SCOPED_TRACE(Narrow(std::wstring(k.section) + L"/" + k.key));
        const std::wstring text = GetLangString(k.section, k.key, kSentinel);
        if (k.english)
            EXPECT_EQ(text, k.english);
        else
            EXPECT_EQ(text, kSentinel);  // an icon button must not get a caption from English.ini
    }
    ASSERT_NE(MemLangIni, nullptr);
}

TEST_F(BuiltInText, HoldsNoKeyTheProgramDoesNotKnow) {
    // A key added to English.ini without a reader (a typo in a key name) shows up here.
    LoadMemLang();
    ASSERT_NE(MemLangIni, nullptr);
    fw::TStringList sections, keys;
    MemLangIni->ReadSections(sections);
    int total = 0;
    for (int s = 0; s < sections.Count(); ++s) {
        MemLangIni->ReadSection(sections[s], keys);
        for (int i = 0; i < keys.Count(); ++i, ++total)
            EXPECT_TRUE(std::any_of(std::begin(kKeys), std::end(kKeys), [&](const LangKey& k) {
                return k.english && fw::SameText(k.section, sections[s]) && fw::SameText(k.key, keys[i]);
            })) << Narrow(sections[s] + L"/" + keys[i]);
    }
    EXPECT_EQ(total, std::count_if(std::begin(kKeys), std::end(kKeys), [](const LangKey& k) { return k.english; }));
}

TEST_F(BuiltInText, IsStoredAsUtf16WithBomAndShipsBesideTheProgram) {
    const std::vector<uint8_t> res = ReadResource(L"MemLang");
    ASSERT_GE(res.size(), 4u);
    EXPECT_EQ(res[0], 0xFF);
    EXPECT_EQ(res[1], 0xFE);
    // The committed language file and the copy in the ready folder are the same bytes.
    EXPECT_EQ(ReadFileBytes(SourceDir() + L"\\Languages\\English.ini"), res);
    EXPECT_EQ(ReadFileBytes(BuildDir() + L"\\VeskReminder\\Languages\\English.ini"), res);
}

TEST_F(BuiltInText, EveryValueReadsTheSameThroughTheProfileFunctions) {
    // English.ini is also an ordinary language file: the font routines read it through the
    // Windows profile functions, which must see the same values as the in-memory parser.
    LangFile = SourceDir() + L"\\Languages\\English.ini";
    EXPECT_EQ(GetLangFontName(), L"Tahoma");
    EXPECT_EQ(GetLangFontSize(), 8);
    EXPECT_EQ(GetLangCharset(), ANSI_CHARSET);
    fw::TIniFile ini(LangFile);
    for (const LangKey& k : kKeys) {
        if (!k.english) continue;
        SCOPED_TRACE(Narrow(std::wstring(k.section) + L"/" + k.key));
        EXPECT_EQ(ini.ReadString(k.section, k.key, kSentinel), k.english);
    }
}
