// The visible window's frame: its two menus (items, commands, checks and the language submenu),
// switching the language at run time, backup and restore through the file dialogs, the link
// buttons, the shortcuts, minimising and closing, and the online services it starts through its
// hooks. Some cases run with the hidden main window, which executes the menu commands and ends
// the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "PublicFuns.h"
#include "fw_dialogs.h"
#include "fw_inifiles.h"
#include "fake_online_services.h"
#include "fw_registry.h"
#include "skin_support.h"
#include "test_support.h"
#include "uAbout.h"
#include "uMain.h"
#include "uMainForm.h"
#include "uRemindDlg.h"

using namespace testsupport;

namespace {

struct Launch {
    HWND owner;
    std::wstring verb, file, params;
};

void WriteLangFile(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

// A store that refuses saves holding one section, or one value, as a full disk would.
class RefusingStore : public TRemindFile {
public:
    explicit RefusingStore(const std::wstring& FileName) : TRemindFile(FileName) {
        FileWriter = [this](const std::wstring& f, const std::vector<uint8_t>& b) {
            fw::TEncoding e;
            const std::wstring text = fw::DecodeText(b.data(), b.size(), e);
            const bool refused =
                (!refuseSection.empty() && text.find(L"[" + refuseSection + L"]") != std::wstring::npos) ||
                (!refuseValue.empty() && text.find(L"=" + refuseValue + L"\r\n") != std::wstring::npos);
            return !refused && WriteFileAtomically(f, b);
        };
    }
    std::wstring refuseSection, refuseValue;
};

// The main window's seams.
std::vector<UINT> gEnded;
std::wstring NoParam() { return L""; }
bool Taskbar() { return true; }
void FakeEnd(UINT code) { gEnded.push_back(code); }
BOOL WINAPI FakeNotifyIcon(DWORD, PNOTIFYICONDATAW) { return TRUE; }

void DrainQuit() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    fw::Application->ClearTerminated();
}

// The application's own message handling (with its message hook) for Ms milliseconds.
void AppPump(DWORD Ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < Ms) {
        fw::Application->ProcessMessages();
        Sleep(5);
    }
}

bool LoopEnds(DWORD Ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        fw::Application->ProcessMessages();
        if (fw::Application->GetTerminated()) return true;
        if (GetTickCount() - start > Ms) return false;
        Sleep(10);
    }
}

