// Program entry.
#include <windows.h>

#include "uInstallStatus.h"
#include "uMain.h"
#include "uRemindAd.h"
#include "uRemindFile.h"
#include "uRemindUpdate.h"
#include "uStartup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // The data file fills the settings' machine id at every load, from the registry routine of the
    // online services, which the application units cannot call themselves. Set before anything can
    // create the store.
    MachineGuidSource = &GetMachineGuid;
    // The online services the application's windows start. The news check is not part of the
    // program yet: its hooks stay unset, so it is never started.
    PostInstallStatusHook = &PostInstallStatus;
    StartUpdateCheckHook = &TReminderUpdate::StartUpdateCheck;
    SetUpdateMsgBoxHook = &SetUpdateMsgBox;
    StartAdHook = [](fw::TControl* Panel, fw::TControl* Receiver) {
        StartAd([Panel](fw::TObject*, TagVeskAdInfo* Item) { AdItemArrived(Panel, Item); }, Receiver);
    };
    return RunProgram();
}
