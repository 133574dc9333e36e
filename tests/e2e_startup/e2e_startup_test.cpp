// The real program: a second start hands over to the first (which raises its visible window) and ends;
// the first reports a new version to the configured server.
#include <gtest/gtest.h>

#include <string>

#include "PublicFuns.h"
#include "fw_inifiles.h"
#include "fw_strings.h"
#include "local_http_server.h"
#include "process_support.h"
#include "test_support.h"
#include "uStartup.h"

namespace {

using testsupport::FindProcessWindow;
using testsupport::PumpMessagesUntil;
using testsupport::TChildProcess;

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
    const std::string needle(reinterpret_cast<const char*>(Text.data()), Text.size() * 2);
    return std::string(bytes.begin(), bytes.end()).find(needle) != std::string::npos;
}

// The file's content as text: the program may write it again in another encoding.
std::string Text(const std::wstring& Path) {
    const std::vector<uint8_t> b = testsupport::ReadFileBytes(Path);
    fw::TEncoding e;
    return testsupport::Narrow(fw::DecodeText(b.data(), b.size(), e));
}

// Starts the program with its online services talking to the server.
bool StartWithServer(TChildProcess& p, const std::wstring& exe, const testsupport::TLocalHttpServer& server) {
    const bool set = SetEnvironmentVariableW(L"VR_ONLINE_BASE", server.BaseUrl().c_str());
    const bool started = set && p.Start(exe);
    SetEnvironmentVariableW(L"VR_ONLINE_BASE", L"http://127.0.0.1:9");
    return started;
}

HWND WaitForWindow(const wchar_t* cls, DWORD pid, bool visible = false) {
    HWND found = nullptr;
    PumpMessagesUntil([&] { return (found = FindProcessWindow(cls, pid, visible)) != nullptr; }, 20000);
    return found;
}

// No instance runs, and the program's data folder is kept as it was (the program writes there).
class EndToEndStartup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gLocalOnly);
        ASSERT_EQ(FindWindowW(MainClass, nullptr), nullptr) << "an instance is already running";
        ASSERT_FALSE(data.Folder.empty());
    }
    const std::wstring exe = ProgramPath();
    testsupport::TProgramDataGuard data;
};

TEST_F(EndToEndStartup, SecondStartRestoresTheFirstInstancesWindowAndEnds) {
    // A start after an update (the recorded version differs) reports the installation to the web
    // server named by the environment, and the advertisement panel asks there.
    data.Seed(exe, "1.00.1");
    testsupport::TLocalHttpServer server;
    {
        TChildProcess first;
        ASSERT_TRUE(StartWithServer(first, exe, server));
        HWND main = WaitForWindow(MainClass, first.Pid());
        ASSERT_NE(main, nullptr) << "the first instance made no main window";
        // The main window is never shown; the visible window is, at a start without parameter.
        EXPECT_FALSE(IsWindowVisible(main));
        HWND app = FindProcessWindow(L"TApplication", first.Pid());
        wchar_t title[128] = {};
        GetWindowTextW(app, title, 128);
        EXPECT_STREQ(title, L"Vesk Reminder");
        HWND view = WaitForWindow(L"TfrmView", first.Pid(), true);
        ASSERT_NE(view, nullptr) << "the first instance shows no visible window";
        EXPECT_TRUE(PumpMessagesUntil(
            [&] { return server.Count("/install_statistics/") >= 1 && server.Count("/ad/ad1.php") >= 1; }, 20000))
            << server.RequestCount() << " requests";
        ShowWindow(view, SW_MINIMIZE);
        ASSERT_TRUE(PumpMessagesUntil([&] { return IsIconic(view) != FALSE; }, 5000));

        TChildProcess second;
        ASSERT_TRUE(second.Start(exe));
        ASSERT_TRUE(second.WaitEnd(10000)) << "the second instance kept running";
        EXPECT_EQ(second.ExitCode(), 0u);
        // The send waits for the answer, so the first instance has restored its window by now.
        EXPECT_FALSE(IsIconic(view));
        EXPECT_EQ(FindWindowExW(nullptr, main, MainClass, nullptr), nullptr) << "only the first main window exists";

        EXPECT_FALSE(first.WaitEnd(200)) << "the first one runs until its main window closes";
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(first.WaitEnd(15000)) << "the first instance did not end on WM_CLOSE";
        EXPECT_EQ(first.ExitCode(), 0u);
    }
    // The new version is recorded, so the next start reports nothing.
    TFileVersionInfo info;
    GetFileVersion(exe, info);
    EXPECT_EQ(fw::TIniFile(data.File).ReadString(L"CONFIG", L"SetupVer", L""), VersionText(info));
    // With the first instance gone, a start is the first again: it runs until closed.
    TChildProcess again;
    ASSERT_TRUE(again.Start(exe));
    HWND main = WaitForWindow(MainClass, again.Pid());
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitEnd(15000));
}

