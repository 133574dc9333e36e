// The program's hidden main window. It is never shown: it owns the reminder store for the whole
// run, makes the visible window and the tray icon, carries the tray menu, executes the menu
// commands of both menus, answers a second instance's activation request and ends the process.
#pragma once

#include <windows.h>

#include <string>

#include "VeskMsgBox.h"
#include "VeskPopupMenu.h"
#include "VeskTrayIcon.h"
#include "fw_timer.h"
#include "uBaseForm.h"

// Sent by a second instance to the running one (wParam 1, lParam 0).
constexpr UINT WM_ACTIVATEINSTANCE = WM_USER + 3453;  // 0x117D

// Start with Windows: the Run value under HKEY_CURRENT_USER.
constexpr const wchar_t* RunKeyPath = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* RunValueName = L"VeskReminder";
// The parameter the Run value passes; any first parameter means a start with Windows.
constexpr const wchar_t* RunParameter = L" -os";

// The web pages of the menu commands.
constexpr const wchar_t* HelpPageUrl = L"www.veskreminder.com/TRX/Help/reminder/";
constexpr const wchar_t* ForumPageUrl = L"http://forum.veskreminder.com/";
constexpr const wchar_t* HomePageUrl = L"http://www.veskreminder.com/";
constexpr const wchar_t* ContactPageUrl = L"http://www.veskreminder.com/help.html";

// Menu commands, carried in the menu items' Tag.
enum TMenuCommand {
    mcOnlineHelp = 1,
    mcForum = 2,
    mcHomePage = 3,
    mcContact = 4,
    mcAutoUpdate = 5,
    mcCheckNews = 6,
    mcLanguage = 7,
    mcStartWithWindows = 8,
    mcAbout = 9,
    mcExit = 10,
};

// ---------------------------------------------------------------------------------------------
// Seams, the real behaviour by default.

// The first command-line parameter ('' without one).
using TFirstParamSource = std::wstring (*)();
extern TFirstParamSource FirstParamSource;
// Whether the taskbar window ("Shell_TrayWnd") exists.
using TTaskbarExistsProc = bool (*)();
extern TTaskbarExistsProc TaskbarExistsProc;
// Ends the process at once with the exit code (TerminateProcess of the current process).
using TEndProcessProc = void (*)(UINT ExitCode);
extern TEndProcessProc EndProcessProc;

// The text the Run value holds: the executable's full path, quoted (a path with blanks would
// otherwise be split by Windows at the first blank), followed by " -os".
std::wstring RunValueText();

class TfrmZUBMain : public TfrmBase {
public:
    // The window class name is the class name: a second instance finds the window by it.
    FW_CLASSNAME(TfrmZUBMain)
    TfrmZUBMain(const fw::TFormKey& Key, fw::TComponent* AOwner) : TfrmBase(Key, AOwner) {}
#include "uMain_form.h"

    void FormCreate(fw::TObject* Sender);
    void FormDestroy(fw::TObject* Sender);
    // The start-up timer: keeps the scheduler running until the taskbar exists, then adds the
    // tray icon and starts the news check.
    void tmr1Timer(fw::TObject* Sender);
    // While the data file could not be read at start (another program held it): tries again, and
    // once the store has loaded, carries on with StoreLoaded.
    void tmrLoadTimer(fw::TObject* Sender);
    // What a start decides from the settings and reminders, done once a store that could not be
    // read at start has loaded them: the end of a start with Windows without active reminder, the
    // visible window's list and catch-up, the online services the settings ask for.
    void StoreLoaded();

    // The base texts, then the tray menu in the new language.
    void ApplyLanguage() override;
    void TranslateTrayMenu();

    // Shows, restores and raises the visible window.
    void ShowMainWindow(fw::TObject* Sender);
    void TrayMouseUp(fw::TObject* Sender, fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y);
    // The command of a menu item (Sender), by its Tag; shared with the visible window's menu.
    void MenuItemClick(fw::TObject* Sender);
    // Exit, asking first while a reminder is active.
    void ConfirmExit();
    // True while a reminder is active (not completed) or has a postponed due time pending, and
    // while the reminders are not known (the data file has not been read yet).
    bool HasActiveReminder() const;
    // Brings a window to the front, also while another program's window is in front.
    static void ForceForegroundWindow(HWND Wnd);

    TVeskTrayIcon* GetTrayIcon() const { return TrayIcon; }
    fw::TTimer* GetLoadTimer() const { return FLoadTimer; }

protected:
    void WndProc(fw::TMessage& Message) override;
    // A second instance asks the running one to come forward.
    virtual void WMActivateInstance(fw::TMessage& Message);
    // Windows ends the session: the process is ended right after this message without any
    // window being destroyed, so the settings are written here (else the recorded version and
    // the last news id of a program that is never closed by hand would never be kept).
    void WMEndSession(fw::TMessage& Message);

private:
    // The settings' version check of a start: a new version is recorded and reported.
    void RecordSetupVersion();

    TVeskTrayIcon* TrayIcon = nullptr;
    fw::TTimer* FLoadTimer = nullptr;
};

// The application's main form, once created.
extern TfrmZUBMain* frmZUBMain;
