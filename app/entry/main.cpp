// Program entry.
#include <windows.h>

#include "uInstallStatus.h"
#include "uRemindFile.h"
#include "uStartup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // The data file fills the settings' machine id at every load, from the registry routine of the
    // online services, which the application units cannot call themselves. Set before anything can
    // create the store.
    MachineGuidSource = &GetMachineGuid;
    return RunProgram();
}