// The Run value, saved before a test changes it and put back afterwards.
class RunValueGuard {
public:
    RunValueGuard() {
        fw::TRegistry reg(KEY_READ);
        reg.SetRootKey(HKEY_CURRENT_USER);
        if (reg.OpenKeyReadOnly(RunKeyPath) && reg.ValueExists(RunValueName)) {
            had_ = true;
            value_ = reg.ReadString(RunValueName);
        }
    }
    ~RunValueGuard() { Set(had_, value_); }
    static void Set(bool exists, const std::wstring& value = L"x") {
        fw::TRegistry reg(KEY_ALL_ACCESS);
        reg.SetRootKey(HKEY_CURRENT_USER);
        if (!reg.OpenKey(RunKeyPath, true)) return;
        if (exists)
            reg.WriteString(RunValueName, value);
        else if (reg.ValueExists(RunValueName))
            reg.DeleteValue(RunValueName);
    }

private:
    bool had_ = false;
    std::wstring value_;
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        DrainQuit();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { errors_.push_back(e.Message); };
        Config = TConfig{};
        savedAppData_ = AppDataDir;
        AppDataDir = dir_.Path() + L"\\";
        SetAppDir(dir_.Path() + L"\\");
        CreateDirectoryW(dir_.File(L"Languages").c_str(), nullptr);
        WriteLangFile(dir_.File(L"Languages\\English.ini"), L"[Lang]\r\nNativeLanguage=English\r\n");
        WriteLangFile(dir_.File(L"Languages\\EnglishUK.ini"), L"[Lang]\r\nNativeLanguage=English (UK)\r\n");
        WriteLangFile(dir_.File(L"Languages\\Deutsch.ini"),
                      L"[Translation]\r\n"
                      L"DefaultFont=Arial\r\n"
                      L"DefaultFontSize=10\r\n"
                      L"DefaultCharSet=EASTEUROPE_CHARSET\r\n"
                      L"TfrmZUBMain.Caption=Vesk Erinnerung\r\n"
                      L"TfrmZUBMain.btnUnfinish.Caption=Offen\r\n"
                      L"TfrmZUBMain.lbl2.caption=Version %s installiert\r\n"
                      L"TfrmZUBMain.cbPeriod.Item1=Einmal\r\n"
                      L"TfrmZUBMain.cbPeriod.Item3=Woechentlich\r\n"
                      L"constDs=Tage\r\n"
                      L"TfrmZUBMain.cbbVoice.Item1=Stumm\r\n"
                      L"TfrmZUBMain.TrayMenuItem1=Hilfe\r\n"
                      L"TfrmZUBMain.TrayMenuItem3=Startseite\r\n"
                      L"TfrmZUBMain.qzpmn.item1=Sichern\r\n"
                      L"TfrmZUBMain.imgf.hint=Facebook-Seite\r\n"
                      L"msgdlg.btnYes=Ja\r\n"
                      L"[Lang]\r\nNativeLanguage=Deutsch\r\n");
        LangFile = dir_.File(L"Languages\\English.ini");
        LangIni.reset();
        MemLangIni.reset();
        savedComposition_ = NcCompositionEnabledProc;
        savedAllow_ = NcAllowNcPaintProc;
        NcCompositionEnabledProc = [] { return false; };
        NcAllowNcPaintProc = [](HWND) {};
        MessageDlgProc = [this](TVeskMsgBox*, const std::wstring&, const std::wstring& msg, uint8_t, TMsgDlgButtons) {
            asked_.push_back(msg);
            if (answers_.empty()) return static_cast<int>(fw::mrOk);
            const int a = answers_.front();
            answers_.pop_front();
            return a;
        };
        SetTaskbarRectSource([](RECT& r) {
            r = RECT{0, 560, 800, 600};
            return true;
        });
        SetShellLauncher([this](HWND owner, const std::wstring& verb, const std::wstring& file,
                                const std::wstring& params, int) { launched_.push_back({owner, verb, file, params}); });
        SetShareMailLauncher([this](HWND owner, const std::wstring& verb, const std::wstring& file) {
            mailed_.push_back({owner, verb, file, L""});
        });
        SetWindowsVersionSource([](DWORD& major, DWORD& minor) {
            major = 6;
            minor = 1;
        });
        file_ = dir_.File(L"data.dat");
    }
    void TearDown() override {
        if (main_ && mainAlive_ && *mainAlive_) main_->Free();
        main_ = nullptr;
        if (frmView) frmView->Free();
        if (frmRemindDlg) frmRemindDlg->Free();
        if (store_) RemindFile = nullptr;
        store_.reset();
        DrainQuit();
        FirstParamSource = savedParam_;
        TaskbarExistsProc = savedTaskbar_;
        EndProcessProc = savedEnd_;
        if (savedNotify_) ShellNotifyIconProc = savedNotify_;
        fw::SetFileDialogHandler(nullptr);
        SetShellLauncher(nullptr);
        SetShareMailLauncher(nullptr);
        SetWindowsVersionSource(nullptr);
        SetTaskbarRectSource(nullptr);
        ResetMessageDlgProc();
        NcCompositionEnabledProc = savedComposition_;
        NcAllowNcPaintProc = savedAllow_;
        SetAppDir(L"");
        AppDataDir = savedAppData_;
        LangIni.reset();
        fw::Application->OnException = nullptr;
        EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : Narrow(errors_[0]));
    }

    // The window alone, on a store of the test's own.
    TfrmView* Open(bool show = true) {
        if (!store_) {
            store_ = std::make_unique<TRemindFile>(file_);
            RemindFile = store_.get();
        }
        TfrmView* v = fw::TForm::CreateForm<TfrmView>(nullptr);
        if (show) v->Show();
        PumpMessagesFor(30);
        return v;
    }
    // The hidden main window, which opens its own store and makes the window.
    TfrmZUBMain* OpenMain() {
        savedParam_ = FirstParamSource;
        savedTaskbar_ = TaskbarExistsProc;
        savedEnd_ = EndProcessProc;
        savedNotify_ = ShellNotifyIconProc;
        FirstParamSource = NoParam;
        TaskbarExistsProc = Taskbar;
        EndProcessProc = FakeEnd;
        ShellNotifyIconProc = FakeNotifyIcon;
        fw::Application->CreateForm(main_);
        mainAlive_ = main_->AliveToken();
        PumpMessagesFor(30);
        return main_;
    }
    TRmRecordStruct* Add(const std::wstring& name, double end = 0) {
        auto* r = new TRmRecordStruct;
        r->Name = name;
        // From one base time, so that a record added again with the same counter lands in the
        // same section however long the test took in between.
        r->CreateDateTime = base_ + 0.001 * (++created_);
        r->LastTime = r->CreateDateTime;
        r->Period = 1;
        r->WakeTime = 0.99;
        r->EndTime = end;
        r->SetDate(static_cast<int>(fw::Now()) + 1);
        RemindFile->AddRecord(r);
        return r;
    }
    // Opens the store in the main window's data file (to fill it before the main window opens).
    void StoreForMain(const std::wstring& name, double end) {
        const std::wstring folder = dir_.Path() + L"\\Vesk_Reminder\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        TRemindFile store(folder + L"vk_rmind_data.dat");
        RemindFile = &store;
        Add(name, end);
        RemindFile = nullptr;
        Config = TConfig{};
    }
    static std::vector<std::wstring> Captions(const std::vector<TVeskMenuItem*>& items) {
        std::vector<std::wstring> c;
        for (auto* i : items) c.push_back(i->GetCaption());
        return c;
    }
    static TVeskMenuItem* ByTag(TVeskPopupMenu* menu, int tag) {
        for (auto* i : menu->GetItems())
            if (i->GetTag() == tag && !i->IsLine()) return i;
        return nullptr;
    }
    static TVeskMenuItem* Language(TfrmView* v, const std::wstring& name) {
        for (auto* i : ByTag(v->ppmTrayIcon, mcLanguage)->GetItems())
            if (v->LanguageOfItem(i) == name) return i;
        return nullptr;
    }
    // The file dialogs answer with Name (empty: cancelled) and report the flags they were shown with.
    void AnswerDialogs(const std::wstring& name) {
        fw::SetFileDialogHandler([this, name](OPENFILENAMEW& ofn, bool save) {
            dialogs_.push_back({save, ofn.Flags});
            filters_.push_back(std::wstring(ofn.lpstrFilter, ofn.lpstrFilter + 24));
            if (name.empty()) return false;
            wcsncpy(ofn.lpstrFile, name.c_str(), ofn.nMaxFile - 1);
            return true;
        });
    }

    TempDir dir_;
    TFakeOnlineServices online_;
    std::wstring file_;
    std::unique_ptr<TRemindFile> store_;
    TfrmZUBMain* main_ = nullptr;
    std::shared_ptr<bool> mainAlive_;
    std::vector<std::wstring> errors_, asked_, filters_;
    std::deque<int> answers_;
    std::vector<Launch> launched_, mailed_;
    std::vector<std::pair<bool, DWORD>> dialogs_;
    int created_ = 0;
    const fw::TDateTime base_ = fw::Now() - 10;
    std::wstring savedAppData_;
    TFirstParamSource savedParam_ = FirstParamSource;
    TTaskbarExistsProc savedTaskbar_ = TaskbarExistsProc;
    TEndProcessProc savedEnd_ = EndProcessProc;
    TShellNotifyIconProc savedNotify_ = nullptr;
    TNcCompositionProc savedComposition_ = nullptr;
    TNcAllowNcPaintProc savedAllow_ = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The menus.

