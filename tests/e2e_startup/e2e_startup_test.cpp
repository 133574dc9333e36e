// The real program: started twice, the second start hands over to the first (which restores and
// raises its visible window) and ends at once; started with Windows without an active reminder,
// it ends by itself and keeps its settings.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <string>

#include "PublicFuns.h"
#include "fw_inifiles.h"
#include "local_http_server.h"
#include "test_support.h"
#include "uMain.h"

namespace {

const wchar_t* const MainClass = L"TfrmZUBMain";

// The programs started here inherit this process's environment: their online services talk to
// no web server but this machine's (nothing listens on port 9, every request fails at once),
// also when the tests are run by hand outside the test runner.
const bool gLocalOnly = SetEnvironmentVariableW(L"VR_ONLINE_BASE", L"http://127.0.0.1:9") != FALSE;

// The program as the tests build it (its online services' address comes from the environment),
// and the program as it is shipped (it never reads that variable).
std::wstring ProgramPath() { return testsupport::BuildDir() + L"\\tests\\VeskReminderTest.exe"; }
std::wstring ShippedProgramPath() { return testsupport::BuildDir() + L"\\VeskReminder\\VeskReminder.exe"; }

// True when the file holds Text in UTF-16 (as the program's wide string literals are stored).
bool FileHoldsWideText(const std::wstring& Path, const std::wstring& Text) {
    const std::vector<uint8_t> bytes = testsupport::ReadFileBytes(Path);
    std::string needle;
    for (wchar_t c : Text) needle += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return std::string(bytes.begin(), bytes.end()).find(needle) != std::string::npos;
}

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

    bool Start(const std::wstring& exe, const std::wstring& params = L"") {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring cmd = L"\"" + exe + L"\"" + params;
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

// The top-level window of that class belonging to the process (none when it has none).
HWND ProcessWindow(const wchar_t* cls, DWORD pid) {
    for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}

// Keeps the prefix's data folder as it was: the program writes its data file there. The file the
// tests start from records the program's own version, so that no install-statistics post leaves
// the machine, and switches the online checks off.
class DataFolderGuard {
public:
    DataFolderGuard() : Folder(DataFolder()), File(Folder + L"\\vk_rmind_data.dat") {
        FFolderExisted = GetFileAttributesW(Folder.c_str()) != INVALID_FILE_ATTRIBUTES;
        FFileExisted = GetFileAttributesW(File.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (FFileExisted) FSaved = testsupport::ReadFileBytes(File);
    }
    ~DataFolderGuard() {
        if (!FFolderExisted) {
            RemoveTree(Folder);
        } else if (FFileExisted) {
            testsupport::WriteFileBytes(File, FSaved);
        } else {
            DeleteFileW(File.c_str());
        }
    }
    void Seed() const {
        CreateDirectoryW(Folder.c_str(), nullptr);
        TFileVersionInfo info;
        GetFileVersion(ProgramPath(), info);
        testsupport::WriteFileBytes(File, "[CONFIG]\r\nAUTEUPDATE=0\r\nCHECKNEWS=0\r\nSetupVer=" +
                                              testsupport::Narrow(VersionText(info)) + "\r\n");
    }
    const std::wstring Folder;
    const std::wstring File;

private:
    bool FFolderExisted = false;
    bool FFileExisted = false;
    std::vector<uint8_t> FSaved;
};

TEST(EndToEndStartup, SecondStartRestoresTheFirstInstancesWindowAndEnds) {
    const std::wstring exe = ProgramPath();
    ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << testsupport::Narrow(exe);
    ASSERT_TRUE(gLocalOnly);
    ASSERT_EQ(FindWindowW(MainClass, nullptr), nullptr) << "an instance is already running";
    ASSERT_FALSE(DataFolder().empty());
    DataFolderGuard data;
    data.Seed();

    {
        Process first;
        ASSERT_TRUE(first.Start(exe));
        HWND main = WaitForMainWindow(first.Info.dwProcessId, 20000);
        ASSERT_NE(main, nullptr) << "the first instance made no main window";
        // The main window exists but is never shown; the visible window is shown at a start
        // without parameter.
        EXPECT_FALSE(IsWindowVisible(main));
        EXPECT_EQ(ApplicationTitle(first.Info.dwProcessId), L"Vesk Reminder");
        HWND view = nullptr;
        testsupport::PumpMessagesUntil(
            [&] {
                view = ProcessWindow(L"TfrmView", first.Info.dwProcessId);
                return view && IsWindowVisible(view);
            },
            20000);
        ASSERT_NE(view, nullptr) << "the first instance shows no visible window";
        ShowWindow(view, SW_MINIMIZE);
        ASSERT_TRUE(testsupport::PumpMessagesUntil([&] { return IsIconic(view) != FALSE; }, 5000));

        Process second;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(second.Start(exe));
        ASSERT_TRUE(second.WaitEnd(15000)) << "the second instance kept running";
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_EQ(second.ExitCode(), 0u);
        EXPECT_LT(took.count(), 10000);
        // The send waits for the answer, so the first instance has restored its window by now.
        EXPECT_FALSE(IsIconic(view));
        EXPECT_TRUE(IsWindowVisible(view));
        // Only the first instance's main window exists.
        EXPECT_EQ(FindWindowExW(nullptr, main, MainClass, nullptr), nullptr);
        EXPECT_EQ(FindWindowExW(nullptr, nullptr, MainClass, nullptr), main);

        // The first one keeps running until its main window closes.
        EXPECT_FALSE(first.WaitEnd(200));
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(first.WaitEnd(15000)) << "the first instance did not end on WM_CLOSE";
        EXPECT_EQ(first.ExitCode(), 0u);
    }

    // With the first instance gone, a start is the first again: it runs until closed.
    Process again;
    ASSERT_TRUE(again.Start(exe));
    HWND main = WaitForMainWindow(again.Info.dwProcessId, 20000);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitEnd(15000));
}

TEST(EndToEndStartup, StartWithWindowsWithoutActiveReminderEndsAndSavesTheSettings) {
    const std::wstring exe = ProgramPath();
    ASSERT_TRUE(gLocalOnly);
    ASSERT_EQ(FindWindowW(MainClass, nullptr), nullptr) << "an instance is already running";
    ASSERT_FALSE(DataFolder().empty());
    DataFolderGuard data;
    data.Seed();  // no reminders at all

    Process run;
    ASSERT_TRUE(run.Start(exe, RunParameter));
    ASSERT_TRUE(run.WaitEnd(20000)) << "the program kept running without an active reminder";
    EXPECT_EQ(run.ExitCode(), 0u);
    // The settings were written on the way out (the seeded file had no language key).
    fw::TIniFile ini(data.File);
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"Language", L"missing"), L"English");
    EXPECT_FALSE(ini.ReadBool(L"CONFIG", L"AUTEUPDATE", true));
}

