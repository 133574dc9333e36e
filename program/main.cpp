// Program entry and the program's composition root: the one place that knows every layer. It
// hands the application the online services, then runs the program.
#include <windows.h>

#include <string>

#include "UCheckNewThread.h"
#include "uOnlineServicesImpl.h"
#include "uStartup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // Set before anything can create the data file, which takes the machine id from it at every
    // load. It lives until the process ends.
    static TOnlineServicesImpl Services;
    SetOnlineServices(&Services);
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