TEST_F(FrameTest, WindowMenuHasItsItemsInOrderWithTagsAndTheF1Shortcut) {
    TfrmView* v = Open();
    const auto& items = v->ppmTrayIcon->GetItems();
    EXPECT_EQ(Captions(items), (std::vector<std::wstring>{L"Online Help", L"Forum", L"Homepage", L"Contact Us", L"-",
                                                          L"Check for Updates", L"Check for News", L"Language", L"-",
                                                          L"Run on Startup", L"About", L"Exit"}));
    std::vector<intptr_t> tags;
    for (auto* i : items) tags.push_back(i->GetTag());
    EXPECT_EQ(tags, (std::vector<intptr_t>{1, 2, 3, 4, 0, 5, 6, 7, 0, 8, 9, 10}));
    EXPECT_EQ(items[0]->GetShortCut(), fw::TextToShortCut(L"F1"));
    ASSERT_EQ(v->ppmTrayIcon->GetShortCutItems().size(), 1u);
    EXPECT_EQ(v->ppmTrayIcon->GetShortCutItems()[0], items[0]);
    for (auto* i : items) EXPECT_EQ(static_cast<bool>(i->OnClick), !i->IsLine());

    EXPECT_EQ(Captions(v->qzpmn1->GetItems()), (std::vector<std::wstring>{L"Backup", L"Restore"}));
    EXPECT_EQ(v->qzpmn1->GetItem(0)->GetTag(), 1);
    EXPECT_EQ(v->qzpmn1->GetItem(1)->GetTag(), 2);
    EXPECT_EQ(v->ppmTrayIcon->GetItemHeight(), 25);
    EXPECT_EQ(v->qzpmn1->GetMinWidth(), 180);
}

TEST_F(FrameTest, ChecksFollowTheSettingsAndTheRunValue) {
    RunValueGuard guard;
    for (bool on : {true, false}) {
        // The settings as the store loaded them, then changed.
        store_ = std::make_unique<TRemindFile>(file_);
        RemindFile = store_.get();
        Config.AutoUpdate = on;
        Config.CheckNews = !on;
        RunValueGuard::Set(on);
        TfrmView* v = Open();
        EXPECT_EQ(ByTag(v->ppmTrayIcon, mcAutoUpdate)->GetChecked(), on);
        EXPECT_EQ(ByTag(v->ppmTrayIcon, mcCheckNews)->GetChecked(), !on);
        EXPECT_EQ(ByTag(v->ppmTrayIcon, mcStartWithWindows)->GetChecked(), on);
        v->Free();
    }
}

