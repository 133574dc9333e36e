// The visible window's frame (menus, language, backup and restore, links, online services, look)
// and the hidden main window (closing, start, tray, commands, second start, end).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "app_window_test.h"
#include "fake_online_services.h"
#include "fw_dialogs.h"
#include "fw_inifiles.h"
#include "skin_support.h"
#include "uAbout.h"
#include "uMain.h"

using namespace testsupport;

namespace {

using Texts = std::vector<std::wstring>;

// The hidden main window's seams.
std::wstring gFirstParam;
bool gTaskbar = false;
std::vector<UINT> gEnded;
std::vector<DWORD> gTrayCalls;
int gDeletesAtEnd = -1;  // icon removals seen when the process was ended

int Count(const std::vector<DWORD>& calls, DWORD message) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), message));
}
std::wstring FakeFirstParam() { return gFirstParam; }
bool FakeTaskbar() { return gTaskbar; }
void FakeEnd(UINT code) {
    gEnded.push_back(code);
    gDeletesAtEnd = Count(gTrayCalls, NIM_DELETE);
}
BOOL WINAPI FakeNotifyIcon(DWORD message, PNOTIFYICONDATAW) {
    gTrayCalls.push_back(message);
    return TRUE;
}

// Pumps through the application's hook until closing the main window ends the loop, at most Ms.
bool LoopEnds(DWORD Ms) { return PumpUntil([] { return fw::Application->GetTerminated(); }, Ms); }
// Takes away the quit message a closed main window left for the loop that ends the program.
void DrainQuit() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    fw::Application->ClearTerminated();
}

// The Run value ("" when missing), saved before a test and put back after it.
struct RunValueGuard {
    static std::wstring Get() {
        std::wstring v;
        RegReadString(HKEY_CURRENT_USER, RunKeyPath, RunValueName, false, v);
        return v;
    }
    static bool Exists() { return RegValueExists(HKEY_CURRENT_USER, RunKeyPath, RunValueName, false); }
    static void Set(bool exists, const std::wstring& value = L"x") {
        if (exists) RegWriteString(HKEY_CURRENT_USER, RunKeyPath, RunValueName, value);
        else RegRemoveValue(HKEY_CURRENT_USER, RunKeyPath, RunValueName);
    }
    ~RunValueGuard() { Set(had, value); }
    const bool had = Exists();
    const std::wstring value = Get();
};