// A daily reminder at 9:00, completed or active.
std::string Reminder(bool completed) {
    return "[UNFINISHED]\r\nR20240305140709=At nine\r\n[R20240305140709]\r\nPERIOD=1\r\n"
           "CREATEDATETIME=3/5/2024 2:07:09 PM\r\nLASTTIME=3/6/2024 9:01:00 AM\r\nWAKETIME=9:00:00 AM\r\nVOICE=\r\n"
           "ENDTIME=" + std::string(completed ? "3/6/2024 9:30:00 AM" : "") + "\r\n"
           "REPEAT_DATA=00000000000000000000000000000000000000000000000000000000000000\r\n";
}

TEST_F(EndToEndStartup, StartWithWindowsAndNoActiveReminderEndsAtOnceShowingNothing) {
    // Only a completed reminder, and settings without the news id and the language.
    data.Seed(exe);
    const std::string config = Text(data.File), reminder = Reminder(true);
    testsupport::WriteFileBytes(data.File, config + reminder);
    TChildProcess p;
    ASSERT_TRUE(p.Start(exe, L"-os"));
    // Watched until it ends: no window of it is ever visible.
    bool shown = false, ended = false;
    for (const DWORD start = GetTickCount(); !(ended = p.WaitEnd(5)) && GetTickCount() - start < 15000;)
        shown = shown || FindProcessWindow(nullptr, p.Pid(), true);
    ASSERT_TRUE(ended) << "the program kept running";
    EXPECT_EQ(p.ExitCode(), 0u);
    EXPECT_FALSE(shown);
    EXPECT_EQ(FindWindowW(MainClass, nullptr), nullptr);
    // The settings' save on the way out adds the keys the file lacked and leaves the rest alone.
    EXPECT_EQ(Text(data.File), config + "NEWSID=-1\r\nLanguage=English\r\n" + reminder);
}

TEST_F(EndToEndStartup, AStartWhileAnotherProgramHoldsTheDataFileForAMomentTakesTheUsersSettings) {
    // The online checks are off and the version is recorded: a start that read the file asks no
    // server for anything but the advertisement.
    data.Seed(exe);
    testsupport::WriteFileBytes(data.File, Text(data.File) + Reminder(false));
    HANDLE lock = CreateFileW(data.File.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    testsupport::TLocalHttpServer server;
    TChildProcess p;
    ASSERT_TRUE(StartWithServer(p, exe, server));
    // Let go once the program runs (it holds its mutex) and has had a moment to find the file held.
    const bool running = PumpMessagesUntil(
        [] {
            HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, SingleInstanceMutexName);
            if (m) CloseHandle(m);
            return m != nullptr;
        },
        20000);
    Sleep(500);
    CloseHandle(lock);
    ASSERT_TRUE(running);
    HWND view = WaitForWindow(L"TfrmView", p.Pid(), true);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(PumpMessagesUntil([&] { return server.Count("/ad/ad1.php") >= 1; }, 20000));
    EXPECT_FALSE(PumpMessagesUntil([&] { return FindProcessWindow(L"TMessageForm", p.Pid(), true) != nullptr; }, 1000))
        << "the program told of a held file rather than wait for it";
    HWND main = FindProcessWindow(MainClass, p.Pid());
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(p.WaitEnd(15000));
    EXPECT_EQ(server.Count("/install_statistics/") + server.Count("/update/") + server.Count("/news/"), 0);
    // The user's settings and reminder, written back as they were read.
    fw::TIniFile ini(data.File);
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"AUTEUPDATE", L""), L"0");
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"CHECKNEWS", L""), L"0");
    EXPECT_EQ(ini.ReadString(L"UNFINISHED", L"R20240305140709", L""), L"At nine");
}

TEST(EndToEndBuilds, OnlyTheTestBuildTakesTheServerAddressFromTheEnvironment) {
    ASSERT_NE(GetFileAttributesW(ShippedProgramPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(FileHoldsWideText(ProgramPath(), L"VR_ONLINE_BASE"));
    EXPECT_FALSE(FileHoldsWideText(ShippedProgramPath(), L"VR_ONLINE_BASE"));
}

}  // namespace
