// Start-up and footprint of the program beside Wine's notepad, started alternately in one run:
// time to the hidden main window (its class exists), to the visible window (shown), and the
// working set once the start has settled. Prints the median of several runs for each and the
// ratios to notepad. VR_BENCH_RUNS sets the number of runs (default 7); VR_BENCH_PROGRAM names
// another build's VeskReminder.exe to measure instead of this build's (for a before and after).
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "process_support.h"
#include "test_support.h"

namespace {

using testsupport::Seconds;

// Seconds from `start` until the process's window is there (negative after 30 s without it).
double WaitWindow(const wchar_t* cls, DWORD pid, bool visible, double start) {
    while (!testsupport::FindProcessWindow(cls, pid, visible)) {
        if (Seconds() - start > 30) return -1;
        Sleep(1);
    }
    return Seconds() - start;
}

struct Sample {
    double Hidden = 0;   // seconds to the hidden main window (the program only)
    double Visible = 0;  // seconds to the visible window
    double WorkingSetMb = 0;
};

// Starts `exe`, waits for its windows, lets the start settle and measures the working set.
bool Measure(const std::wstring& exe, const wchar_t* hiddenClass, const wchar_t* visibleClass, Sample& s) {
    testsupport::TChildProcess p;
    const double start = Seconds();
    if (!p.Start(exe)) return false;
    if (hiddenClass && (s.Hidden = WaitWindow(hiddenClass, p.Pid(), false, start)) < 0) return false;
    if ((s.Visible = WaitWindow(visibleClass, p.Pid(), true, start)) < 0) return false;
    WaitForInputIdle(p.Info.hProcess, 5000);
    Sleep(1500);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    if (!GetProcessMemoryInfo(p.Info.hProcess, &pmc, sizeof(pmc))) return false;
    s.WorkingSetMb = static_cast<double>(pmc.WorkingSetSize) / (1024.0 * 1024.0);
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main() {
    // The program talks to no web server but this machine's (nothing listens on port 9).
    SetEnvironmentVariableW(L"VR_ONLINE_BASE", L"http://127.0.0.1:9");
    std::wstring program = testsupport::BuildDir() + L"\\VeskReminder\\VeskReminder.exe";
    const std::wstring other = testsupport::EnvVar(L"VR_BENCH_PROGRAM");
    if (!other.empty()) program = (other[0] == L'/' ? L"Z:" : L"") + other;
    wchar_t sys[MAX_PATH] = {};
    GetSystemDirectoryW(sys, MAX_PATH);
    const std::wstring notepad = std::wstring(sys) + L"\\notepad.exe";
    // A data file of this version with the online checks off, as on a machine that has run the
    // program before; whatever was there before is put back at the end.
    testsupport::TProgramDataGuard data;

    const char* env = std::getenv("VR_BENCH_RUNS");
    const int runs = std::max(1, env ? std::atoi(env) : 7);
    std::vector<double> hidden, visible, ws, npWindow, npWs;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms the file cache and is not counted
        Sample p, n;
        data.Seed(program);
        if (!Measure(notepad, nullptr, L"Notepad", n) || !Measure(program, L"TfrmZUBMain", L"TfrmView", p)) {
            std::printf("start-up failed (program or notepad showed no window within 30 s)\n");
            return 1;
        }
        if (i == 0) continue;
        hidden.push_back(p.Hidden);
        visible.push_back(p.Visible);
        ws.push_back(p.WorkingSetMb);
        npWindow.push_back(n.Visible);
        npWs.push_back(n.WorkingSetMb);
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