class FrameTest : public AppWindowTest {
protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        Config = TConfig{};
        AppDataDir = Dir.Path() + L"\\";
        SetAppDir(Dir.Path() + L"\\");
        CreateDirectoryW(Dir.File(L"Languages").c_str(), nullptr);
        WriteUtf16File(Dir.File(L"Languages\\English.ini"), L"[Lang]\r\nNativeLanguage=English\r\n");
        WriteUtf16File(Dir.File(L"Languages\\EnglishUK.ini"), L"[Lang]\r\nNativeLanguage=English (UK)\r\n");
        WriteUtf16File(Dir.File(L"Languages\\Deutsch.ini"),
                       L"[Translation]\r\nDefaultFont=Arial\r\nDefaultFontSize=10\r\n"
                       L"DefaultCharSet=EASTEUROPE_CHARSET\r\n"
                       L"TfrmZUBMain.Caption=Vesk Erinnerung\r\nTfrmZUBMain.btnUnfinish.Caption=Offen\r\n"
                       L"TfrmZUBMain.lbl2.caption=Version %s installiert\r\nTfrmZUBMain.cbPeriod.Item1=Einmal\r\n"
                       L"TfrmZUBMain.cbPeriod.Item3=Woechentlich\r\nconstDs=Tage\r\nTfrmZUBMain.TrayMenuItem1=Hilfe\r\n"
                       L"TfrmZUBMain.TrayMenuItem3=Startseite\r\nTfrmZUBMain.OpenWindow=Erinnerung \u00f6ffnen\r\n"
                       L"TfrmZUBMain.qzpmn.item1=Sichern\r\nTfrmZUBMain.imgf.hint=Facebook-Seite\r\n"
                       L"msgdlg.btnYes=Ja\r\n"
                       L"[Lang]\r\nNativeLanguage=Deutsch\r\n");
        UseLanguage(Dir.File(L"Languages\\English.ini"));
        SetShareMailLauncher([this](HWND owner, const std::wstring& verb, const std::wstring& file) {
            mailed_.push_back({owner, verb, file, L""});
        });
        gFirstParam.clear();
        gTaskbar = false;
        gEnded.clear();
        gTrayCalls.clear();
        gDeletesAtEnd = -1;
    }
    void TearDown() override {
        AppWindowTest::TearDown();
        if (taskbarWnd_) DestroyWindow(taskbarWnd_);
        fw::SetFileDialogHandler(nullptr);
        SetShareMailLauncher(nullptr);
        SetAppDir(L"");
    }

    // The visible window alone, on a store of the test's own.
    TfrmView* Open(bool show = true) {
        if (!Store) OpenStore();
        TfrmView* v = fw::TForm::CreateForm<TfrmView>(nullptr);
        if (show) v->Show();
        Pump(30);
        return v;
    }
    // The hidden main window, with a taskbar for its tray icon.
    TfrmZUBMain* OpenMain() {
        // A tray icon that is added without a taskbar waits for one first.
        if (!FindWindowW(L"Shell_TrayWnd", nullptr)) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"Shell_TrayWnd";
            RegisterClassW(&wc);
            taskbarWnd_ = CreateWindowExW(0, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
        }
        return AppWindowTest::OpenMain();
    }
    std::wstring MainDataFile() const { return Dir.Path() + L"\\Vesk_Reminder\\vk_rmind_data.dat"; }
    TRmRecordStruct* Add(const std::wstring& name, double end = 0) {
        auto* r = new TRmRecordStruct;
        r->Name = name;
        // From one base time: the same counter gives the same section however long the test ran.
        r->CreateDateTime = base_ + 0.001 * (++created_);
        r->LastTime = r->CreateDateTime;
        r->Period = 1;
        r->WakeTime = 0.99;
        r->EndTime = end;
        r->SetDate(static_cast<int>(fw::Now()) + 1);
        RemindFile->AddRecord(r);
        return r;
    }
    // Reminders written to another data file (the main window's, or a backup).
    void AddTo(const std::wstring& file, const std::vector<std::wstring>& names, double end = 0) {
        CreateDirectoryW(fw::ExtractFilePath(file).c_str(), nullptr);
        TRemindFile other(file);
        RemindFile = &other;
        for (const auto& n : names) Add(n, end);
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
    static void SwitchTo(TfrmView* v, const std::wstring& name) { v->ppmTrayIcon->ItemClick(Language(v, name)); }
    // The file dialogs answer with Name (empty: cancelled).
    void AnswerDialogs(const std::wstring& name) {
        fw::SetFileDialogHandler([name](OPENFILENAMEW& ofn, bool) {
            if (name.empty()) return false;
            wcsncpy(ofn.lpstrFile, name.c_str(), ofn.nMaxFile - 1);
            return true;
        });
    }
    TVeskMenuItem* Item(int tag) {
        item_ = std::make_unique<TVeskMenuItem>();
        item_->SetTag(tag);
        return item_.get();
    }
    // The tray icon's window receiving the mouse messages of the notification area.
    void TrayMouse(std::initializer_list<LPARAM> messages) {
        for (LPARAM m : messages) SendMessageW(Main->GetTrayIcon()->GetData().hWnd, WM_TRAYICONCALLBACK, 0, m);
    }
    static void Backup(TfrmView* v) { v->FileMenuClick(v->qzpmn1->GetItem(0)); }
    static void Restore(TfrmView* v) { v->FileMenuClick(v->qzpmn1->GetItem(1)); }

    TFakeOnlineServices online_;
    std::unique_ptr<TVeskMenuItem> item_;
    std::vector<TLaunch> mailed_;
    int created_ = 0;
    const fw::TDateTime base_ = fw::Now() - 10;
    HWND taskbarWnd_ = nullptr;
    TSwap<std::wstring> appData_{AppDataDir, AppDataDir};
    TSwap<TFirstParamSource> param_{FirstParamSource, FakeFirstParam};
    TSwap<TTaskbarExistsProc> taskbar_{TaskbarExistsProc, FakeTaskbar};
    TSwap<TEndProcessProc> end_{EndProcessProc, FakeEnd};
    TSwap<TShellNotifyIconProc> notify_{ShellNotifyIconProc, FakeNotifyIcon};
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The visible window: menus, language, backup and restore, links, online services, minimising.

TEST_F(FrameTest, MenuChecksFollowTheSettingsAndTheCaptionButtonsOpenTheMenusUnderThem) {
    RunValueGuard guard;
    OpenStore();
    TfrmView* v = nullptr;
    for (bool on : {true, false}) {
        if (v) v->Free();
        Config.AutoUpdate = on;
        Config.CheckNews = !on;
        RunValueGuard::Set(on);
        v = Open();
        EXPECT_EQ(ByTag(v->ppmTrayIcon, mcAutoUpdate)->GetChecked(), on);
        EXPECT_EQ(ByTag(v->ppmTrayIcon, mcCheckNews)->GetChecked(), !on);
        EXPECT_EQ(ByTag(v->ppmTrayIcon, mcStartWithWindows)->GetChecked(), on);
    }
    v->SetBounds(40, 30, v->GetWidth(), v->GetHeight());
    // Each menu opens at its button's left edge, where the caption bar ends below it.
    for (auto [button, menu] : {std::pair{vnbMenu, v->ppmTrayIcon}, std::pair{vnbSkin, v->qzpmn1}}) {
        const fw::TRect r = v->VeskNcPaintor1->GetBtnRect(button);
        POINT p{r.Left, r.Bottom - v->VeskNcPaintor1->GetResource()->GetFormCaption()->GetHeight()};
        ClientToScreen(v->GetHandle(), &p);
        v->VeskNcPaintor1ButtonClick(v->VeskNcPaintor1, button);
        ASSERT_NE(menu->GetLevelForm(1), nullptr);
        EXPECT_EQ(menu->GetLevelForm(1)->GetLeft(), p.x);
        EXPECT_EQ(menu->GetLevelForm(1)->GetTop(), p.y);
        menu->CloseMenu();
    }
    // The hidden main window owns the application's button; the visible window asks for its own.
    EXPECT_NE(GetWindowLongW(v->GetHandle(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    v->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(v->GetVisible());
    EXPECT_FALSE(IsIconic(v->GetHandle()));
}

TEST_F(FrameTest, LanguageSubmenuMarksOnlyTheActiveFileAndASwitchWhoseSettingIsRefusedStillHappens) {
    TfrmView* v = Open();
    TVeskMenuItem* lang = ByTag(v->ppmTrayIcon, mcLanguage);
    EXPECT_EQ(Captions(lang->GetItems()),
              (Texts{L"Deutsch", L"English", L"English (UK)", L"translate to..."}));
    // "English" is also part of "EnglishUK": only the file itself counts.
    EXPECT_TRUE(lang->GetItem(1)->GetChecked());
    EXPECT_FALSE(lang->GetItem(2)->GetChecked());
    EXPECT_EQ(v->LanguageOfItem(lang->GetItem(2)), L"EnglishUK");
    // Clicking the active one changes nothing.
    Config.Language = L"English";
    v->ppmTrayIcon->ItemClick(lang->GetItem(1));
    EXPECT_FALSE(lang->GetItem(1)->GetChecked());
    EXPECT_EQ(LangFile, Dir.File(L"Languages\\English.ini"));
    EXPECT_FALSE(fw::TIniFile(DataFile).ValueExists(L"CONFIG", L"Language"));

    // The last item opens the translation page, without owner, and switches nothing.
    v->ppmTrayIcon->ItemClick(lang->GetItem(3));
    ASSERT_EQ(Launched.size(), 1u);
    EXPECT_EQ(Launched[0].owner, nullptr);
    EXPECT_EQ(Launched[0].file, TranslatePageUrl);
    EXPECT_EQ(Config.Language, L"English");

    // A language whose setting cannot be written is still switched and the failure reported.
    Store->RefuseText = L"[CONFIG]";
    TVeskMenuItem* deutsch = Language(v, L"Deutsch");
    deutsch->SetChecked(true);  // as the menu's auto-check leaves it
    EXPECT_THROW(v->LanguageItemClick(deutsch), fw::Exception);
    EXPECT_EQ(LangFile, AppDir() + L"Languages\\Deutsch.ini");
    EXPECT_EQ(v->btnUnfinish->GetCaption(), L"Offen");
    EXPECT_TRUE(Language(v, L"Deutsch")->GetChecked());
    Store->RefuseText.clear();
}

TEST_F(FrameTest, SwitchingTheLanguageTranslatesEverythingAtOnceSavesItAndBackAgainRestoresEnglish) {
    OpenStore();
    TRmRecordStruct* r = Add(L"Yoga");
    r->Period = 2;
    r->RepeatData[0] = 1;
    TfrmView* v = Open();
    ASSERT_EQ(r->DisplayText.rfind(L"Weekly: ", 0), 0u) << Narrow(r->DisplayText);
    r->NextDue = fw::Now() + 2.5;
    r->TimeLeftText = L"2 Days 12 Hours";
    v->cbPeriod->SetIndex(0);
    // The texts a switch must renew: of the window, its list, its message box, its menus.
    auto texts = [v] {
        return Texts{v->GetCaption(), v->txCaption->GetCaption(), v->btnCompleted->GetCaption(),
                     v->cbPeriod->GetItem(0)->GetCaption(), v->msgdlg->GetBtnCaptionYes(),
                     v->msgdlg->GetBtnCaptionNo(), v->btn1->GetHint(), v->lbl2->GetCaption(),
                     v->ppmTrayIcon->GetItem(0)->GetCaption(), v->qzpmn1->GetItem(0)->GetCaption()};
    };
    SwitchTo(v, L"Deutsch");
    EXPECT_EQ(Config.Language, L"Deutsch");
    EXPECT_EQ(fw::TIniFile(DataFile).ReadString(L"CONFIG", L"Language", L""), L"Deutsch");
    EXPECT_EQ(LangFile, AppDir() + L"Languages\\Deutsch.ini");
    // Keys the file lacks ("Completed", "NO") keep the English words.
    EXPECT_EQ(texts(), (Texts{L"Vesk Erinnerung", L"Offen", L"Completed", L"Einmal", L"Ja", L"NO", L"Facebook-Seite",
                              L"Version " + AppVersionText() + L" installiert", L"Hilfe", L"Sichern"}));
    EXPECT_EQ(v->cbPeriod->GetIndex(), 0);
    EXPECT_EQ(v->ppmTrayIcon->GetShortCutItems().size(), 1u);
    // The list's rule and time-left texts are made again in the new language.
    EXPECT_EQ(r->DisplayText.rfind(L"Woechentlich: ", 0), 0u) << Narrow(r->DisplayText);
    EXPECT_NE(r->TimeLeftText.find(L"Tage"), std::wstring::npos) << Narrow(r->TimeLeftText);
    EXPECT_TRUE(Language(v, L"Deutsch")->GetChecked());
    EXPECT_FALSE(Language(v, L"English")->GetChecked());
    // The language's font, also in the buttons' own fonts; the caption keeps its larger size.
    EXPECT_EQ(v->btnCompleted->GetFontDown()->GetName(), L"Arial");
    EXPECT_EQ(v->txCaption->GetFont()->GetSize(), 12);

    // Back again: the version line is formatted anew, not left with the German text.
    SwitchTo(v, L"English");
    EXPECT_EQ(texts(), (Texts{L"Vesk Reminder", L"Unfinished", L"Completed", L"Once", L"Yes", L"NO",
                              L"Follow us on Facebook", L"Current Version:" + AppVersionText(), L"Online Help",
                              L"Backup"}));
    EXPECT_EQ(v->btnUnfinish->GetFontNormal()->GetName(), L"Tahoma");
}

TEST_F(FrameTest, BackupWritesACopyWithoutTheSettingsButNeverOntoTheDataFile) {
    TfrmView* v = Open();
    Add(L"one");
    Config.Language = L"Deutsch";
    RemindFile->SaveConfig();
    const auto before = ReadFileBytes(DataFile);
    // The same file, spelt in other case.
    AnswerDialogs(fw::UpperCase(DataFile));
    Backup(v);
    EXPECT_EQ(ReadFileBytes(DataFile), before);

    const std::wstring backup = Dir.File(L"backup.dat");
    AnswerDialogs(L"");
    Backup(v);
    EXPECT_FALSE(fw::FileExists(backup));
    AnswerDialogs(backup);
    Backup(v);
    fw::TIniFile copy(backup);
    EXPECT_FALSE(copy.SectionExists(L"CONFIG"));
    EXPECT_TRUE(copy.ValueExists(L"BACKUP", L"BACKTIME"));
    EXPECT_EQ(TRemindFile(backup).Records.size(), 1u);
}

TEST_F(FrameTest, RestoreAddsOnlyNewRemindersAllOrNoneAndListsThemAtOnceAlsoWithTheEditorOpen) {
    const std::wstring backup = Dir.File(L"backup.dat");
    AddTo(backup, {L"shared", L"new one", L"another"});
    OpenStore()->RefuseText = L"=another\r\n";
    created_ = 0;
    TRmRecordStruct* shared = Add(L"shared");  // the same creation time: the same section
    TfrmView* v = Open();
    AnswerDialogs(backup);
    // A refused save stops the whole restore: it is saved whole or not at all.
    EXPECT_THROW(Restore(v), fw::Exception);
    EXPECT_EQ(RemindFile->Records.size(), 1u);
    EXPECT_EQ(v->lbData->Count(), 1);
    Store->RefuseText.clear();
    v->btnNewClick(v->btnNew);
    Restore(v);
    // With the editor open the list is renewed without the "leave this page?" question.
    EXPECT_TRUE(Asked.empty());
    EXPECT_TRUE(v->EditorShown());
    ASSERT_EQ(RemindFile->Records.size(), 3u);
    EXPECT_EQ(RemindFile->Records[0], shared);
    EXPECT_EQ(RemindFile->Records[1]->Name, L"new one");
    EXPECT_EQ(v->lbData->Count(), 3);
}

TEST_F(FrameTest, LinkButtonsOpenTheirPagesAndTheShareMail) {
    TfrmView* v = Open();
    for (TVeskPngButton* b : {v->btn1, v->btn2, v->btn4}) b->OnClick(b);
    ASSERT_EQ(Launched.size(), 3u);
    EXPECT_EQ(Launched[0].file, FacebookPageUrl);
    EXPECT_EQ(Launched[1].file, TwitterPageUrl);
    EXPECT_EQ(Launched[2].file, HomePageUrl);
    EXPECT_EQ(Launched[2].owner, v->GetHandle());
    v->btn3->OnClick(v->btn3);
    EXPECT_EQ(Launched.size(), 3u);
    ASSERT_EQ(mailed_.size(), 1u);
    EXPECT_EQ(mailed_[0].verb, L"open");
    // Subject and body are percent-encoded: nothing a mail handler's command line would cut at.
    const std::wstring& mail = mailed_[0].file;
    EXPECT_EQ(mail.find_first_of(L" \"<>"), std::wstring::npos) << Narrow(mail);
    const std::wstring head = L"mailto:?subject=";
    ASSERT_EQ(mail.rfind(head, 0), 0u);
    const size_t body = mail.find(L"&body=");
    ASSERT_NE(body, std::wstring::npos);
    // Each byte back from its code (the texts are plain ASCII).
    auto decode = [](std::wstring s) {
        for (size_t i = s.find(L'%'); i != std::wstring::npos; i = s.find(L'%', i + 1))
            s.replace(i, 3, 1, static_cast<wchar_t>(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
        return s;
    };
    EXPECT_EQ(decode(mail.substr(head.size(), body - head.size())), L"Please Try Vesk Reminder!");
    const std::wstring text = decode(mail.substr(body + 6));
    EXPECT_EQ(text.rfind(L"<a href=\"" + std::wstring(ProductPageUrl) + L"\">Please Try Vesk Reminder!</a> ", 0), 0u);
    EXPECT_NE(text.find(L"Great freeware!."), std::wstring::npos);
}

TEST_F(FrameTest, OnlineServicesAreStartedWithTheWindowAndGetThePanelsEvents) {
    Config.AutoUpdate = true;
    TfrmView* v = Open(false);
    EXPECT_EQ(online_.ads, (std::vector<std::pair<fw::TControl*, fw::TControl*>>{{v->imgad, v}}));
    EXPECT_EQ(online_.boxes, (std::vector<TVeskMsgBox*>{v->msgdlg}));
    EXPECT_TRUE(online_.updates.empty());  // not shown yet
    // Each showing checks for an update while the setting is on.
    for (bool on : {true, true, false}) {
        Config.AutoUpdate = on;
        v->Hide();
        v->Show();
    }
    EXPECT_EQ(online_.updates, (std::vector<bool>{true, true}));
    EXPECT_EQ(online_.ads.size(), 1u);

    online_.panel.clear();
    v->imgad->OnClick(v->imgad);
    v->imgad->OnMouseEnter(v->imgad);
    v->imgad->OnMouseLeave(v->imgad);
    v->imgad->Repaint();
    Pump(20);
    const std::vector<std::pair<int, fw::TObject*>> want = {{1, v->imgad}, {2, v->imgad}, {3, v->imgad}, {4, v->imgad}};
    ASSERT_GE(online_.panel.size(), 4u);
    EXPECT_EQ(std::vector(online_.panel.begin(), online_.panel.begin() + 4), want);
}

TEST_F(FrameTest, TheWindowCarriesTheProgramsIconInBothSizesAndItsOwnMenuValues) {
    TfrmView* v = Open();
    auto pixels = [](HICON Icon, int W, int H) {
        DibSurface dib(W, H, 0xFFFFFFFF);
        DrawIconEx(dib.Dc(), 0, 0, Icon, W, H, 0, nullptr, DI_NORMAL);
        GdiFlush();
        return std::vector<uint32_t>(dib.Bits(), dib.Bits() + W * H);
    };
    const std::tuple<WPARAM, int, int> kinds[] = {{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
    for (const auto& [kind, cx, cy] : kinds) {
        const int w = GetSystemMetrics(cx), h = GetSystemMetrics(cy);
        auto icon = reinterpret_cast<HICON>(SendMessageW(v->GetHandle(), WM_GETICON, kind, 0));
        ICONINFO ii{};
        BITMAP bm{};
        ASSERT_TRUE(icon && GetIconInfo(icon, &ii)) << kind;
        GetObjectW(ii.hbmColor, sizeof(bm), &bm);
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
        EXPECT_EQ(std::make_pair(int(bm.bmWidth), int(bm.bmHeight)), std::make_pair(w, h)) << "own size " << kind;
        auto own = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, w, h, 0));
        EXPECT_TRUE(own && pixels(icon, w, h) == pixels(own, w, h)) << kind;
        DestroyIcon(own);
    }
    // The list's scroll-bar skin; the backup menu is narrower than the window menu.
    EXPECT_EQ(v->lbData->GetVerScrollRes(), v->DPScrollBarRes2);
    EXPECT_EQ(v->qzpmn1->GetMinWidth(), 80);
    v->VeskNcPaintor1ButtonClick(v->VeskNcPaintor1, vnbSkin);
    ASSERT_NE(v->qzpmn1->GetLevelForm(1), nullptr);
    EXPECT_LT(v->qzpmn1->GetLevelForm(1)->GetWidth(), 180);
    v->qzpmn1->CloseMenu();
}

// ---------------------------------------------------------------------------------------------
// The hidden main window: closing, start, tray, commands, second start and end.

TEST_F(FrameTest, ClosingTheWindowEndsTheProgramOnlyWithoutActiveReminder) {
    const struct {
        const char* name;
        double end;  // of the one reminder
        bool closeButton, ends;
    } cases[] = {{"active, Close", 0, false, false},
                 {"active, the title bar's close button", 0, true, false},
                 {"finished, Close", fw::Now() - 1, false, true},
                 {"finished, the title bar's close button", fw::Now() - 1, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(MainDataFile().c_str());
        AddTo(MainDataFile(), {L"one"}, c.end);
        OpenMain();
        ASSERT_TRUE(frmView->GetVisible());
        if (c.closeButton)
            frmView->Perform(WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            frmView->Close();
        if (!c.ends) {
            EXPECT_FALSE(frmView->GetVisible());
        }
        EXPECT_EQ(LoopEnds(c.ends ? 1000 : 200), c.ends);
        FreeMain();
        DrainQuit();
    }
}

TEST_F(FrameTest, PlainStartShowsTheWindowPostsANewVersionAndASessionEndWritesTheSettingsWithoutEnding) {
    auto* m = OpenMain();
    EXPECT_EQ(fw::Application->GetMainForm(), m);
    ASSERT_NE(RemindFile, nullptr);
    EXPECT_EQ(RemindFile->GetFileName(), MainDataFile());
    // The visible window belongs to the main window and is shown; the main window is not.
    ASSERT_NE(frmView, nullptr);
    EXPECT_EQ(frmView->GetOwner(), m);
    EXPECT_TRUE(frmView->GetVisible());
    EXPECT_FALSE(IsWindowVisible(m->GetHandle()));
    // A changed version is posted and recorded in memory only so far.
    EXPECT_EQ(online_.posted,
              (std::vector<std::pair<std::wstring, std::wstring>>{{AppVersionText(), Config.MachineGuid}}));
    ASSERT_EQ(Config.SetupVer, AppVersionText());
    online_.shownNewsId = 12;
    // A session that goes on changes nothing.
    SendMessageW(m->GetHandle(), WM_ENDSESSION, 0, 0);
    EXPECT_NE(fw::TIniFile(MainDataFile()).ReadString(L"CONFIG", L"SetupVer", L""), AppVersionText());
    // Windows then ends the process without destroying any window: the settings must be saved.
    SendMessageW(m->GetHandle(), WM_ENDSESSION, 1, 0);
    fw::TIniFile ini(MainDataFile());
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"SetupVer", L""), AppVersionText());
    EXPECT_EQ(ini.ReadInteger(L"CONFIG", L"NEWSID", 0), 12);
    EXPECT_TRUE(gEnded.empty());
    EXPECT_FALSE(LoopEnds(100));
    FreeMain();
    EXPECT_EQ(gEnded, std::vector<UINT>{0});
}

TEST_F(FrameTest, StartWithWindowsAndAnActiveReminderStaysHiddenUntilTheTrayIconIsClicked) {
    AddTo(MainDataFile(), {L"active"});
    gFirstParam = L"-os";
    auto* m = OpenMain();
    ASSERT_NE(frmView, nullptr);
    EXPECT_FALSE(frmView->GetVisible());
    EXPECT_TRUE(m->tmr1->GetEnabled());
    EXPECT_FALSE(LoopEnds(200));

    // A left click on the tray icon shows and raises the visible window.
    gTaskbar = true;
    Config.CheckNews = false;
    m->tmr1Timer(nullptr);
    EXPECT_TRUE(online_.newsChecks.empty());
    TrayMouse({WM_LBUTTONDOWN, WM_LBUTTONUP});
    EXPECT_TRUE(IsWindowVisible(frmView->GetHandle()));
    HWND view = frmView->GetHandle();
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == view; }, 2000));
    // A right click opens the tray menu when the button goes up.
    TrayMouse({WM_RBUTTONDOWN});
    EXPECT_FALSE(m->ppmTrayIcon->GetShown());
    TrayMouse({WM_RBUTTONUP});
    EXPECT_TRUE(m->ppmTrayIcon->GetShown());
    m->ppmTrayIcon->CloseMenu();
}

TEST_F(FrameTest, TrayMenuItemsAndASecondStartShowTheWindowAndTheMenuFollowsTheLanguage) {
    auto* m = OpenMain();
    TVeskPopupMenu* p = m->ppmTrayIcon;
    EXPECT_EQ(Captions(p->GetItems()), (Texts{L"Open VeskReminder", L"-", L"Homepage", L"About", L"Exit"}));
    // The first item shows the visible window; the home page item runs the command of its Tag.
    frmView->Hide();
    p->GetItem(0)->OnClick(p->GetItem(0));
    EXPECT_TRUE(frmView->GetVisible());
    p->GetItem(2)->OnClick(p->GetItem(2));
    ASSERT_EQ(Launched.size(), 1u);
    EXPECT_EQ(Launched[0].file, HomePageUrl);
    // The activation request of a second start shows and raises the hidden window too.
    frmView->Hide();
    EXPECT_EQ(SendMessageW(m->GetHandle(), WM_ACTIVATEINSTANCE, 1, 0), 0);
    EXPECT_TRUE(frmView->GetVisible());
    HWND view = frmView->GetHandle();
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == view; }, 2000));
    EXPECT_FALSE(IsWindowVisible(m->GetHandle()));
    SwitchTo(frmView, L"Deutsch");
    EXPECT_EQ(Captions(p->GetItems()), (Texts{L"Erinnerung \u00f6ffnen", L"-", L"Startseite", L"About", L"Exit"}));
    EXPECT_EQ(p->GetItem(4)->GetTag(), mcExit);
}