TEST_F(FrameTest, LanguageSubmenuListsTheFilesAndMarksOnlyTheActiveOne) {
    TfrmView* v = Open();
    TVeskMenuItem* lang = ByTag(v->ppmTrayIcon, mcLanguage);
    ASSERT_EQ(lang->Count(), 4);
    EXPECT_EQ(Captions(lang->GetItems()),
              (std::vector<std::wstring>{L"Deutsch", L"English", L"English (UK)", L"translate to..."}));
    std::vector<bool> checked;
    for (auto* i : lang->GetItems()) checked.push_back(i->GetChecked());
    // "English" is also part of "EnglishUK": only the file itself counts.
    EXPECT_EQ(checked, (std::vector<bool>{false, true, false, false}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(lang->GetItem(i)->GetRadioItem());
        EXPECT_TRUE(lang->GetItem(i)->GetAutoCheck());
        EXPECT_EQ(lang->GetItem(i)->GetGroupIndex(), lang->GetItem(0)->GetGroupIndex());
    }
    EXPECT_EQ(lang->GetItem(3)->GetTag(), TranslateItemTag);
    EXPECT_FALSE(lang->GetItem(3)->GetRadioItem());
    EXPECT_EQ(v->LanguageOfItem(lang->GetItem(2)), L"EnglishUK");
}

TEST_F(FrameTest, SwitchingTheLanguageTranslatesEverythingAtOnceAndSavesIt) {
    TfrmView* v = Open();
    v->cbPeriod->SetIndex(0);
    v->ppmTrayIcon->ItemClick(Language(v, L"Deutsch"));
    EXPECT_EQ(Config.Language, L"Deutsch");
    EXPECT_EQ(fw::TIniFile(file_).ReadString(L"CONFIG", L"Language", L""), L"Deutsch");
    EXPECT_EQ(LangFile, AppDir() + L"Languages\\Deutsch.ini");
    EXPECT_EQ(v->GetCaption(), L"Vesk Erinnerung");
    EXPECT_EQ(v->btnUnfinish->GetCaption(), L"Offen");
    EXPECT_EQ(v->txCaption->GetCaption(), L"Offen");
    EXPECT_EQ(v->btnCompleted->GetCaption(), L"Completed");  // no key in the file: English
    EXPECT_EQ(v->cbPeriod->GetItem(0)->GetCaption(), L"Einmal");
    EXPECT_EQ(v->cbPeriod->GetItem(1)->GetCaption(), L"Daily");
    EXPECT_EQ(v->cbPeriod->GetIndex(), 0);
    EXPECT_EQ(v->cbbVoice->GetItem(0)->GetCaption(), L"Stumm");
    EXPECT_EQ(v->msgdlg->GetBtnCaptionYes(), L"Ja");
    EXPECT_EQ(v->btn1->GetHint(), L"Facebook-Seite");
    EXPECT_EQ(v->lbl2->GetCaption(), L"Version " + AppVersionText() + L" installiert");
    EXPECT_EQ(v->ppmTrayIcon->GetItem(0)->GetCaption(), L"Hilfe");
    EXPECT_EQ(v->ppmTrayIcon->GetItem(0)->GetShortCut(), fw::TextToShortCut(L"F1"));
    EXPECT_EQ(v->qzpmn1->GetItem(0)->GetCaption(), L"Sichern");
    EXPECT_TRUE(Language(v, L"Deutsch")->GetChecked());
    EXPECT_FALSE(Language(v, L"English")->GetChecked());
    EXPECT_EQ(v->ppmTrayIcon->GetShortCutItems().size(), 1u);
}

TEST_F(FrameTest, SwitchingTheLanguageTakesItsFontAndBackAgainRestoresEnglish) {
    TfrmView* v = Open();
    v->cbbVoice->SetIndex(1);
    v->ppmTrayIcon->ItemClick(Language(v, L"Deutsch"));
    EXPECT_EQ(v->GetFont()->GetName(), L"Arial");
    EXPECT_EQ(v->GetFont()->GetSize(), 10);
    EXPECT_EQ(v->GetFont()->GetCharset(), EASTEUROPE_CHARSET);
    for (fw::TFont* f : {v->btnUnfinish->GetFontNormal(), v->btnUnfinish->GetFontOver(), v->btnCompleted->GetFontDown(),
                         v->btnNew->GetFontSelect(), v->lbl2->GetFont()}) {
        EXPECT_EQ(f->GetName(), L"Arial");
        EXPECT_EQ(f->GetSize(), 10);
        EXPECT_EQ(f->GetCharset(), EASTEUROPE_CHARSET);
    }
    EXPECT_EQ(v->txCaption->GetFont()->GetName(), L"Arial");
    EXPECT_EQ(v->txCaption->GetFont()->GetSize(), 12);
    EXPECT_EQ(v->btnUnfinish->GetFontNormal()->GetColor(), fw::clWhite);
    EXPECT_EQ(v->btnCompleted->GetFontNormal()->GetColor(), fw::clWhite);
    // Keys the file lacks keep the built-in English words.
    EXPECT_EQ(v->msgdlg->GetBtnCaptionNo(), L"NO");
    EXPECT_EQ(v->msgdlg->GetBtnCaptionOk(), L"OK");
    EXPECT_EQ(v->cbbVoice->GetItem(1)->GetCaption(), L"Default");
    EXPECT_EQ(v->cbbVoice->GetIndex(), 1);
    EXPECT_EQ(v->ppmTrayIcon->GetItem(1)->GetCaption(), L"Forum");
    EXPECT_EQ(v->qzpmn1->GetItem(1)->GetCaption(), L"Restore");

    // Back again: the version line is formatted anew, not left with the German text.
    v->ppmTrayIcon->ItemClick(Language(v, L"English"));
    EXPECT_EQ(Config.Language, L"English");
    EXPECT_EQ(v->GetCaption(), L"Vesk Reminder");
    EXPECT_EQ(v->btnUnfinish->GetCaption(), L"Unfinished");
    EXPECT_EQ(v->lbl2->GetCaption(), L"Current Version:" + AppVersionText());
    EXPECT_EQ(v->ppmTrayIcon->GetItem(0)->GetCaption(), L"Online Help");
    EXPECT_EQ(v->msgdlg->GetBtnCaptionYes(), L"Yes");
    EXPECT_EQ(v->GetFont()->GetName(), L"Tahoma");
    EXPECT_EQ(v->btnUnfinish->GetFontNormal()->GetSize(), 8);
    EXPECT_TRUE(Language(v, L"English")->GetChecked());
    EXPECT_FALSE(Language(v, L"Deutsch")->GetChecked());
}

TEST_F(FrameTest, ALanguageWhoseSettingCannotBeWrittenIsStillSwitchedAndTheFailureReported) {
    auto refusing = std::make_unique<RefusingStore>(file_);
    refusing->refuseSection = L"CONFIG";
    RefusingStore* s = refusing.get();
    store_ = std::move(refusing);
    RemindFile = store_.get();
    TfrmView* v = Open();
    TVeskMenuItem* deutsch = Language(v, L"Deutsch");
    deutsch->SetChecked(true);  // as the menu's auto-check leaves it
    EXPECT_THROW(v->LanguageItemClick(deutsch), fw::Exception);
    EXPECT_EQ(LangFile, AppDir() + L"Languages\\Deutsch.ini");
    EXPECT_EQ(v->btnUnfinish->GetCaption(), L"Offen");
    EXPECT_TRUE(Language(v, L"Deutsch")->GetChecked());
    s->refuseSection.clear();
}

TEST_F(FrameTest, ClickingTheActiveLanguageChangesNothing) {
    TfrmView* v = Open();
    const std::wstring before = LangFile;
    Config.Language = L"English";
    TVeskMenuItem* english = Language(v, L"English");
    v->ppmTrayIcon->ItemClick(english);
    EXPECT_FALSE(english->GetChecked());
    EXPECT_EQ(LangFile, before);
    EXPECT_EQ(Config.Language, L"English");
    EXPECT_FALSE(fw::TIniFile(file_).ValueExists(L"CONFIG", L"Language"));
    EXPECT_EQ(v->btnUnfinish->GetCaption(), L"Unfinished");
}

TEST_F(FrameTest, TranslateItemOpensTheTranslationPageWithoutOwner) {
    TfrmView* v = Open();
    v->ppmTrayIcon->ItemClick(ByTag(v->ppmTrayIcon, mcLanguage)->GetItem(3));
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(launched_[0].owner, nullptr);
    EXPECT_EQ(launched_[0].file, TranslatePageUrl);
    EXPECT_EQ(Config.Language, L"English");
}

TEST_F(FrameTest, CaptionButtonsOpenTheirMenus) {
    TfrmView* v = Open();
    v->VeskNcPaintor1ButtonClick(v->VeskNcPaintor1, vnbClose);
    EXPECT_FALSE(v->ppmTrayIcon->GetShown());
    EXPECT_FALSE(v->qzpmn1->GetShown());
    v->SetBounds(40, 30, v->GetWidth(), v->GetHeight());
    // Each menu opens at its button's left edge, where the caption bar ends below it.
    auto under = [v](TVeskNcBtnEnum button) {
        const fw::TRect r = v->VeskNcPaintor1->GetBtnRect(button);
        POINT p{r.Left, r.Bottom - v->VeskNcPaintor1->GetResource()->GetFormCaption()->GetHeight()};
        ClientToScreen(v->GetHandle(), &p);
        return p;
    };
    ASSERT_NE(under(vnbMenu).x, under(vnbSkin).x);
    v->VeskNcPaintor1ButtonClick(v->VeskNcPaintor1, vnbMenu);
    EXPECT_TRUE(v->ppmTrayIcon->GetShown());
    EXPECT_FALSE(v->qzpmn1->GetShown());
    ASSERT_NE(v->ppmTrayIcon->GetLevelForm(1), nullptr);
    EXPECT_EQ(v->ppmTrayIcon->GetLevelForm(1)->GetLeft(), under(vnbMenu).x);
    EXPECT_EQ(v->ppmTrayIcon->GetLevelForm(1)->GetTop(), under(vnbMenu).y);
    v->ppmTrayIcon->CloseMenu();
    v->VeskNcPaintor1ButtonClick(v->VeskNcPaintor1, vnbSkin);
    EXPECT_TRUE(v->qzpmn1->GetShown());
    ASSERT_NE(v->qzpmn1->GetLevelForm(1), nullptr);
    EXPECT_EQ(v->qzpmn1->GetLevelForm(1)->GetLeft(), under(vnbSkin).x);
    EXPECT_EQ(v->qzpmn1->GetLevelForm(1)->GetTop(), under(vnbSkin).y);
    v->qzpmn1->CloseMenu();
}

// ---------------------------------------------------------------------------------------------
// Backup and restore.

TEST_F(FrameTest, BackupWritesACopyWithoutTheSettings) {
    TfrmView* v = Open();
    Add(L"one");
    RemindFile->SaveConfig();
    const std::wstring backup = dir_.File(L"backup.dat");
    AnswerDialogs(L"");
    v->FileMenuClick(v->qzpmn1->GetItem(0));
    EXPECT_FALSE(fw::FileExists(backup));
    AnswerDialogs(backup);
    v->FileMenuClick(v->qzpmn1->GetItem(0));
    ASSERT_EQ(dialogs_.size(), 2u);
    EXPECT_TRUE(dialogs_[1].first);
    EXPECT_TRUE(dialogs_[1].second & OFN_OVERWRITEPROMPT);
    EXPECT_EQ(filters_[1].substr(0, 18), std::wstring(L"Vesk Reminder Data"));
    fw::TIniFile copy(backup);
    EXPECT_FALSE(copy.SectionExists(L"CONFIG"));
    EXPECT_TRUE(copy.ValueExists(L"BACKUP", L"BACKTIME"));
    EXPECT_EQ(TRemindFile(backup).Records.size(), 1u);
}

TEST_F(FrameTest, BackupOntoTheDataFileItselfIsRefused) {
    TfrmView* v = Open();
    Add(L"one");
    Config.Language = L"Deutsch";
    RemindFile->SaveConfig();
    const auto before = ReadFileBytes(file_);
    // The same file, spelt in other case.
    AnswerDialogs(fw::UpperCase(file_));
    v->FileMenuClick(v->qzpmn1->GetItem(0));
    EXPECT_EQ(ReadFileBytes(file_), before);
    EXPECT_EQ(fw::TIniFile(file_).ReadString(L"CONFIG", L"Language", L""), L"Deutsch");
}

TEST_F(FrameTest, RestoreAddsOnlyNewRemindersAndListsThemAtOnce) {
    const std::wstring backup = dir_.File(L"backup.dat");
    {
        TRemindFile other(backup);
        RemindFile = &other;
        Add(L"shared");
        Add(L"new one");
        RemindFile = nullptr;
    }
    store_ = std::make_unique<TRemindFile>(file_);
    RemindFile = store_.get();
    created_ = 0;
    TRmRecordStruct* shared = Add(L"shared");  // the same creation time: the same section
    TfrmView* v = Open();
    ASSERT_EQ(v->lbData->Count(), 1);
    AnswerDialogs(backup);
    v->FileMenuClick(v->qzpmn1->GetItem(1));
    ASSERT_EQ(dialogs_.size(), 1u);
    EXPECT_FALSE(dialogs_[0].first);
    EXPECT_TRUE(dialogs_[0].second & OFN_FILEMUSTEXIST);
    ASSERT_EQ(RemindFile->Records.size(), 2u);
    EXPECT_EQ(RemindFile->Records[0], shared);
    EXPECT_EQ(RemindFile->Records[1]->Name, L"new one");
    EXPECT_EQ(v->lbData->Count(), 2);
    EXPECT_TRUE(asked_.empty());
}

TEST_F(FrameTest, ARestoreStoppedByARefusedSaveAddsNothingAndTheListSaysSo) {
    const std::wstring backup = dir_.File(L"backup.dat");
    {
        TRemindFile other(backup);
        RemindFile = &other;
        Add(L"first");
        Add(L"second");
        RemindFile = nullptr;
    }
    auto refusing = std::make_unique<RefusingStore>(file_);
    refusing->refuseValue = L"second";
    store_ = std::move(refusing);
    RemindFile = store_.get();
    TfrmView* v = Open();
    AnswerDialogs(backup);
    EXPECT_THROW(v->FileMenuClick(v->qzpmn1->GetItem(1)), fw::Exception);
    EXPECT_TRUE(RemindFile->Records.empty());  // the restore is saved whole or not at all
    EXPECT_EQ(v->lbData->Count(), 0);
}

TEST_F(FrameTest, RestoreWithTheEditorOpenRenewsTheListWithoutAsking) {
    const std::wstring backup = dir_.File(L"backup.dat");
    {
        TRemindFile other(backup);
        RemindFile = &other;
        Add(L"restored");
        RemindFile = nullptr;
    }
    TfrmView* v = Open();
    v->btnNewClick(v->btnNew);
    ASSERT_TRUE(v->EditorShown());
    AnswerDialogs(backup);
    v->FileMenuClick(v->qzpmn1->GetItem(1));
    EXPECT_TRUE(asked_.empty());
    EXPECT_TRUE(v->EditorShown());
    EXPECT_EQ(v->lbData->Count(), 1);
}

// ---------------------------------------------------------------------------------------------
// Links, hooks, showing and closing.

TEST_F(FrameTest, LinkButtonsOpenTheirPagesAndTheShareMail) {
    TfrmView* v = Open();
    for (TVeskPngButton* b : {v->btn1, v->btn2, v->btn4}) b->OnClick(b);
    ASSERT_EQ(launched_.size(), 3u);
    EXPECT_EQ(launched_[0].file, FacebookPageUrl);
    EXPECT_EQ(launched_[1].file, TwitterPageUrl);
    EXPECT_EQ(launched_[2].file, HomePageUrl);
    for (const Launch& l : launched_) EXPECT_EQ(l.owner, v->GetHandle());
    EXPECT_TRUE(mailed_.empty());
    v->btn3->OnClick(v->btn3);
    EXPECT_EQ(launched_.size(), 3u);
    ASSERT_EQ(mailed_.size(), 1u);
    EXPECT_EQ(mailed_[0].verb, L"open");
    // Subject and body are percent-encoded: nothing a mail handler's command line would cut at.
    const std::wstring& mail = mailed_[0].file;
    EXPECT_EQ(mail.find_first_of(L" \"<>"), std::wstring::npos) << mail;
    const std::wstring head = L"mailto:?subject=";
    ASSERT_EQ(mail.rfind(head, 0), 0u);
    const size_t body = mail.find(L"&body=");
    ASSERT_NE(body, std::wstring::npos);
    auto decode = [](const std::wstring& s) {
        std::string bytes;
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == L'%' && i + 2 < s.size()) {
                bytes += static_cast<char>(std::stoi(fw::WideToUtf8(s.substr(i + 1, 2)), nullptr, 16));
                i += 2;
            } else {
                bytes += static_cast<char>(s[i]);
            }
        }
        return fw::Utf8ToWide(bytes);
    };
    EXPECT_EQ(decode(mail.substr(head.size(), body - head.size())), L"Please Try Vesk Reminder!");
    const std::wstring text = decode(mail.substr(body + 6));
    EXPECT_EQ(text.rfind(L"<a href=\"" + std::wstring(ProductPageUrl) + L"\">Please Try Vesk Reminder!</a> ", 0), 0u);
    EXPECT_NE(text.find(L"Great freeware!."), std::wstring::npos);
}

