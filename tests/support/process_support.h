// Started processes, their windows and the program's data folder, for the tests and benchmarks
// that run whole programs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// Seconds on the performance counter.
double Seconds();

// A started process. The object ends it (if still running) and closes its handles.
struct TChildProcess {
    TChildProcess() = default;
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    ~TChildProcess();
    // Starts `exe` in its own folder with `params` after its quoted name; with `output`, the
    // child's standard output and error go to that (inheritable) handle.
    bool Start(const std::wstring& exe, const std::wstring& params = L"", HANDLE output = nullptr);
    bool WaitEnd(DWORD ms) const { return WaitForSingleObject(Info.hProcess, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const;
    DWORD Pid() const { return Info.dwProcessId; }
    PROCESS_INFORMATION Info{};
};

// Runs `exe` with `params` to its end and returns its standard output without trailing line ends.
std::string RunForOutput(const std::wstring& exe, const std::wstring& params);

// The process's top-level window of class `cls` (only a visible one when asked), or null.
HWND FindProcessWindow(const wchar_t* cls, DWORD pid, bool visibleOnly = false);

// The program's data folder in the prefix's application-data folder, put back as it was when the
// object goes. Seed() writes a data file recording `exe`'s version with the online checks off, so
// that a start posts no install statistics and checks for no update or news.
class TProgramDataGuard {
public:
    TProgramDataGuard();
    ~TProgramDataGuard();
    TProgramDataGuard(const TProgramDataGuard&) = delete;
    TProgramDataGuard& operator=(const TProgramDataGuard&) = delete;
    void Seed(const std::wstring& exe, const std::string& setupVer = "") const;
    const std::wstring Folder;  // empty when the application-data folder is unknown
    const std::wstring File;

private:
    bool FFolderExisted, FFileExisted;
    std::vector<uint8_t> FSaved;
};

}  // namespace testsupport