TEST_F(FrameTest, WebPageCommandsAndF1OpenTheirAddressesAndOtherTagsDoNothing) {
    AddTo(MainDataFile(), {L"active"});
    auto* m = OpenMain();
    for (int tag : {mcOnlineHelp, mcForum, mcHomePage, mcContact})
        frmView->ppmTrayIcon->ItemClick(ByTag(frmView->ppmTrayIcon, tag));
    for (int tag : {0, 7, 11, -1}) m->MenuItemClick(Item(tag));
    // F1 in any window (the hook sees every queued message), once only in the visible window.
    PostMessageW(m->GetHandle(), WM_KEYDOWN, VK_F1, 1);
    PostMessageW(m->GetHandle(), WM_KEYDOWN, VK_F2, 1);
    PostMessageW(frmView->GetHandle(), WM_KEYDOWN, VK_F1, 1);
    Pump(50);
    ASSERT_EQ(Launched.size(), 6u);
    const std::wstring want[] = {HelpPageUrl, ForumPageUrl, HomePageUrl, ContactPageUrl, HelpPageUrl, HelpPageUrl};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Launched[i].file, want[i]) << i;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Launched[i].owner, m->GetHandle());
    EXPECT_TRUE(Asked.empty());
    EXPECT_FALSE(LoopEnds(200));
}