TEST(EndToEndStartup, OnlyTheTestBuildTakesTheServerAddressFromTheEnvironment) {
    ASSERT_NE(GetFileAttributesW(ShippedProgramPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(FileHoldsWideText(ProgramPath(), L"VR_ONLINE_BASE"));
    EXPECT_FALSE(FileHoldsWideText(ShippedProgramPath(), L"VR_ONLINE_BASE"));
}

TEST(EndToEndStartup, ANewVersionIsReportedToTheConfiguredServerOnly) {
    // The web server's address comes from the environment; a start after an update (the recorded
    // version differs) reports the installation there, and the advertisement panel asks there.
    const std::wstring exe = ProgramPath();
    ASSERT_EQ(FindWindowW(MainClass, nullptr), nullptr) << "an instance is already running";
    ASSERT_FALSE(DataFolder().empty());
    DataFolderGuard data;
    CreateDirectoryW(data.Folder.c_str(), nullptr);
    testsupport::WriteFileBytes(data.File, "[CONFIG]\r\nAUTEUPDATE=0\r\nCHECKNEWS=0\r\nSetupVer=1.00.1\r\n");
    testsupport::TLocalHttpServer server;
    ASSERT_TRUE(SetEnvironmentVariableW(L"VR_ONLINE_BASE", server.BaseUrl().c_str()));
    Process run;
    const bool started = run.Start(exe);
    SetEnvironmentVariableW(L"VR_ONLINE_BASE", L"http://127.0.0.1:9");
    ASSERT_TRUE(started);
    EXPECT_TRUE(testsupport::PumpMessagesUntil(
        [&] { return server.Count("/install_statistics/") >= 1 && server.Count("/ad/ad1.php") >= 1; }, 20000))
        << server.RequestCount() << " requests";
    HWND main = WaitForMainWindow(run.Info.dwProcessId, 20000);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(run.WaitEnd(15000));
    // The new version is recorded, so the next start reports nothing.
    fw::TIniFile ini(data.File);
    TFileVersionInfo info;
    GetFileVersion(exe, info);
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"SetupVer", L""), VersionText(info));
}

}  // namespace
