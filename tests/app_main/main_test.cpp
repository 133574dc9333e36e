// The hidden main window: what its creation makes in which case, the start-up timer, the tray
// icon and tray menu, every menu command (web pages through a recording launcher, the settings
// switches, start with Windows in the registry, about, exit with and without the question), the
// activation request of a second start and the steps of the window's end.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "PublicFuns.h"
#include "VeskNcPaintor.h"
#include "fw_inifiles.h"
#include "fake_online_services.h"
#include "fw_registry.h"
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
struct Asked {
    std::wstring caption, text;
    uint8_t type;
    TMsgDlgButtons buttons;
};

std::wstring gFirstParam;
bool gTaskbar = false;
std::vector<UINT> gEnded;
std::vector<DWORD> gTrayCalls;
int gDeletesAtEnd = -1;  // icon removals seen when the process was ended

std::wstring FakeFirstParam() { return gFirstParam; }
bool FakeTaskbar() { return gTaskbar; }
BOOL WINAPI FakeNotifyIcon(DWORD message, PNOTIFYICONDATAW) {
    gTrayCalls.push_back(message);
    return TRUE;
}

int Count(const std::vector<DWORD>& calls, DWORD message) {
    int n = 0;
    for (DWORD c : calls) n += c == message;
    return n;
}
void FakeEnd(UINT code) {
    gEnded.push_back(code);
    gDeletesAtEnd = Count(gTrayCalls, NIM_DELETE);
}

// Runs the application's own message handling until the loop would end (the quit message that
// closing the main window posts), at most Ms milliseconds.
bool LoopEnds(DWORD Ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        fw::Application->ProcessMessages();
        if (fw::Application->GetTerminated()) return true;
        if (GetTickCount() - start > Ms) return false;
        Sleep(10);
    }
}

// Takes away the quit message an earlier closed main window left (the application's own message
// handling leaves it waiting for the loop that ends the program).
void DrainQuit() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    fw::Application->ClearTerminated();
}

void WriteLangFile(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    WriteFileBytes(path, bytes);
}

// The Run value as the registry holds it; Exists tells whether it is there.
std::wstring RunValue(bool& Exists) {
    fw::TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    Exists = false;
    if (!reg.OpenKeyReadOnly(RunKeyPath) || !reg.ValueExists(RunValueName)) return L"";
    Exists = true;
    return reg.ReadString(RunValueName);
}