TEST_F(FrameTest, SwitchCommandsOfTheWindowMenuToggleTheirMarkAndSaveTheSetting) {
    RunValueGuard guard;
    auto* m = OpenMain();
    const struct {
        int tag;
        const wchar_t* key;
        bool TConfig::*field;
    } cases[] = {{mcAutoUpdate, L"AUTEUPDATE", &TConfig::AutoUpdate}, {mcCheckNews, L"CHECKNEWS", &TConfig::CheckNews}};
    for (const auto& c : cases) {
        TVeskMenuItem* item = ByTag(frmView->ppmTrayIcon, c.tag);
        item->SetChecked(false);
        Config.*c.field = false;
        for (bool on : {true, false}) {
            frmView->ppmTrayIcon->ItemClick(item);
            EXPECT_EQ(item->GetChecked(), on);
            EXPECT_EQ(Config.*c.field, on);
            EXPECT_EQ(fw::TIniFile(MainDataFile()).ReadBool(L"CONFIG", c.key, !on), on) << Narrow(c.key);
        }
    }
    // Start with Windows writes and removes the Run value.
    TVeskMenuItem* item = Item(mcStartWithWindows);
    m->MenuItemClick(item);
    wchar_t own[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH * 2);
    // The full path, quoted so that a path with blanks names this program, and the parameter.
    EXPECT_EQ(RunValueGuard::Get(), L"\"" + std::wstring(own) + L"\" -os");
    EXPECT_TRUE(item->GetChecked());
    m->MenuItemClick(item);
    EXPECT_FALSE(RunValueGuard::Exists());
    EXPECT_FALSE(item->GetChecked());
    // A mark whose value was removed elsewhere goes on the next click instead of sticking.
    item->SetChecked(true);
    m->MenuItemClick(item);
    EXPECT_FALSE(item->GetChecked());
    EXPECT_FALSE(RunValueGuard::Exists());
}

