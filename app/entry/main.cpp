// Program entry.
#include <windows.h>

#include "UCheckNewThread.h"
#include "uInstallStatus.h"
#include "uMain.h"
#include "uMainForm.h"
#include "uRemindAd.h"
#include "uRemindFile.h"
#include "uRemindUpdate.h"
#include "uStartup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // The data file fills the settings' machine id at every load, from the registry routine of the
    // online services, which the application units cannot call themselves. Set before anything can
    // create the store.
    MachineGuidSource = &GetMachineGuid;
    // The online services the application's windows start.
    PostInstallStatusHook = &PostInstallStatus;
    StartNewsCheckHook = &StartNewsCheckHookProc;
    NewsIdHook = &NewsIdHookProc;
    StartUpdateCheckHook = &TReminderUpdate::StartUpdateCheck;
    SetUpdateMsgBoxHook = &SetUpdateMsgBox;
    StartAdHook = [](fw::TControl* Panel, fw::TControl* Receiver) {
        StartAd([Panel](fw::TObject*, TagVeskAdInfo* Item) { AdItemArrived(Panel, Item); }, Receiver);
    };
    AdClickHook = [](fw::TObject*) { AdClick(); };
    AdMouseEnterHook = &AdMouseEnter;
    AdMouseLeaveHook = &AdMouseLeave;
    AdPaintHook = &PaintAd;
#ifdef VR_TEST_PROGRAM
    // Only in the build of the program that the end-to-end tests start: the address of the
    // product's web server comes from the environment, so that the whole program talks to a server
    // on the same machine (or to none). The shipped program always talks to its own server.
    wchar_t base[512];
    const DWORD n = GetEnvironmentVariableW(L"VR_ONLINE_BASE", base, 512);
    if (n > 0 && n < 512) SetOnlineBaseUrl(std::wstring(base, n));
#endif
    return RunProgram();
}