std::wstring OwnPath() {
    wchar_t buf[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    return buf;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::Application->Initialize();
        DrainQuit();
        fw::Application->OnException = [this](fw::TObject*, const fw::Exception& e) { errors_.push_back(e.Message); };
        savedAppData_ = AppDataDir;
        AppDataDir = dir_.Path() + L"\\";
        LangFile = dir_.File(L"NoLanguage.ini");
        LangIni.reset();
        Config = TConfig{};
        savedComposition_ = NcCompositionEnabledProc;
        savedAllow_ = NcAllowNcPaintProc;
        NcCompositionEnabledProc = [] { return false; };
        NcAllowNcPaintProc = [](HWND) {};
        MessageDlgProc = [this](TVeskMsgBox* box, const std::wstring& caption, const std::wstring& msg, uint8_t type,
                                TMsgDlgButtons buttons) {
            asked_.push_back({caption, msg, type, buttons});
            askedBox_ = box;
            return answer_;
        };
        SetTaskbarRectSource([](RECT& r) {
            r = RECT{0, 560, 800, 600};
            return true;
        });
        SetShellLauncher([this](HWND owner, const std::wstring& verb, const std::wstring& file,
                                const std::wstring& params, int) { launched_.push_back({owner, verb, file, params}); });
        SetWindowsVersionSource([](DWORD& major, DWORD& minor) {
            major = 6;
            minor = 1;
        });
        savedNotify_ = ShellNotifyIconProc;
        ShellNotifyIconProc = FakeNotifyIcon;
        FirstParamSource = FakeFirstParam;
        TaskbarExistsProc = FakeTaskbar;
        EndProcessProc = FakeEnd;
        gFirstParam.clear();
        gTaskbar = false;
        gEnded.clear();
        gTrayCalls.clear();
        gDeletesAtEnd = -1;
        // A tray icon that is added without a taskbar waits for one first.
        if (!FindWindowW(L"Shell_TrayWnd", nullptr)) MakeTaskbarWindow();
    }
    void TearDown() override {
        FreeMain();
        if (frmRemindDlg) frmRemindDlg->Free();
        if (taskbar_) DestroyWindow(taskbar_);
        DrainQuit();
        ShellNotifyIconProc = savedNotify_;
        SetWindowsVersionSource(nullptr);
        SetShellLauncher(nullptr);
        SetTaskbarRectSource(nullptr);
        ResetMessageDlgProc();
        NcCompositionEnabledProc = savedComposition_;
        NcAllowNcPaintProc = savedAllow_;
        LangIni.reset();
        AppDataDir = savedAppData_;
        fw::Application->OnException = nullptr;
        EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? "" : Narrow(errors_[0]));
    }

    void MakeTaskbarWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Shell_TrayWnd";
        RegisterClassW(&wc);
        taskbar_ = CreateWindowExW(0, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    }

    std::wstring DataFolder() const { return dir_.Path() + L"\\Vesk_Reminder\\"; }
    std::wstring DataFile() const { return DataFolder() + L"vk_rmind_data.dat"; }

    // Stores a reminder in the data file before the window opens it.
    void StoreReminder(const std::wstring& name, double end) {
        CreateDirectoryW(DataFolder().c_str(), nullptr);
        TRemindFile store(DataFile());
        auto* r = new TRmRecordStruct;
        r->Name = name;
        r->CreateDateTime = fw::Now() - 3 + 0.001 * (++created_);
        r->LastTime = r->CreateDateTime;
        r->Period = 0;
        r->WakeTime = 0.99;
        r->SetDate(static_cast<int>(fw::Now()) + 30);
        r->EndTime = end;
        store.AddRecord(r);
        Config = TConfig{};
    }

    TfrmZUBMain* CreateMain() {
        fw::Application->CreateForm(main_);
        alive_ = main_->AliveToken();
        return main_;
    }
    void FreeMain() {
        if (main_ && alive_ && *alive_) main_->Free();
        main_ = nullptr;
    }
    TVeskMenuItem* Item(int tag) {
        item_ = std::make_unique<TVeskMenuItem>();
        item_->SetTag(tag);
        return item_.get();
    }

    TempDir dir_;
    TFakeOnlineServices online_;
    TfrmZUBMain* main_ = nullptr;
    std::shared_ptr<bool> alive_;
    std::unique_ptr<TVeskMenuItem> item_;
    std::vector<std::wstring> errors_;
    std::vector<Launch> launched_;
    std::vector<Asked> asked_;
    TVeskMsgBox* askedBox_ = nullptr;
    int answer_ = fw::mrYes;
    HWND taskbar_ = nullptr;
    int created_ = 0;
    std::wstring savedAppData_;
    TNcCompositionProc savedComposition_ = nullptr;
    TNcAllowNcPaintProc savedAllow_ = nullptr;
    TShellNotifyIconProc savedNotify_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Creation.

