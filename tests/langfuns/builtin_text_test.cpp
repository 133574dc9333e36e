// The built-in English text: every key the program looks up is in it (and no other), stored as UTF-16LE
// with a byte-order mark, and the same text ships as Languages\English.ini.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "PublicFuns.h"
#include "test_support.h"

using namespace testsupport;

namespace {

struct LangKeys {
    const wchar_t* section;
    std::vector<const wchar_t*> keys;
};

// Every key the program reads. Code that looks up a new key adds it here.
const LangKeys kKeys[] = {
    // settings
    {L"Translation", {L"LangCode", L"DefaultFont", L"DefaultFontSize", L"DefaultCharset", L"Confirm", L"LanguageName",
                      L"ReadHabit"}},
    // visible and hidden main window
    {L"Translation", {L"TfrmZUBMain.Caption", L"TfrmZUBMain.btnUnfinish.Caption", L"TfrmZUBMain.btnCompleted.Caption",
                      L"TfrmZUBMain.btnBack.caption", L"TfrmZUBMain.btnDone.Caption", L"TfrmZUBMain.lblRepeat.caption",
                      L"TfrmZUBMain.lblTime.caption", L"TfrmZUBMain.lblName.caption", L"TfrmZUBMain.lblDate.caption",
                      L"TfrmZUBMain.lblVoice.Caption", L"TfrmZUBMain.lbl2.caption", L"TfrmZUBMain.cbPeriod.Item1",
                      L"TfrmZUBMain.cbPeriod.Item2", L"TfrmZUBMain.cbPeriod.Item3", L"TfrmZUBMain.cbPeriod.Item4",
                      L"TfrmZUBMain.cbPeriod.Item5", L"TfrmZUBMain.cbbVoice.Item1", L"TfrmZUBMain.cbbVoice.Item2",
                      L"TfrmZUBMain.cbbVoice.Item3", L"TfrmZUBMain.imgf.hint", L"TfrmZUBMain.imgt.hint",
                      L"TfrmZUBMain.imgmail.hint", L"TfrmZUBMain.imghome.hint", L"TfrmZUBMain.btnDetails.hint_1",
                      L"TfrmZUBMain.btnDetails.hint_2", L"TfrmZUBMain.btnDelete.hint_1",
                      L"TfrmZUBMain.btnDelete.hint_2", L"TfrmZUBMain.TrayMenuItem1", L"TfrmZUBMain.TrayMenuItem2",
                      L"TfrmZUBMain.TrayMenuItem3", L"TfrmZUBMain.TrayMenuItem4", L"TfrmZUBMain.TrayMenuItem5",
                      L"TfrmZUBMain.TrayMenuItem6", L"TfrmZUBMain.TrayMenuItem7", L"TfrmZUBMain.TrayMenuItem8",
                      L"TfrmZUBMain.TrayMenuItem9", L"TfrmZUBMain.TrayMenuItem10", L"TfrmZUBMain.qzpmn.item1",
                      L"TfrmZUBMain.qzpmn.item2", L"GetLang", L"msgdlg.btnNO", L"msgdlg.btnYes", L"msgdlg.btnOk"}},
    // unit words
    {L"Translation", {L"constY", L"constYs", L"constM", L"constMs", L"constD", L"constDs", L"constHH", L"constHHs",
                      L"constMM", L"constMMs"}},
    // notice dialog
    {L"Translation", {L"TfrmRemindDlg.Caption", L"TfrmRemindDlg.Caption_1", L"TfrmRemindDlg.btnComplete.Caption",
                      L"TfrmRemindDlg.btnDelay.Caption"}},
    // about window (looked up with the key spelling of the window's code)
    {L"Translation", {L"TfrmAbout.Caption", L"TfrmAbout.lblEmail.caption", L"TfrmAbout.lblhome.caption",
                      L"TfrmAbout.lblthanks.caption", L"TfrmAbout.lblver.caption"}},
    // kept for complete language files although nothing reads them
    {L"Translation", {L"TfrmZUBMain.CloseHint", L"TfrmZUBMain.MenuHint", L"TfrmZUBMain.MinHint",
                      L"TfrmZUBMain.lbl1.caption", L"TfrmZUBMain.lbl3.Caption", L"TfrmAbout.btnOk.Caption", L"constSS",
                      L"constSSs"}},
    // messages (misspelled keys as the program spells them)
    {L"Messages", {L"UnkonwFileType", L"ExitModify", L"RemindNameNULL", L"TimeOver", L"NoneSelected", L"NewVer",
                   L"NoNewVer", L"ExitApp", L"NoneReminder", L"NoneCopmpleted", L"DamagedDataFile", L"DataFileLocked",
                   L"DataFileNotSaved"}},
    {L"Lang", {L"NativeLanguage"}},
};

// Keys the program reads that the built-in text leaves out on purpose: the reading code's default
// or the form's own text then stays.
const LangKeys kDefaultOnly[] = {
    {L"Translation", {L"TfrmZUBMain.OpenWindow"}},
    {L"Message", {L"Newsletter"}},
    {L"Translation", {L"TfrmZUBMain.btnNew.caption", L"TfrmZUBMain.btnTest.caption", L"TfrmZUBMain.btnSelFile.caption",
                      L"TfrmZUBMain.btnDetails.caption", L"TfrmZUBMain.btnDelete.caption", L"TfrmZUBMain.btn1.caption",
                      L"TfrmZUBMain.btn2.caption", L"TfrmZUBMain.btn3.caption", L"TfrmZUBMain.btn4.caption",
                      L"TfrmZUBMain.txCaption.caption", L"TfrmAbout.lblsupport.caption", L"TfrmAbout.lblweb.caption",
                      L"TfrmAbout.lblverinfo.caption", L"TfrmAbout.lbl1.caption"}},
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

TEST_F(BuiltInText, CarriesEveryKeyTheProgramReadsAndNoOther) {
    int known = 0;
    for (const LangKeys& group : kKeys)
        for (const wchar_t* key : group.keys) {
            SCOPED_TRACE(Narrow(std::wstring(group.section) + L"/" + key));
            const std::wstring text = GetLangString(group.section, key, kSentinel);
            EXPECT_NE(text, kSentinel);
            EXPECT_FALSE(text.empty());
            ++known;
        }
    // An icon button must not get a caption from English.ini.
    for (const LangKeys& group : kDefaultOnly)
        for (const wchar_t* key : group.keys) EXPECT_EQ(GetLangString(group.section, key, kSentinel), kSentinel);
    ASSERT_NE(MemLangIni, nullptr);

    // A key added to English.ini without a reader (a typo in a key name) shows up here.
    fw::TStringList sections, keys;
    MemLangIni->ReadSections(sections);
    int total = 0;
    for (int s = 0; s < sections.Count(); ++s) {
        MemLangIni->ReadSection(sections[s], keys);
        for (int i = 0; i < keys.Count(); ++i, ++total)
            EXPECT_TRUE(std::any_of(std::begin(kKeys), std::end(kKeys), [&](const LangKeys& group) {
                return fw::SameText(group.section, sections[s]) &&
                       std::any_of(group.keys.begin(), group.keys.end(),
                                   [&](const wchar_t* key) { return fw::SameText(key, keys[i]); });
            })) << Narrow(sections[s] + L"/" + keys[i]);
    }
    EXPECT_EQ(total, known);
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
    const std::wstring file = SourceDir() + L"\\Languages\\English.ini";
    fw::TIniFile ini(file);
    for (const LangKeys& group : kKeys)
        for (const wchar_t* key : group.keys)
            EXPECT_EQ(ini.ReadString(group.section, key, kSentinel), GetLangString(group.section, key, L""))
                << Narrow(key);
    LangFile = file;
    EXPECT_EQ(GetLangFontName(), L"Tahoma");
    EXPECT_EQ(GetLangFontSize(), 8);
    EXPECT_EQ(GetLangCharset(), ANSI_CHARSET);
}