TEST_F(FrameTest, AboutCommandShowsAModalAboutWindowFreedWhenItCloses) {
    auto* m = OpenMain();
    HWND seen = nullptr;
    fw::TTimer timer(nullptr);
    timer.SetInterval(150);
    timer.SetOnTimer([&](fw::TObject*) {
        timer.SetEnabled(false);
        for (int i = 0; i < m->GetComponentCount(); ++i)
            if (auto* a = dynamic_cast<TfrmAbout*>(m->GetComponent(i))) {
                if (a->IsModal()) seen = a->GetHandle();
                PostMessageW(a->GetHandle(), WM_CLOSE, 0, 0);
            }
    });
    timer.SetEnabled(true);
    m->MenuItemClick(Item(mcAbout));
    EXPECT_NE(seen, nullptr);
    EXPECT_FALSE(IsWindow(seen));
}

TEST_F(FrameTest, ExitAsksOnlyWithAnActiveReminderUnfinishedOrPostponedAndOnlyYesEnds) {
    auto* m = OpenMain();
    TRmRecordStruct r;
    RemindFile->Records.push_back(&r);
    const struct {
        double end, next;
        bool active;
    } cases[] = {{45000, 0, false}, {45000, 45001, true}, {0, 0, true}};
    for (const auto& c : cases) {
        r.EndTime = c.end;
        r.NextDue = c.next;
        EXPECT_EQ(m->HasActiveReminder(), c.active) << c.end << " " << c.next;
    }
    RemindFile->Records.clear();
    m->MenuItemClick(Item(mcExit));
    EXPECT_TRUE(Asked.empty());
    EXPECT_TRUE(LoopEnds(1000));
    FreeMain();
    DrainQuit();

    AddTo(MainDataFile(), {L"active"});
    m = OpenMain();
    Answers = {fw::mrNo, fw::mrYes};
    m->MenuItemClick(Item(mcExit));
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].box, frmView->msgdlg);
    EXPECT_EQ(Asked[0].text, GetLangString(L"Messages", L"ExitApp", L""));
    EXPECT_FALSE(Asked[0].text.empty());
    EXPECT_EQ(Asked[0].buttons, TMsgDlgButtons({mbYes, mbNo}));
    EXPECT_FALSE(LoopEnds(200));
    m->MenuItemClick(Item(mcExit));
    EXPECT_EQ(Asked.size(), 2u);
    EXPECT_TRUE(LoopEnds(1000));
}

