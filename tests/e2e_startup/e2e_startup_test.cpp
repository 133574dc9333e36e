// The real program started twice: the second start hands over to the first and ends at once.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <string>

#include "test_support.h"
#include "uMain.h"

namespace {

const wchar_t* const MainClass = L"TfrmZUBMain";

std::wstring ProgramPath() { return testsupport::BuildDir() + L"\\VeskReminder\\VeskReminder.exe"; }

// The program's data folder in the prefix's real application-data folder (the program reads it at
// start; later versions write there).
std::wstring DataFolder() {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buf))) return L"";
    return std::wstring(buf) + L"\\Vesk_Reminder";
}

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

struct Process {
    PROCESS_INFORMATION Info{};
    bool Started = false;

    bool Start(const std::wstring& exe) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + exe + L"\"";
        const std::wstring dir = exe.substr(0, exe.find_last_of(L'\\'));
        Started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                                 &Info) != FALSE;
        return Started;
    }
    bool WaitEnd(DWORD ms) const { return WaitForSingleObject(Info.hProcess, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(Info.hProcess, &code);
        return code;
    }
    ~Process() {
        if (!Started) return;
        if (!WaitEnd(0)) {
            TerminateProcess(Info.hProcess, 99);
            WaitEnd(5000);
        }
        CloseHandle(Info.hThread);
        CloseHandle(Info.hProcess);
    }
};

// The main window of class TfrmZUBMain that belongs to the process, once it exists.
HWND WaitForMainWindow(DWORD pid, DWORD timeoutMs) {
    HWND found = nullptr;
    testsupport::PumpMessagesUntil(
        [&] {
            for (HWND w = FindWindowExW(nullptr, nullptr, MainClass, nullptr); w;
                 w = FindWindowExW(nullptr, w, MainClass, nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

// The title of the process's application window ('' when it has none).
std::wstring ApplicationTitle(DWORD pid) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"TApplication", nullptr); w;
         w = FindWindowExW(nullptr, w, L"TApplication", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != pid) continue;
        wchar_t text[128] = {};
        GetWindowTextW(w, text, 128);
        return text;
    }
    return L"";
}

TEST(EndToEndStartup, SecondStartHandsOverAndEnds) {
    const std::wstring exe = ProgramPath();
    ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << testsupport::Narrow(exe);
    ASSERT_EQ(FindWindowW(MainClass, nullptr), nullptr) << "an instance is already running";
    const std::wstring data = DataFolder();
    ASSERT_FALSE(data.empty());
    const bool dataExisted = GetFileAttributesW(data.c_str()) != INVALID_FILE_ATTRIBUTES;

    {
        Process first;
        ASSERT_TRUE(first.Start(exe));
        HWND main = WaitForMainWindow(first.Info.dwProcessId, 20000);
        ASSERT_NE(main, nullptr) << "the first instance made no main window";
        // The main window exists but is never shown.
        EXPECT_FALSE(IsWindowVisible(main));
        EXPECT_EQ(GetPropW(main, ActivateCountProp), nullptr);
        EXPECT_EQ(ApplicationTitle(first.Info.dwProcessId), L"Vesk Reminder");

        Process second;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(second.Start(exe));
        ASSERT_TRUE(second.WaitEnd(15000)) << "the second instance kept running";
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_EQ(second.ExitCode(), 0u);
        EXPECT_LT(took.count(), 10000);
        // The send waits for the answer, so the first instance has it by now.
        EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropW(main, ActivateCountProp)), 1);
        // Only the first instance's main window exists.
        EXPECT_EQ(FindWindowExW(nullptr, main, MainClass, nullptr), nullptr);
        EXPECT_EQ(FindWindowExW(nullptr, nullptr, MainClass, nullptr), main);

        // The first one keeps running until its main window closes.
        EXPECT_FALSE(first.WaitEnd(200));
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(first.WaitEnd(15000)) << "the first instance did not end on WM_CLOSE";
        EXPECT_EQ(first.ExitCode(), 0u);
    }

    // Whatever the program created in the prefix's data folder goes with the test.
    if (!dataExisted) RemoveTree(data);

    // With the first instance gone, a start is the first again: it runs until closed.
    Process again;
    ASSERT_TRUE(again.Start(exe));
    HWND main = WaitForMainWindow(again.Info.dwProcessId, 20000);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitEnd(15000));
    if (!dataExisted) RemoveTree(data);
}

}  // namespace
