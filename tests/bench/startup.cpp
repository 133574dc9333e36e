// Start-up and footprint of the program beside Wine's notepad, started alternately in one run:
// time to the hidden main window (its class exists), to the visible window (shown), and the
// working set once the start has settled. Prints the median of several runs for each and the
// ratios to notepad. VR_BENCH_RUNS sets the number of runs (default 7); VR_BENCH_PROGRAM names
// another build's VeskReminder.exe to measure instead of this build's (for a before and after).
#include <windows.h>

#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PublicFuns.h"
#include "test_support.h"

namespace {

double Now() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER q;
        QueryPerformanceFrequency(&q);
        return q;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

HWND ProcessWindow(const wchar_t* cls, DWORD pid, bool visible) {
    for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && (!visible || IsWindowVisible(w))) return w;
    }
    return nullptr;
}

// Seconds from `start` until the window is there (negative after 30 s without it).
double WaitWindow(const wchar_t* cls, DWORD pid, bool visible, double start) {
    while (!ProcessWindow(cls, pid, visible)) {
        if (Now() - start > 30) return -1;
        Sleep(1);
    }
    return Now() - start;
}

struct Sample {
    double Hidden = 0;   // seconds to the hidden main window (the program only)
    double Visible = 0;  // seconds to the visible window
    double WorkingSetMb = 0;
};

// Starts `exe`, waits for its windows, lets the start settle and measures the working set.
bool Measure(const std::wstring& exe, const wchar_t* hiddenClass, const wchar_t* visibleClass, Sample& s) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
    const double start = Now();
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
        return false;
    bool ok = true;
    if (hiddenClass) {
        s.Hidden = WaitWindow(hiddenClass, pi.dwProcessId, false, start);
        ok = s.Hidden >= 0;
    }
    if (ok) {
        s.Visible = WaitWindow(visibleClass, pi.dwProcessId, true, start);
        ok = s.Visible >= 0;
    }
    if (ok) {
        WaitForInputIdle(pi.hProcess, 5000);
        Sleep(1500);
        PROCESS_MEMORY_COUNTERS pmc{};
        pmc.cb = sizeof(pmc);
        ok = GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof(pmc)) != FALSE;
        s.WorkingSetMb = static_cast<double>(pmc.WorkingSetSize) / (1024.0 * 1024.0);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ok;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::wstring DataFolder() {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buf))) return L"";
    return std::wstring(buf) + L"\\Vesk_Reminder";
}

}  // namespace

int main() {
    // The program talks to no web server but this machine's (nothing listens on port 9).
    SetEnvironmentVariableW(L"VR_ONLINE_BASE", L"http://127.0.0.1:9");
    std::wstring program = testsupport::BuildDir() + L"\\VeskReminder\\VeskReminder.exe";
    wchar_t other[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"VR_BENCH_PROGRAM", other, MAX_PATH);
    if (n > 0 && n < MAX_PATH) program = (other[0] == L'/' ? L"Z:" : L"") + std::wstring(other, n);
    wchar_t sys[MAX_PATH] = {};
    GetSystemDirectoryW(sys, MAX_PATH);
    const std::wstring notepad = std::wstring(sys) + L"\\notepad.exe";

    // A data file of this version with the online checks off: no install-statistics post, no
    // update or news check, as on a machine that has run the program before. Whatever was there
    // before is put back at the end.
    const std::wstring folder = DataFolder();
    const std::wstring file = folder + L"\\vk_rmind_data.dat";
    const bool hadFile = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::vector<uint8_t> saved;
    if (hadFile) saved = testsupport::ReadFileBytes(file);
    CreateDirectoryW(folder.c_str(), nullptr);
    TFileVersionInfo info;
    GetFileVersion(program, info);
    const std::string seed =
        "[CONFIG]\r\nAUTEUPDATE=0\r\nCHECKNEWS=0\r\nSetupVer=" + testsupport::Narrow(VersionText(info)) + "\r\n";

    const char* env = std::getenv("VR_BENCH_RUNS");
    const int runs = std::max(1, env ? std::atoi(env) : 7);
    std::vector<double> hidden, visible, ws, npWindow, npWs;
    bool ok = true;
    for (int i = 0; i <= runs && ok; ++i) {  // run 0 warms the file cache and is not counted
        Sample p, n;
        testsupport::WriteFileBytes(file, seed);
        ok = Measure(notepad, nullptr, L"Notepad", n) && Measure(program, L"TfrmZUBMain", L"TfrmView", p);
        if (!ok || i == 0) continue;
        hidden.push_back(p.Hidden);
        visible.push_back(p.Visible);
        ws.push_back(p.WorkingSetMb);
        npWindow.push_back(n.Visible);
        npWs.push_back(n.WorkingSetMb);
    }
    if (hadFile)
        testsupport::WriteFileBytes(file, saved);
    else
        DeleteFileW(file.c_str());
    if (!ok) {
        std::printf("start-up failed (program or notepad showed no window within 30 s)\n");
        return 1;
    }
    const double np = Median(npWindow), npMem = Median(npWs);
    std::printf("medians of %d runs              program   notepad   ratio\n", runs);
    std::printf("  hidden main window (ms)      %7.0f   %7.0f   %5.2f\n", Median(hidden) * 1000, np * 1000,
                Median(hidden) / np);
    std::printf("  visible window (ms)          %7.0f   %7.0f   %5.2f\n", Median(visible) * 1000, np * 1000,
                Median(visible) / np);
    std::printf("  working set (MB)             %7.1f   %7.1f   %5.2f\n", Median(ws), npMem, Median(ws) / npMem);
    return 0;
}