TEST_F(FrameTest, StartupTimerWaitsForTheTaskbarAndTheEndRemovesTheIconKeepsTheNewsIdAndEnds) {
    for (int shown : {77, -1}) {
        SCOPED_TRACE(shown);
        Config.CheckNews = true;
        auto* m = OpenMain();
        Config.NewsId = 5;
        frmView->Timer1->SetEnabled(false);
        m->tmr1Timer(nullptr);
        // Without a taskbar the scheduler runs; the tray icon and the news check wait.
        EXPECT_TRUE(frmView->Timer1->GetEnabled());
        EXPECT_TRUE(m->tmr1->GetEnabled());
        EXPECT_FALSE(m->GetTrayIcon()->GetVisible());
        EXPECT_TRUE(online_.newsChecks.empty());
        // The timer itself ticks once a second.
        gTaskbar = true;
        ASSERT_TRUE(PumpUntil([&] { return !m->tmr1->GetEnabled(); }, 3000));
        EXPECT_TRUE(m->GetTrayIcon()->GetVisible());
        EXPECT_EQ(Count(gTrayCalls, NIM_ADD), 1);
        EXPECT_EQ(online_.newsChecks, std::vector<int>{5});
        online_.shownNewsId = shown;
        online_.newsChecks.clear();
        gTaskbar = false;
        gEnded.clear();
        gTrayCalls.clear();
        FreeMain();
        // The icon went before the process was ended.
        EXPECT_EQ(gDeletesAtEnd, 1);
        EXPECT_EQ(gEnded, std::vector<UINT>{0});
        EXPECT_EQ(RemindFile, nullptr);
        EXPECT_EQ(frmZUBMain, nullptr);
        EXPECT_EQ(fw::TIniFile(MainDataFile()).ReadInteger(L"CONFIG", L"NEWSID", 0), shown < 0 ? 5 : shown);
        DrainQuit();
    }
}