TEST_F(FrameTest, OnlineServicesAreStartedWithTheWindow) {
    Config.AutoUpdate = true;
    TfrmView* v = Open(false);
    ASSERT_EQ(online_.ads.size(), 1u);
    EXPECT_EQ(online_.ads[0].first, v->imgad);
    EXPECT_EQ(online_.ads[0].second, v);
    EXPECT_EQ(online_.boxes, (std::vector<TVeskMsgBox*>{v->msgdlg}));
    EXPECT_TRUE(online_.updates.empty());  // not shown yet
    v->Show();
    v->Hide();
    v->Show();
    EXPECT_EQ(online_.updates, (std::vector<bool>{true, true}));
    Config.AutoUpdate = false;
    v->Hide();
    v->Show();
    EXPECT_EQ(online_.updates.size(), 2u);
    EXPECT_EQ(online_.ads.size(), 1u);
}

TEST_F(FrameTest, AdvertisementPanelEventsReachTheOnlineServices) {
    TfrmView* v = Open();
    v->imgad->OnClick(v->imgad);
    v->imgad->OnMouseEnter(v->imgad);
    v->imgad->OnMouseLeave(v->imgad);
    online_.panel.erase(std::remove_if(online_.panel.begin(), online_.panel.end(), [](auto& p) { return p.first == 4; }),
                       online_.panel.end());
    v->imgad->Repaint();
    PumpMessagesFor(20);
    ASSERT_GE(online_.panel.size(), 4u);
    EXPECT_EQ(online_.panel[0], std::make_pair(1, static_cast<fw::TObject*>(v->imgad)));
    EXPECT_EQ(online_.panel[1], std::make_pair(2, static_cast<fw::TObject*>(v->imgad)));
    EXPECT_EQ(online_.panel[2], std::make_pair(3, static_cast<fw::TObject*>(v->imgad)));
    EXPECT_EQ(online_.panel[3], std::make_pair(4, static_cast<fw::TObject*>(v->imgad)));
}

