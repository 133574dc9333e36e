#include "uMain.h"

#include <shellapi.h>

#include <vector>

#include "PublicFuns.h"
#include "PublicFunsReg.h"
#include "RepeatRules.h"
#include "fw_handles.h"
#include "uAbout.h"
#include "uMainForm.h"
#include "uOnlineServices.h"
#include "uRemindFile.h"

using namespace fw;

TfrmZUBMain* frmZUBMain = nullptr;

namespace {

std::wstring SystemFirstParam() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return L"";
    fw::TLocalMemory owned(args);
    return count > 1 ? args[1] : L"";
}

bool SystemTaskbarExists() { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }

void SystemEndProcess(UINT ExitCode) { TerminateProcess(GetCurrentProcess(), ExitCode); }

// The store kept a copy of a data file it could not read whole; the user is told once the window
// is free to show a message (the copy is made inside a save, which may run inside a timer tick).
constexpr UINT WM_DAMAGEDDATAFILE = WM_APP + 0x3D1;
std::wstring DamagedCopyPath;
// The data file could not be read at start; the user is told once the window runs its loop.
constexpr UINT WM_DATAFILELOCKED = WM_APP + 0x3D2;
// How often a store that could not read its file tries again.
constexpr UINT kLoadRetryMs = 2000;

std::wstring ExecutablePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return L"";
        if (n < buf.size()) return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::wstring Tr(const std::wstring& Key, const std::wstring& Default) {
    return GetLangString(L"Translation", Key, Default);
}

}  // namespace

TFirstParamSource FirstParamSource = SystemFirstParam;
TTaskbarExistsProc TaskbarExistsProc = SystemTaskbarExists;
TEndProcessProc EndProcessProc = SystemEndProcess;

std::wstring RunValueText() { return L"\"" + ExecutablePath() + L"\"" + RunParameter; }

// ---------------------------------------------------------------------------------------------
// Creation and destruction.