// ---------------------------------------------------------------------------------------------
// The look: texts readable on the skins, the frames' border.

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

}  // namespace

TEST_F(FrameTest, EveryTextOnASkinIsReadableOnItAndTheFramesShowTheSkinsBorder) {
    // A composing desktop (Windows from Vista on, Wine claiming one) keeps the frames' border.
    NcCompositionEnabledProc = [] { return true; };
    OpenStore();
    TRmRecordStruct* first = Add(L"Water the plants");
    TfrmView* v = Open();
    ShowReminders({first});
    ASSERT_NE(frmRemindDlg, nullptr);
    auto* about = Own(fw::TForm::CreateForm<TfrmAbout>(nullptr));
    about->Show();
    TMessageForm* box = Own(v->msgdlg->CreateMessageForm(L"Save the changes?", mtConfirmation, {mbYes, mbNo}));
    box->SetCaption(L"Confirm");
    v->msgdlg->Attach(box);
    box->Show();
    Pump(50);

    // A text's pixels differ between shots with and without it; their strongest contrast with the
    // pixel under them is the text's colour on the skin (the weaker ones are smoothed edges).
    auto readable = [](const std::string& name, const RECT& area, const std::function<TShot()>& shot,
                       const std::function<void(bool)>& text) {
        SCOPED_TRACE(name);
        TShot with = shot();
        text(false);
        TShot without = shot();
        text(true);
        ASSERT_TRUE(with && without);
        int pixels = 0;
        double ratio = 0;
        for (int y = area.top; y < std::min<LONG>(area.bottom, with->Height()); ++y)
            for (int x = area.left; x < std::min<LONG>(area.right, with->Width()); ++x)
                if (with->Color(x, y) != without->Color(x, y)) {
                    ++pixels;
                    ratio = std::max(ratio, Contrast(with->Color(x, y), without->Color(x, y)));
                }
        EXPECT_GT(pixels, 10) << "no text drawn";
        EXPECT_GE(ratio, 4.5);
    };
    // Shows or hides the caption of anything that has one.
    auto caption = [](auto* o) {
        return [o, c = o->GetCaption()](bool on) { o->SetCaption(on ? c : L""); };
    };
    for (auto [name, p] : {std::pair<const char*, TVeskCoustomPaintor*>{"visible window", v->VeskNcPaintor1},
                           {"about window", about->VeskNcPaintor1},
                           {"message box", v->msgdlg},
                           {"notice window", frmRemindDlg->VeskNcPaintor1}})
        readable(name + std::string(" caption"), RECT{0, 0, 4000, 27}, [p] { return FrameShot(p); },
                 caption(p->GetForm()));
    // A button in one state, drawn by its parent with and without its caption.
    auto button = [&](const std::string& name, TVeskPngButton* b, fw::TWinControl* parent,
                      std::initializer_list<TVeskBtnStatus> states) {
        const fw::TRect r = b->GetBoundsRect();
        for (TVeskBtnStatus st : states)
            readable(name + " state " + std::to_string(int(st)), RECT{r.Left, r.Top, r.Right, r.Bottom},
                     [b, parent, st] {
                         b->SetBtnStatus(st);
                         TShot s = Render(parent);
                         b->SetBtnStatus(bsNormal);
                         return s;
                     },
                     caption(b));
    };
    button("New", v->btnNew, v->pnlList, {bsNormal, bsOver, bsDown});
    button("Save", v->btnDone, v->pnlDetails, {bsNormal, bsOver, bsDown});
    button("Unfinished tab", v->btnUnfinish, v->pnlLeft, {bsNormal, bsOver, bsSelect});
    button("Completed tab", v->btnCompleted, v->pnlLeft, {bsNormal, bsOver, bsSelect});
    button("OK I got it", frmRemindDlg->btnComplete, frmRemindDlg->pnlBottom, {bsNormal, bsOver, bsDown});

    auto skin = Skin(L"nc_border");
    const COLORREF border = RGB(skin->Scanline(0)[2], skin->Scanline(0)[1], skin->Scanline(0)[0]);
    for (TVeskCoustomPaintor* painter : {static_cast<TVeskCoustomPaintor*>(v->VeskNcPaintor1),
                                         static_cast<TVeskCoustomPaintor*>(v->msgdlg),
                                         static_cast<TVeskCoustomPaintor*>(frmRemindDlg->VeskNcPaintor1)}) {
        SCOPED_TRACE(Narrow(painter->GetForm()->GetCaption()));
        TShot s = FrameShot(painter);
        ASSERT_TRUE(s);
        const int W = s->Width(), H = s->Height();
        // The outermost ring of pixels, below the caption bar on the sides.
        int wrong = 0;
        for (int y = 27; y < H; ++y) wrong += (s->Color(0, y) != border) + (s->Color(W - 1, y) != border);
        for (int x = 0; x < W; ++x) wrong += (s->Color(x, 0) != border) + (s->Color(x, H - 1) != border);
        EXPECT_EQ(wrong, 0);
        // The client area lies inside the border.
        RECT wr{}, cr{};
        GetWindowRect(painter->GetForm()->GetHandle(), &wr);
        GetClientRect(painter->GetForm()->GetHandle(), &cr);
        EXPECT_EQ(wr.right - wr.left, cr.right + 2);
    }
    v->msgdlg->Attach(nullptr);
}