TEST_F(FrameTest, WithoutOnlineServicesTheWindowIsComplete) {
    // A program given no online services runs offline: nothing is started, the panel stays empty.
    SetOnlineServices(nullptr);
    Config.AutoUpdate = true;
    TfrmView* v = Open();
    v->imgad->OnClick(v->imgad);
    v->imgad->OnMouseEnter(v->imgad);
    v->imgad->OnMouseLeave(v->imgad);
    v->imgad->Repaint();
    PumpMessagesFor(20);
    v->Hide();
    v->Show();
    EXPECT_TRUE(online_.ads.empty());
    EXPECT_TRUE(online_.boxes.empty());
    EXPECT_TRUE(online_.updates.empty());
    EXPECT_TRUE(online_.panel.empty());
    EXPECT_EQ(v->ppmTrayIcon->GetItems().size(), 12u);
    EXPECT_TRUE(v->txCaption->GetCaption() == L"Unfinished");
}

TEST_F(FrameTest, MinimisingAndClosingWithAnActiveReminderHide) {
    TfrmView* v = Open();
    v->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(v->GetVisible());
    EXPECT_FALSE(IsIconic(v->GetHandle()));
    v->Show();
    Add(L"active");
    v->Perform(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(v->GetVisible());
    EXPECT_EQ(frmView, v);
}

TEST_F(FrameTest, TheWindowHasATaskbarButtonOfItsOwn) {
    // The hidden main window owns the application's button; the visible window asks for its own.
    TfrmView* v = Open();
    EXPECT_NE(GetWindowLongW(v->GetHandle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
}

// ---------------------------------------------------------------------------------------------
// With the hidden main window.

TEST_F(FrameTest, MenuCommandsRunInTheMainWindow) {
    StoreForMain(L"active", 0);
    OpenMain();
    ASSERT_NE(frmView, nullptr);
    Config.CheckNews = true;
    TVeskMenuItem* news = ByTag(frmView->ppmTrayIcon, mcCheckNews);
    frmView->ppmTrayIcon->ItemClick(news);
    EXPECT_FALSE(Config.CheckNews);
    EXPECT_FALSE(news->GetChecked());
    frmView->ppmTrayIcon->ItemClick(ByTag(frmView->ppmTrayIcon, mcHomePage));
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(launched_[0].file, HomePageUrl);
}

TEST_F(FrameTest, F1OpensTheHelpFromAnyWindow) {
    StoreForMain(L"active", 0);
    OpenMain();
    // A key for the hidden main window: the hook sees every queued message of the program.
    PostMessageW(main_->GetHandle(), WM_KEYDOWN, VK_F1, 1);
    AppPump(50);
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(launched_[0].file, HelpPageUrl);
    PostMessageW(main_->GetHandle(), WM_KEYDOWN, VK_F2, 1);
    AppPump(50);
    EXPECT_EQ(launched_.size(), 1u);
    // In the visible window itself the key opens the help once, not once more by the window.
    PostMessageW(frmView->GetHandle(), WM_KEYDOWN, VK_F1, 1);
    AppPump(50);
    ASSERT_EQ(launched_.size(), 2u);
    EXPECT_EQ(launched_[1].file, HelpPageUrl);
}

TEST_F(FrameTest, LanguageSwitchAlsoTranslatesTheTrayMenu) {
    StoreForMain(L"active", 0);
    OpenMain();
    frmView->ppmTrayIcon->ItemClick(Language(frmView, L"Deutsch"));
    EXPECT_EQ(ByTag(main_->ppmTrayIcon, mcHomePage)->GetCaption(), L"Startseite");
    EXPECT_EQ(ByTag(frmView->ppmTrayIcon, mcHomePage)->GetCaption(), L"Startseite");
}

TEST_F(FrameTest, ClosingWithAnActiveReminderOnlyHides) {
    StoreForMain(L"active", 0);
    OpenMain();
    frmView->Close();
    EXPECT_FALSE(frmView->GetVisible());
    EXPECT_FALSE(LoopEnds(200));
}

TEST_F(FrameTest, ClosingWithoutActiveReminderEndsTheProgram) {
    StoreForMain(L"done", fw::Now() - 1);
    OpenMain();
    ASSERT_TRUE(frmView->GetVisible());
    frmView->Close();
    EXPECT_TRUE(LoopEnds(1000));
}

TEST_F(FrameTest, TheCloseButtonWithoutActiveReminderEndsTheProgram) {
    StoreForMain(L"done", fw::Now() - 1);
    OpenMain();
    ASSERT_TRUE(frmView->GetVisible());
    // What the title bar's close button sends.
    frmView->Perform(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(LoopEnds(1000));
}

// ---------------------------------------------------------------------------------------------
// The look: texts readable on the skins, the frame's border, texts renewed with the language.

namespace {

// Relative luminance and contrast ratio as the accessibility guidelines define them.
double Luminance(COLORREF c) {
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(GetRValue(c)) + 0.7152 * lin(GetGValue(c)) + 0.0722 * lin(GetBValue(c));
}
double Contrast(COLORREF a, COLORREF b) {
    double la = Luminance(a), lb = Luminance(b);
    if (la < lb) std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

using TShot = std::unique_ptr<DibSurface>;

// What a window control shows (erase, paint, windowless and windowed children).
TShot ClientShot(fw::TWinControl* C) {
    auto s = std::make_unique<DibSurface>(C->GetClientWidth(), C->GetClientHeight(), 0xFF000000);
    C->PaintTo(s->Dc(), 0, 0);
    return s;
}

// The painter's composed non-client area (kept for its own use).
struct NcBitmapOf : TVeskCoustomPaintor {
    static fw::TBitmap* Get(TVeskCoustomPaintor* P) { return (P->*(&NcBitmapOf::FNcBitmap)).get(); }
};

// The non-client area a painter composes for its window.
TShot FrameShot(TVeskCoustomPaintor* P) {
    SendMessageW(P->GetForm()->GetHandle(), WM_NCPAINT, 1, 0);
    fw::TBitmap* b = NcBitmapOf::Get(P);
    if (!b) return nullptr;
    auto s = std::make_unique<DibSurface>(b->GetWidth(), b->GetHeight());
    BitBlt(s->Dc(), 0, 0, b->GetWidth(), b->GetHeight(), b->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    return s;
}

// A text's pixels are those that differ between a rendering with it and one without it; their
// strongest contrast against the pixel under them there is the text's colour on the frame (the
// weaker ones are its smoothed edges).
struct TTextMeasure {
    int Pixels = 0;
    double Ratio = 0;
};
TTextMeasure MeasureText(const DibSurface& With, const DibSurface& Without, const RECT& Area) {
    TTextMeasure m;
    for (int y = Area.top; y < Area.bottom; ++y)
        for (int x = Area.left; x < Area.right; ++x) {
            const COLORREF t = With.Color(x, y), b = Without.Color(x, y);
            if (t == b) continue;
            ++m.Pixels;
            m.Ratio = std::max(m.Ratio, Contrast(t, b));
        }
    return m;
}

}  // namespace

TEST_F(FrameTest, EveryTextOnASkinIsReadableOnIt) {
    store_ = std::make_unique<TRemindFile>(file_);
    RemindFile = store_.get();
    TRmRecordStruct* first = Add(L"Water the plants");
    Add(L"Call the dentist");
    Add(L"Pay the rent");
    TfrmView* v = Open();
    ShowReminders({first});
    ASSERT_NE(frmRemindDlg, nullptr);
    auto* about = fw::TForm::CreateForm<TfrmAbout>(nullptr);
    about->Show();
    TMessageForm* box = v->msgdlg->CreateMessageForm(L"Save the changes?", mtConfirmation, {mbYes, mbNo});
    box->SetCaption(L"Confirm");
    v->msgdlg->Attach(box);
    box->Show();
    PumpMessagesFor(50);

    struct Row {
        std::string name;
        std::function<TShot(bool)> render;  // with the text, or without it
        RECT area;
    };
    std::vector<Row> rows;
    auto caption = [&](const std::string& name, TVeskCoustomPaintor* p) {
        rows.push_back({name + " caption",
                        [p](bool text) {
                            fw::TForm* f = p->GetForm();
                            const std::wstring c = f->GetCaption();
                            if (!text) f->SetCaption(L"");
                            TShot s = FrameShot(p);
                            f->SetCaption(c);
                            return s;
                        },
                        RECT{0, 0, 4000, 27}});
    };
    caption("visible window", v->VeskNcPaintor1);
    caption("about window", about->VeskNcPaintor1);
    caption("message box", v->msgdlg);
    caption("notice window", frmRemindDlg->VeskNcPaintor1);

    // A button in one state, drawn by its parent with and without its caption.
    auto button = [&](const std::string& name, TVeskPngButton* b, fw::TWinControl* parent,
                      std::initializer_list<TVeskBtnStatus> states) {
        for (TVeskBtnStatus st : states) {
            const fw::TRect r = b->GetBoundsRect();
            rows.push_back({name + " state " + std::to_string(int(st)),
                            [b, parent, st](bool text) {
                                const std::wstring c = b->GetCaption();
                                b->SetBtnStatus(st);
                                if (!text) b->SetCaption(L"");
                                TShot s = ClientShot(parent);
                                b->SetCaption(c);
                                b->SetBtnStatus(bsNormal);
                                return s;
                            },
                            RECT{r.Left, r.Top, r.Right, r.Bottom}});
        }
    };
    button("New", v->btnNew, v->pnlList, {bsNormal, bsOver, bsDown});
    button("Save", v->btnDone, v->pnlDetails, {bsNormal, bsOver, bsDown});
    button("Back", v->btnBack, v->pnlDetails, {bsNormal, bsOver, bsDown});
    button("Unfinished tab", v->btnUnfinish, v->pnlLeft, {bsNormal, bsOver, bsSelect});
    button("Completed tab", v->btnCompleted, v->pnlLeft, {bsNormal, bsOver, bsSelect});
    button("OK I got it", frmRemindDlg->btnComplete, frmRemindDlg->pnlBottom, {bsNormal, bsOver, bsDown});
    for (int i = 0; i < box->GetComponentCount(); ++i)
        if (auto* b = dynamic_cast<TVeskPngButton*>(box->GetComponent(i)))
            button("message box button", b, box, {bsNormal, bsOver, bsDown});

    // A reminder's name in the list, plain, under the mouse and selected; and the same in the
    // notice window's list.
    v->lbData->GetItems()[2]->SetSelected(true);
    frmRemindDlg->lbReminds->GetItem(0)->SetSelected(false);
    for (int row = 0; row < 3; ++row) {
        rows.push_back({"list row " + std::to_string(row),
                        [v, row](bool text) {
                            const fw::TRect hot = v->lbData->GetItems()[1]->ItemRect;
                            SendMessageW(v->lbData->GetHandle(), WM_MOUSEMOVE, 0,
                                         MAKELPARAM(hot.Left + 20, (hot.Top + hot.Bottom) / 2));
                            auto* r = static_cast<TRmRecordStruct*>(v->lbData->GetItems()[row]->Data);
                            const std::wstring name = r->Name;
                            if (!text) r->Name = L"";
                            TShot s = ClientShot(v->lbData);
                            r->Name = name;
                            return s;
                        },
                        RECT{0, 0, 4000, 4000}});
    }
    for (int state = 0; state < 3; ++state) {
        rows.push_back({"notice row state " + std::to_string(state),
                        [state](bool text) {
                            TQimListBox* lb = frmRemindDlg->lbReminds;
                            TQimLBoxItem* item = lb->GetItem(0);
                            item->SetSelected(state == 2);
                            const fw::TRect ir = item->GetItemRect();
                            SendMessageW(lb->GetHandle(), WM_MOUSEMOVE, 0,
                                         state == 0 ? MAKELPARAM(5, lb->GetHeight() - 3)
                                                    : MAKELPARAM(ir.Left + 60, (ir.Top + ir.Bottom) / 2));
                            const std::wstring c = item->GetCaption();
                            if (!text) item->SetCaption(L"");
                            TShot s = ClientShot(lb);
                            item->SetCaption(c);
                            return s;
                        },
                        RECT{0, 0, 4000, 4000}});
    }

    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TShot with = r.render(true), without = r.render(false);
        ASSERT_TRUE(with && without);
        const RECT area{std::max<LONG>(r.area.left, 0), std::max<LONG>(r.area.top, 0),
                        std::min<LONG>(r.area.right, with->Width()), std::min<LONG>(r.area.bottom, with->Height())};
        const TTextMeasure m = MeasureText(*with, *without, area);
        EXPECT_GT(m.Pixels, 10) << "no text drawn";
        EXPECT_GE(m.Ratio, 4.5);
    }

    v->msgdlg->Attach(nullptr);
    box->Free();
    about->Free();
}

TEST_F(FrameTest, TheFramesShowTheSkinsBorderAlsoOnAComposedDesktop) {
    // The desktop composes windows (as Windows from Vista on does, and Wine does when it claims a
    // recent Windows): the frames keep their border there too.
    NcCompositionEnabledProc = [] { return true; };
    store_ = std::make_unique<TRemindFile>(file_);
    RemindFile = store_.get();
    TRmRecordStruct* r = Add(L"Stretch");
    TfrmView* v = Open();
    ShowReminders({r});
    ASSERT_NE(frmRemindDlg, nullptr);
    TMessageForm* box = v->msgdlg->CreateMessageForm(L"Save the changes?", mtConfirmation, {mbYes, mbNo});
    v->msgdlg->Attach(box);
    box->Show();
    PumpMessagesFor(50);
    auto skin = Skin(L"nc_border");
    ASSERT_FALSE(skin->GetEmpty());
    const COLORREF border = RGB(skin->Scanline(0)[2], skin->Scanline(0)[1], skin->Scanline(0)[0]);
    const struct {
        const char* name;
        TVeskCoustomPaintor* painter;
    } frames[] = {{"visible window", v->VeskNcPaintor1}, {"message box", v->msgdlg}, {"notice window", frmRemindDlg->VeskNcPaintor1}};
    for (const auto& f : frames) {
        SCOPED_TRACE(f.name);
        TShot s = FrameShot(f.painter);
        ASSERT_TRUE(s);
        const int W = s->Width(), H = s->Height();
        // The outermost ring of pixels, below the caption bar on the sides.
        int wrong = 0;
        for (int y = 27; y < H; ++y) wrong += (s->Color(0, y) != border) + (s->Color(W - 1, y) != border);
        for (int x = 0; x < W; ++x) wrong += (s->Color(x, 0) != border) + (s->Color(x, H - 1) != border);
        EXPECT_EQ(wrong, 0);
        // The client area lies inside the border.
        RECT wr{}, cr{};
        GetWindowRect(f.painter->GetForm()->GetHandle(), &wr);
        GetClientRect(f.painter->GetForm()->GetHandle(), &cr);
        EXPECT_EQ(wr.right - wr.left, cr.right + 2);
    }
    v->msgdlg->Attach(nullptr);
    box->Free();
}

TEST_F(FrameTest, SwitchingTheLanguageRenewsTheRuleAndTimeLeftTextsOfTheList) {
    store_ = std::make_unique<TRemindFile>(file_);
    RemindFile = store_.get();
    TRmRecordStruct* r = Add(L"Yoga");
    r->Period = 2;
    r->RepeatData[0] = 1;
    TfrmView* v = Open();
    ASSERT_EQ(r->DisplayText.rfind(L"Weekly: ", 0), 0u) << Narrow(r->DisplayText);
    r->NextDue = fw::Now() + 2.5;
    r->TimeLeftText = L"2 Days 12 Hours";
    v->ppmTrayIcon->ItemClick(Language(v, L"Deutsch"));
    EXPECT_EQ(r->DisplayText.rfind(L"Woechentlich: ", 0), 0u) << Narrow(r->DisplayText);
    EXPECT_NE(r->TimeLeftText.find(L"Tage"), std::wstring::npos) << Narrow(r->TimeLeftText);
}