void TfrmZUBMain::FormCreate(TObject* Sender) {
    if (!frmZUBMain) frmZUBMain = this;
    // From here on the global names the program's own data folder (the advertisement cache lies
    // under it too).
    AppDataDir = AppDataDir + L"Vesk_Reminder\\";
    ForceDirectories(AppDataDir);
    RemindFile = new TRemindFile(AppDataDir + L"vk_rmind_data.dat");
    RemindFile->OnDamagedCopy = [Wnd = GetHandle()](const std::wstring& CopyPath) {
        DamagedCopyPath = CopyPath;
        PostMessageW(Wnd, WM_DAMAGEDDATAFILE, 0, 0);
    };

    // With the file unread, whether a reminder is active is not known: the start goes on.
    const bool startedWithWindows = !FirstParamSource().empty();
    if (startedWithWindows && !HasActiveReminder()) {
        // Nothing to announce: end before anything is shown. The loop closes this window and
        // the end runs through FormDestroy, which saves the settings.
        PostMessageW(GetHandle(), WM_CLOSE, 0, 0);
        PostMessageW(GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    }

    TfrmBase::FormCreate(Sender);  // the language texts, the tray menu with them

    frmView = TForm::CreateForm<TfrmView>(this);
    if (!startedWithWindows) frmView->Show();

    TrayIcon = new TVeskTrayIcon(this);
    TrayIcon->SetHint(L"Vesk Reminder");
    TrayIcon->OnClick = [this](TObject* S) { ShowMainWindow(S); };
    TrayIcon->OnMouseUp = [this](TObject* S, TMouseButton Button, TShiftState Shift, int X, int Y) {
        TrayMouseUp(S, Button, Shift, X, Y);
    };

    tmr1->SetEnabled(true);

    if (RemindFile->Loaded()) {
        RecordSetupVersion();
        return;
    }
    // Another program holds the data file (a backup or sync tool at log-on, an editor): nothing is
    // decided from settings that were not read; the user is told, and the store tries again.
    PostMessageW(GetHandle(), WM_DATAFILELOCKED, 0, 0);
    FLoadTimer = new TTimer(this);
    FLoadTimer->SetInterval(kLoadRetryMs);
    FLoadTimer->SetOnTimer([this](TObject* S) { tmrLoadTimer(S); });
}

void TfrmZUBMain::RecordSetupVersion() {
    const std::wstring version = AppVersionText();
    if (Config.SetupVer != version) {
        // The new version reaches the data file with the next save of the settings.
        Config.SetupVer = version;
        OnlineServices().PostInstallStatus(version, Config.MachineGuid);
    }
}

void TfrmZUBMain::tmrLoadTimer(TObject* Sender) {
    (void)Sender;
    if (!RemindFile || !RemindFile->RetryLoad()) return;
    FLoadTimer->SetEnabled(false);
    StoreLoaded();
}

void TfrmZUBMain::StoreLoaded() {
    if (!FirstParamSource().empty() && !HasActiveReminder()) {
        Close();  // as a start with Windows that finds nothing to announce ends
        return;
    }
    if (frmView) frmView->StoreLoaded();
    // The start-up timer starts the news check when it finds the taskbar; it has found it already.
    if (!tmr1->GetEnabled() && Config.CheckNews) OnlineServices().StartNewsCheck(Config.NewsId);
    RecordSetupVersion();
}

void TfrmZUBMain::FormDestroy(TObject* Sender) {
    (void)Sender;
    if (TrayIcon) TrayIcon->SetVisible(false);
    int newsId = 0;
    if (OnlineServices().ShownNewsId(newsId)) Config.NewsId = newsId;
    // The settings are saved here, not only by the store's end, so that a refused save reaches the
    // program's error display before the process ends; the store's own save then has nothing new
    // to write. Settings that were never read are not saved at all.
    if (RemindFile && RemindFile->Loaded()) {
        try {
            RemindFile->SaveConfig();
        } catch (...) {
            Application->HandleException(this);
        }
    }
    delete RemindFile;
    RemindFile = nullptr;
    if (frmZUBMain == this) frmZUBMain = nullptr;
    // Nothing of the framework's shutdown runs after this.
    EndProcessProc(0);
}

void TfrmZUBMain::tmr1Timer(TObject* Sender) {
    (void)Sender;
    if (frmView) frmView->Timer1->SetEnabled(true);
    if (!TaskbarExistsProc()) return;
    if (TrayIcon) TrayIcon->SetVisible(true);
    // Settings that were not read yet ask for nothing: the store's late load does.
    if (Config.CheckNews && RemindFile && RemindFile->Loaded()) OnlineServices().StartNewsCheck(Config.NewsId);
    tmr1->SetEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// Language and tray menu.

void TfrmZUBMain::ApplyLanguage() {
    TfrmBase::ApplyLanguage();
    TranslateTrayMenu();
}

void TfrmZUBMain::TranslateTrayMenu() {
    ppmTrayIcon->ClearItems();
    auto add = [this](const std::wstring& Caption, int Tag, TNotifyEvent OnClick) {
        auto* item = new TVeskMenuItem;
        item->SetCaption(Caption);
        item->SetTag(Tag);
        item->OnClick = std::move(OnClick);
        ppmTrayIcon->InsertItem(item);
    };
    const TNotifyEvent command = [this](TObject* S) { MenuItemClick(S); };
    add(Tr(L"TfrmZUBMain.OpenWindow", L"Open VeskReminder"), 0, [this](TObject* S) { ShowMainWindow(S); });
    add(L"-", 0, nullptr);
    add(Tr(L"TfrmZUBMain.TrayMenuItem3", L"Homepage"), mcHomePage, command);
    add(Tr(L"TfrmZUBMain.TrayMenuItem9", L"About"), mcAbout, command);
    add(Tr(L"TfrmZUBMain.TrayMenuItem10", L"Exit"), mcExit, command);
}

void TfrmZUBMain::TrayMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    (void)Sender;
    (void)Shift;
    if (Button == mbRight) ppmTrayIcon->Popup(X, Y);
}

// ---------------------------------------------------------------------------------------------
// Commands.

void TfrmZUBMain::MenuItemClick(TObject* Sender) {
    auto* item = dynamic_cast<TVeskMenuItem*>(Sender);
    if (!item) return;
    switch (item->GetTag()) {
        case mcOnlineHelp:
            OpenUrl(GetHandle(), HelpPageUrl);
            break;
        case mcForum:
            OpenUrl(GetHandle(), ForumPageUrl);
            break;
        case mcHomePage:
            OpenUrl(GetHandle(), HomePageUrl);
            break;
        case mcContact:
            OpenUrl(GetHandle(), ContactPageUrl);
            break;
        case mcAutoUpdate:
            item->SetChecked(!item->GetChecked());
            Config.AutoUpdate = item->GetChecked();
            if (RemindFile) RemindFile->SaveConfig();
            break;
        case mcCheckNews:
            item->SetChecked(!item->GetChecked());
            Config.CheckNews = item->GetChecked();
            if (RemindFile) RemindFile->SaveConfig();
            break;
        case mcStartWithWindows:
            if (item->GetChecked()) {
                // The mark goes once the value is gone, also when it had been removed elsewhere;
                // a value that stays (no right to remove it) keeps the mark.
                const bool removed = RegRemoveValue(HKEY_CURRENT_USER, RunKeyPath, RunValueName) ||
                                     !RegValueExists(HKEY_CURRENT_USER, RunKeyPath, RunValueName, true);
                if (removed) item->SetChecked(false);
            } else {
                // The mark claims what the registry holds: none when the write was refused.
                if (RegWriteString(HKEY_CURRENT_USER, RunKeyPath, RunValueName, RunValueText()))
                    item->SetChecked(true);
            }
            break;
        case mcAbout:
            ShowAboutWindow(this);
            break;
        case mcExit:
            ConfirmExit();
            break;
        default:
            // The language items have their own handler.
            break;
    }
}

void TfrmZUBMain::ConfirmExit() {
    if (HasActiveReminder() && frmView) {
        const int answer = frmView->msgdlg->MessageDlg(Tr(L"Confirm", L"Confirm"),
                                                       GetLangString(L"Messages", L"ExitApp", L""), mtConfirmation,
                                                       {mbYes, mbNo});
        if (answer != mrYes) return;
    }
    Close();
}

bool TfrmZUBMain::HasActiveReminder() const {
    if (!RemindFile) return false;
    if (!RemindFile->Loaded()) return true;
    for (const TRmRecordStruct* r : RemindFile->Records)
        if (IsReminderActive(*r)) return true;
    return false;
}

// ---------------------------------------------------------------------------------------------
// Showing the visible window.

void TfrmZUBMain::ShowMainWindow(TObject* Sender) {
    (void)Sender;
    if (!frmView) return;
    if (!frmView->GetVisible()) frmView->Show();
    const HWND wnd = frmView->GetHandle();
    if (IsIconic(wnd)) OpenIcon(wnd);
    ForceForegroundWindow(wnd);
}

void TfrmZUBMain::ForceForegroundWindow(HWND Wnd) {
    const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const DWORD current = GetCurrentThreadId();
    if (current == foreground) {
        SetForegroundWindow(Wnd);
        return;
    }
    // Windows lets only the thread of the foreground window change it: join its input for the
    // moment of the change.
    AttachThreadInput(current, foreground, TRUE);
    SetForegroundWindow(Wnd);
    ShowWindow(Wnd, SW_SHOWNORMAL);
    BringWindowToTop(Wnd);
    AttachThreadInput(current, foreground, FALSE);
}

void TfrmZUBMain::WndProc(TMessage& Message) {
    if (Message.Msg == WM_ACTIVATEINSTANCE) {
        WMActivateInstance(Message);
        return;
    }
    if (Message.Msg == WM_DAMAGEDDATAFILE) {
        if (frmView && !DamagedCopyPath.empty())
            frmView->msgdlg->MessageDlg(Tr(L"Confirm", L"Confirm"),
                                        Format(GetLangString(L"Messages", L"DamagedDataFile", L"%s"), {DamagedCopyPath}),
                                        mtWarning, mbOK);
        DamagedCopyPath.clear();
        return;
    }
    if (Message.Msg == WM_DATAFILELOCKED) {
        if (frmView && RemindFile && !RemindFile->Loaded())
            frmView->msgdlg->MessageDlg(
                Tr(L"Confirm", L"Confirm"),
                Format(GetLangString(L"Messages", L"DataFileLocked", L"%s"), {RemindFile->GetFileName()}), mtWarning,
                mbOK);
        return;
    }
    if (Message.Msg == WM_ENDSESSION) WMEndSession(Message);
    TfrmBase::WndProc(Message);
}

void TfrmZUBMain::WMEndSession(TMessage& Message) {
    // The session goes on, or the settings were never read (and are not written).
    if (Message.WParam == 0 || !RemindFile || !RemindFile->Loaded()) return;
    int newsId = 0;
    if (OnlineServices().ShownNewsId(newsId)) Config.NewsId = newsId;
    try {
        RemindFile->SaveConfig();
    } catch (...) {
        // Nothing can be shown any more while the session ends.
    }
}

void TfrmZUBMain::WMActivateInstance(TMessage& Message) {
    ShowMainWindow(nullptr);
    Message.Result = 0;
}