TEST_F(FrameTest, NoticeWindowWithoutTheVisibleWindowHasTheSameFrameAsWithIt) {
    // A notice before (or without) the visible window takes the built-in frame look.
    OpenStore();
    const TReminderList rows{Add(L"Water the plants")};
    ShowReminders(rows);
    ASSERT_TRUE(frmRemindDlg && !frmView);
    TVeskNcPaintor* painter = frmRemindDlg->VeskNcPaintor1;
    ASSERT_EQ(painter->GetResource(), SharedNcResource());
    EXPECT_NE(painter->GetResource()->GetBtnClose()->GetStateImage(2), nullptr);
    EXPECT_GT(painter->GetBtnRect(vnbClose).Width(), 0);
    TShot alone = FrameShot(painter);
    frmRemindDlg->Free();
    // The same notice with the visible window's look lent to it.
    TfrmView* v = Open();
    ShowReminders(rows);
    ASSERT_EQ(frmRemindDlg->VeskNcPaintor1->GetResource(), v->vkncrsrc1);
    TShot lent = FrameShot(frmRemindDlg->VeskNcPaintor1);
    ASSERT_TRUE(alone && lent && alone->Width() == lent->Width() && alone->Height() == lent->Height());
    EXPECT_TRUE(std::equal(alone->Bits(), alone->Bits() + alone->Width() * alone->Height(), lent->Bits()));
}