TEST_F(MainWindowTest, PlainStartOpensTheStoreShowsTheWindowAndPreparesTrayAndTimer) {
    auto* m = CreateMain();
    EXPECT_EQ(fw::Application->GetMainForm(), m);
    EXPECT_EQ(frmZUBMain, m);
    // The data folder is the program's own folder under the application-data folder.
    EXPECT_EQ(AppDataDir, DataFolder());
    EXPECT_NE(GetFileAttributesW(DataFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(RemindFile, nullptr);
    EXPECT_EQ(RemindFile->GetFileName(), DataFile());
    // The visible window belongs to the main window and is shown; the main window is not.
    ASSERT_NE(frmView, nullptr);
    EXPECT_EQ(frmView->GetOwner(), m);
    EXPECT_TRUE(frmView->GetVisible());
    EXPECT_FALSE(IsWindowVisible(m->GetHandle()));
    // The tray icon waits for the taskbar.
    ASSERT_NE(m->GetTrayIcon(), nullptr);
    EXPECT_EQ(m->GetTrayIcon()->GetOwner(), m);
    EXPECT_EQ(m->GetTrayIcon()->GetHint(), L"Vesk Reminder");
    EXPECT_FALSE(m->GetTrayIcon()->GetVisible());
    EXPECT_EQ(Count(gTrayCalls, NIM_ADD), 0);
    EXPECT_TRUE(m->tmr1->GetEnabled());
    EXPECT_EQ(m->tmr1->GetInterval(), 1000u);
    EXPECT_EQ(m->ppmTrayIcon->Count(), 5);
    EXPECT_EQ(m->GetCaption(), L"Vesk Reminder");
    EXPECT_TRUE(gEnded.empty());
}

TEST_F(MainWindowTest, ChangedVersionIsRecordedAndPostedOnce) {
    auto* m = CreateMain();
    (void)m;
    ASSERT_EQ(online_.posted.size(), 1u);
    EXPECT_EQ(online_.posted[0].first, AppVersionText());
    EXPECT_EQ(online_.posted[0].second, Config.MachineGuid);
    EXPECT_EQ(Config.SetupVer, AppVersionText());
    FreeMain();
    EXPECT_EQ(gEnded, std::vector<UINT>{0});
    // Recorded in the data file at the end, so the next start posts nothing.
    EXPECT_EQ(fw::TIniFile(DataFile()).ReadString(L"CONFIG", L"SetupVer", L""), AppVersionText());
    AppDataDir = dir_.Path() + L"\\";
    online_.posted.clear();
    CreateMain();
    EXPECT_TRUE(online_.posted.empty());
}

TEST_F(MainWindowTest, StartWithWindowsAndAnActiveReminderStaysHidden) {
    StoreReminder(L"active", 0);
    gFirstParam = L"-os";
    auto* m = CreateMain();
    ASSERT_NE(frmView, nullptr);
    EXPECT_FALSE(frmView->GetVisible());
    ASSERT_NE(m->GetTrayIcon(), nullptr);
    EXPECT_TRUE(m->tmr1->GetEnabled());
    EXPECT_FALSE(LoopEnds(200));

    // A left click on the tray icon shows and raises the visible window.
    gTaskbar = true;
    m->tmr1Timer(nullptr);
    HWND tray = m->GetTrayIcon()->GetData().hWnd;
    SendMessageW(tray, WM_TRAYICONCALLBACK, 0, WM_LBUTTONDOWN);
    SendMessageW(tray, WM_TRAYICONCALLBACK, 0, WM_LBUTTONUP);
    EXPECT_TRUE(frmView->GetVisible());
    EXPECT_TRUE(IsWindowVisible(frmView->GetHandle()));
    HWND view = frmView->GetHandle();
    EXPECT_TRUE(PumpMessagesUntil([&] { return GetForegroundWindow() == view; }, 2000));
}

TEST_F(MainWindowTest, StartWithWindowsWithoutAnActiveReminderEndsAndSavesTheSettings) {
    StoreReminder(L"done", fw::Now() - 1);
    gFirstParam = L"-os";
    auto* m = CreateMain();
    // Nothing is made: no language texts, no visible window, no tray icon, no timer.
    EXPECT_EQ(frmView, nullptr);
    EXPECT_EQ(m->GetTrayIcon(), nullptr);
    EXPECT_FALSE(m->tmr1->GetEnabled());
    EXPECT_EQ(m->ppmTrayIcon->Count(), 0);
    EXPECT_TRUE(online_.posted.empty());
    // The posted close ends the loop.
    EXPECT_TRUE(LoopEnds(3000));
    FreeMain();
    EXPECT_EQ(gEnded, std::vector<UINT>{0});
    EXPECT_EQ(RemindFile, nullptr);
    EXPECT_EQ(fw::TIniFile(DataFile()).ReadString(L"CONFIG", L"Language", L"missing"), L"English");
}

TEST_F(MainWindowTest, ActiveReminderIsUnfinishedOrPostponed) {
    auto* m = CreateMain();
    EXPECT_FALSE(m->HasActiveReminder());
    TRmRecordStruct done, pending;
    done.EndTime = 45000;
    pending.EndTime = 45000;
    RemindFile->Records.push_back(&done);
    EXPECT_FALSE(m->HasActiveReminder());
    RemindFile->Records.push_back(&pending);
    pending.NextDue = 45001;
    EXPECT_TRUE(m->HasActiveReminder());
    pending.NextDue = 0;
    done.EndTime = 0;
    EXPECT_TRUE(m->HasActiveReminder());
    RemindFile->Records.clear();
}

// ---------------------------------------------------------------------------------------------
// Start-up timer and tray icon.

TEST_F(MainWindowTest, StartupTimerRunsTheSchedulerUntilTheTaskbarExists) {
    Config.CheckNews = true;
    auto* m = CreateMain();
    Config.NewsId = 41;
    frmView->Timer1->SetEnabled(false);
    m->tmr1Timer(nullptr);
    EXPECT_TRUE(frmView->Timer1->GetEnabled());
    EXPECT_TRUE(m->tmr1->GetEnabled());
    EXPECT_FALSE(m->GetTrayIcon()->GetVisible());
    EXPECT_TRUE(online_.newsChecks.empty());

    // The timer itself ticks once a second.
    gTaskbar = true;
    ASSERT_TRUE(PumpMessagesUntil([&] { return !m->tmr1->GetEnabled(); }, 3000));
    EXPECT_TRUE(m->GetTrayIcon()->GetVisible());
    EXPECT_EQ(Count(gTrayCalls, NIM_ADD), 1);
    EXPECT_EQ(online_.newsChecks, std::vector<int>{41});
    EXPECT_TRUE(frmView->Timer1->GetEnabled());
}

TEST_F(MainWindowTest, NoNewsCheckWhenItIsSwitchedOff) {
    auto* m = CreateMain();
    Config.CheckNews = false;
    gTaskbar = true;
    m->tmr1Timer(nullptr);
    EXPECT_TRUE(m->GetTrayIcon()->GetVisible());
    EXPECT_TRUE(online_.newsChecks.empty());
}

TEST_F(MainWindowTest, RightClickOnTheTrayIconOpensTheTrayMenu) {
    auto* m = CreateMain();
    gTaskbar = true;
    m->tmr1Timer(nullptr);
    HWND tray = m->GetTrayIcon()->GetData().hWnd;
    SendMessageW(tray, WM_TRAYICONCALLBACK, 0, WM_RBUTTONDOWN);
    EXPECT_FALSE(m->ppmTrayIcon->GetShown());
    SendMessageW(tray, WM_TRAYICONCALLBACK, 0, WM_RBUTTONUP);
    EXPECT_TRUE(m->ppmTrayIcon->GetShown());
    m->ppmTrayIcon->CloseMenu();
}

// ---------------------------------------------------------------------------------------------
// Tray menu.

TEST_F(MainWindowTest, TrayMenuItemsAndTheirTextsFollowTheLanguage) {
    auto* m = CreateMain();
    struct Want {
        std::wstring caption;
        int tag;
        bool command;
    };
    const std::vector<Want> english = {{L"Open VeskReminder", 0, false},
                                       {L"-", 0, false},
                                       {GetLangString(L"Translation", L"TfrmZUBMain.TrayMenuItem3", L""), 3, true},
                                       {GetLangString(L"Translation", L"TfrmZUBMain.TrayMenuItem9", L""), 9, true},
                                       {GetLangString(L"Translation", L"TfrmZUBMain.TrayMenuItem10", L""), 10, true}};
    EXPECT_EQ(english[2].caption, L"Homepage");
    EXPECT_EQ(english[4].caption, L"Exit");
    ASSERT_EQ(m->ppmTrayIcon->Count(), 5);
    for (int i = 0; i < 5; ++i) {
        TVeskMenuItem* it = m->ppmTrayIcon->GetItem(i);
        EXPECT_EQ(it->GetCaption(), english[i].caption) << i;
        EXPECT_EQ(it->GetTag(), english[i].tag) << i;
        EXPECT_EQ(static_cast<bool>(it->OnClick), i != 1) << i;
    }
    EXPECT_TRUE(m->ppmTrayIcon->GetItem(1)->IsLine());

    // The first item shows the visible window.
    frmView->Hide();
    m->ppmTrayIcon->GetItem(0)->OnClick(m->ppmTrayIcon->GetItem(0));
    EXPECT_TRUE(frmView->GetVisible());
    // The home page item runs the command of its Tag.
    m->ppmTrayIcon->GetItem(2)->OnClick(m->ppmTrayIcon->GetItem(2));
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(launched_[0].file, HomePageUrl);

    // Another language: the menu is built again, in its words.
    LangFile = dir_.File(L"Deutsch.ini");
    WriteLangFile(LangFile, L"[Translation]\r\nTfrmZUBMain.OpenWindow=Erinnerung \u00f6ffnen\r\n"
                            L"TfrmZUBMain.TrayMenuItem3=Startseite\r\nTfrmZUBMain.TrayMenuItem9=\u00dcber\r\n"
                            L"TfrmZUBMain.TrayMenuItem10=Beenden\r\n");
    LoadLangFile();
    m->ApplyLanguage();
    ASSERT_EQ(m->ppmTrayIcon->Count(), 5);
    EXPECT_EQ(m->ppmTrayIcon->GetItem(0)->GetCaption(), L"Erinnerung \u00f6ffnen");
    EXPECT_EQ(m->ppmTrayIcon->GetItem(1)->GetCaption(), L"-");
    EXPECT_EQ(m->ppmTrayIcon->GetItem(2)->GetCaption(), L"Startseite");
    EXPECT_EQ(m->ppmTrayIcon->GetItem(3)->GetCaption(), L"\u00dcber");
    EXPECT_EQ(m->ppmTrayIcon->GetItem(4)->GetCaption(), L"Beenden");
    EXPECT_EQ(m->ppmTrayIcon->GetItem(4)->GetTag(), 10);
}

TEST_F(MainWindowTest, TrayMenuSkinComesFromTheDescription) {
    auto* m = CreateMain();
    TVeskPopupMenu* p = m->ppmTrayIcon;
    EXPECT_EQ(p->GetAlpha(), 255);
    EXPECT_EQ(p->GetAlphaWidth(), 5);
    EXPECT_EQ(p->GetMenuBarWidth(), 40);
    EXPECT_EQ(p->GetItemHeight(), 25);
    EXPECT_EQ(p->GetItemStateCount(), 3);
    EXPECT_EQ(p->GetMinWidth(), 180);
    EXPECT_EQ(p->GetSubArrowStateCount(), 3);
    EXPECT_FALSE(p->GetHaveBar());
    EXPECT_EQ(p->GetImgSplit()->GetLeft(), 16);
    EXPECT_EQ(p->GetImgSplit()->GetBottom(), 15);
    EXPECT_EQ(p->GetItemSplit()->GetRight(), 5);
    EXPECT_EQ(p->GetFontSelect()->GetName(), L"Tahoma");
    EXPECT_EQ(p->GetFontDisable()->GetHeight(), -11);
    for (fw::TPngImage* img : {p->GetImgBack(), p->GetImgItem(), p->GetImgBtnUpDown(), p->GetImgLine(),
                               p->GetImgSubArrow(), p->GetImgCheck(), p->GetImgRadio()})
        EXPECT_FALSE(img->GetEmpty());
}

// ---------------------------------------------------------------------------------------------
// Commands.

TEST_F(MainWindowTest, WebPageCommandsOpenTheirAddressesWithTheWindowAsOwner) {
    auto* m = CreateMain();
    for (int tag : {1, 2, 3, 4}) m->MenuItemClick(Item(tag));
    ASSERT_EQ(launched_.size(), 4u);
    const std::wstring want[] = {L"www.veskreminder.com/TRX/Help/reminder/", L"http://forum.veskreminder.com/",
                                 L"http://www.veskreminder.com/", L"http://www.veskreminder.com/help.html"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(launched_[i].file, want[i]);
        EXPECT_EQ(launched_[i].verb, L"open");
        EXPECT_EQ(launched_[i].owner, m->GetHandle());
    }
}

TEST_F(MainWindowTest, SwitchCommandsToggleTheirMarkAndSaveTheSetting) {
    auto* m = CreateMain();
    struct Case {
        int tag;
        const wchar_t* key;
        bool TConfig::*field;
    };
    for (const Case& c : {Case{5, L"AUTEUPDATE", &TConfig::AutoUpdate}, Case{6, L"CHECKNEWS", &TConfig::CheckNews}}) {
        TVeskMenuItem* item = Item(c.tag);
        item->SetChecked(false);
        Config.*c.field = false;
        m->MenuItemClick(item);
        EXPECT_TRUE(item->GetChecked());
        EXPECT_TRUE(Config.*c.field);
        EXPECT_TRUE(fw::TIniFile(DataFile()).ReadBool(L"CONFIG", c.key, false)) << Narrow(c.key);
        m->MenuItemClick(item);
        EXPECT_FALSE(item->GetChecked());
        EXPECT_FALSE(Config.*c.field);
        EXPECT_FALSE(fw::TIniFile(DataFile()).ReadBool(L"CONFIG", c.key, true)) << Narrow(c.key);
    }
}

TEST_F(MainWindowTest, StartWithWindowsWritesAndRemovesTheRunValue) {
    bool existed = false;
    const std::wstring before = RunValue(existed);
    auto* m = CreateMain();
    TVeskMenuItem* item = Item(8);
    item->SetChecked(false);
    m->MenuItemClick(item);
    bool exists = false;
    const std::wstring value = RunValue(exists);
    EXPECT_TRUE(exists);
    // The full path, quoted so that a path with blanks names this program, and the parameter.
    EXPECT_EQ(value, L"\"" + OwnPath() + L"\" -os");
    EXPECT_TRUE(item->GetChecked());

    m->MenuItemClick(item);
    RunValue(exists);
    EXPECT_FALSE(exists);
    EXPECT_FALSE(item->GetChecked());

    // A mark whose value was removed elsewhere goes on the next click instead of sticking.
    item->SetChecked(true);
    m->MenuItemClick(item);
    EXPECT_FALSE(item->GetChecked());
    RunValue(exists);
    EXPECT_FALSE(exists);

    if (existed) RegWriteString(HKEY_CURRENT_USER, RunKeyPath, RunValueName, before);
}

TEST_F(MainWindowTest, AboutCommandShowsANewModalAboutWindowEachTime) {
    auto* m = CreateMain();
    std::vector<HWND> seen;
    std::unique_ptr<fw::TTimer> timer;
    for (int round = 0; round < 2; ++round) {
        timer = std::make_unique<fw::TTimer>(nullptr);
        timer->SetInterval(150);
        timer->SetOnTimer([&](fw::TObject*) {
            timer->SetEnabled(false);
            for (int i = 0; i < m->GetComponentCount(); ++i)
                if (auto* a = dynamic_cast<TfrmAbout*>(m->GetComponent(i))) {
                    if (a->IsModal()) seen.push_back(a->GetHandle());
                    PostMessageW(a->GetHandle(), WM_CLOSE, 0, 0);
                }
        });
        timer->SetEnabled(true);
        m->MenuItemClick(Item(9));
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0], seen[1]);
    for (int i = 0; i < m->GetComponentCount(); ++i) EXPECT_EQ(dynamic_cast<TfrmAbout*>(m->GetComponent(i)), nullptr);
}

TEST_F(MainWindowTest, ExitWithoutActiveReminderAsksNothing) {
    auto* m = CreateMain();
    m->MenuItemClick(Item(10));
    EXPECT_TRUE(asked_.empty());
    EXPECT_TRUE(LoopEnds(1000));
}

TEST_F(MainWindowTest, ExitWithAnActiveReminderAsksAndOnlyYesEnds) {
    StoreReminder(L"active", 0);
    auto* m = CreateMain();
    answer_ = fw::mrNo;
    m->MenuItemClick(Item(10));
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(askedBox_, frmView->msgdlg);
    EXPECT_EQ(asked_[0].caption, L"Confirm");
    EXPECT_EQ(asked_[0].text, GetLangString(L"Messages", L"ExitApp", L""));
    EXPECT_FALSE(asked_[0].text.empty());
    EXPECT_EQ(asked_[0].type, mtConfirmation);
    EXPECT_EQ(asked_[0].buttons, TMsgDlgButtons({mbYes, mbNo}));
    EXPECT_FALSE(LoopEnds(200));
    answer_ = 2;  // the box closed
    m->ConfirmExit();
    EXPECT_FALSE(LoopEnds(200));
    answer_ = fw::mrYes;
    m->MenuItemClick(Item(10));
    EXPECT_EQ(asked_.size(), 3u);
    EXPECT_TRUE(LoopEnds(1000));
}

TEST_F(MainWindowTest, OtherTagsDoNothing) {
    StoreReminder(L"active", 0);
    auto* m = CreateMain();
    for (int tag : {0, 7, 11, -1}) {
        TVeskMenuItem* item = Item(tag);
        item->SetChecked(true);
        m->MenuItemClick(item);
        EXPECT_TRUE(item->GetChecked());
    }
    EXPECT_TRUE(launched_.empty());
    EXPECT_TRUE(asked_.empty());
    EXPECT_FALSE(LoopEnds(200));
}

// ---------------------------------------------------------------------------------------------
// Second start and end.

TEST_F(MainWindowTest, ActivationRequestRestoresAndRaisesTheMinimisedWindow) {
    auto* m = CreateMain();
    HWND view = frmView->GetHandle();
    ShowWindow(view, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(view));
    EXPECT_EQ(SendMessageW(m->GetHandle(), WM_ACTIVATEINSTANCE, 1, 0), 0);
    EXPECT_FALSE(IsIconic(view));
    EXPECT_TRUE(IsWindowVisible(view));
    EXPECT_TRUE(PumpMessagesUntil([&] { return GetForegroundWindow() == view; }, 2000));

    // A hidden window is shown.
    frmView->Hide();
    SendMessageW(m->GetHandle(), WM_ACTIVATEINSTANCE, 1, 0);
    EXPECT_TRUE(frmView->GetVisible());
    EXPECT_FALSE(IsWindowVisible(m->GetHandle()));
}

TEST_F(MainWindowTest, EndRemovesTheIconKeepsTheNewsIdSavesAndEndsTheProcess) {
    auto* m = CreateMain();
    gTaskbar = true;
    m->tmr1Timer(nullptr);
    ASSERT_EQ(Count(gTrayCalls, NIM_ADD), 1);
    online_.shownNewsId = 77;
    FreeMain();
    // The icon went before the process was ended.
    EXPECT_EQ(gDeletesAtEnd, 1);
    EXPECT_EQ(gEnded, std::vector<UINT>{0});
    EXPECT_EQ(RemindFile, nullptr);
    EXPECT_EQ(frmZUBMain, nullptr);
    EXPECT_EQ(fw::TIniFile(DataFile()).ReadInteger(L"CONFIG", L"NEWSID", 0), 77);
}

TEST_F(MainWindowTest, SessionEndWritesTheSettingsWithoutEndingTheProgram) {
    auto* m = CreateMain();  // a new version: recorded in memory only so far
    ASSERT_EQ(Config.SetupVer, AppVersionText());
    online_.shownNewsId = 12;
    // A session that goes on changes nothing.
    SendMessageW(m->GetHandle(), WM_ENDSESSION, 0, 0);
    EXPECT_NE(fw::TIniFile(DataFile()).ReadString(L"CONFIG", L"SetupVer", L""), AppVersionText());
    // Windows ends the process after this message without destroying any window: the settings
    // must be on disk by then.
    SendMessageW(m->GetHandle(), WM_ENDSESSION, 1, 0);
    fw::TIniFile ini(DataFile());
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"SetupVer", L""), AppVersionText());
    EXPECT_EQ(ini.ReadInteger(L"CONFIG", L"NEWSID", 0), 12);
    EXPECT_TRUE(gEnded.empty());
    EXPECT_FALSE(LoopEnds(100));
}

TEST_F(MainWindowTest, EndWithoutNewsWindowKeepsTheNewsId) {
    Config.NewsId = 5;
    auto* m = CreateMain();
    (void)m;
    Config.NewsId = 5;
    FreeMain();
    EXPECT_EQ(fw::TIniFile(DataFile()).ReadInteger(L"CONFIG", L"NEWSID", 0), 5);
}

}  // namespace
