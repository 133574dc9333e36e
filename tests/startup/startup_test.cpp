// Program start: the language choice and the single-instance hand-over.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "PublicFuns.h"
#include "fw_base.h"
#include "fw_forms.h"
#include "test_support.h"
#include "uMain.h"
#include "uStartup.h"

using testsupport::TempDir;

namespace {

LANGID gUILanguage = 0x0409;
std::wstring gAppData;

LANGID FakeUILanguage() { return gUILanguage; }
void FakeAppData(std::wstring& Path) { Path = gAppData; }

// A program folder with its "Languages" folder and an application-data folder, both private.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        gUILanguage = 0x0409;
        gAppData = AppDataDir.Path();
        NewProgramDir();
    }
    void TearDown() override { SetAppDir(L""); }
    void NewProgramDir() {
        ProgramDir = std::make_unique<TempDir>();
        SetAppDir(ProgramDir->Path());
        CreateDirectoryW((ProgramDir->Path() + L"\\Languages").c_str(), nullptr);
    }
    std::wstring LanguagePath(const std::wstring& name) const {
        return ProgramDir->Path() + L"\\Languages\\" + name + L".ini";
    }
    void AddLanguage(const std::wstring& name, const std::string& langCode) {
        testsupport::WriteFileBytes(LanguagePath(name), "[Translation]\r\nLangCode=" + langCode + "\r\n");
    }
    std::wstring DataFile() const { return AppDataDir.Path() + L"\\Vesk_Reminder\\vk_rmind_data.dat"; }
    void SaveLanguage(const std::string& name) {
        CreateDirectoryW((AppDataDir.Path() + L"\\Vesk_Reminder").c_str(), nullptr);
        testsupport::WriteFileBytes(DataFile(), "[CONFIG]\r\nAUTEUPDATE=1\r\nLanguage=" + name + "\r\n");
    }
    std::wstring Saved() {
        std::wstring lang = L"garbage";
        ReadSavedLanguage(lang);
        return lang;
    }
    std::wstring Selected() {
        std::wstring lang = L"garbage";
        SelectLanguage(lang);
        return lang;
    }

    std::unique_ptr<TempDir> ProgramDir;
    TempDir AppDataDir;

private:
    testsupport::TSwap<TUILanguageSource> FUI{UILanguageSource, FakeUILanguage};
    testsupport::TSwap<TAppDataFolderSource> FAppData{AppDataFolderSource, FakeAppData};
    testsupport::TSwap<std::wstring> FLangFile{LangFile, LangFile};  // put back afterwards
};

TEST_F(LanguageTest, SelectLanguageAndItsFile) {
    const struct {
        const char* name;
        LANGID ui;
        std::vector<std::pair<std::wstring, std::string>> files;  // language and its codes
        const char* saved;
        const wchar_t* expected;
    } cases[] = {
        {"saved language wins", 0x0409, {{L"Deutsch", "0407"}, {L"American", "0409"}}, "Deutsch", L"Deutsch"},
        {"a code listed second, whatever its case", 0x0C09, {{L"American", "0409"}, {L"Aussie", "0409|0c09"}},
         nullptr, L"Aussie"},
        {"a trailing bar ends one entry", 0x0409, {{L"American", "0409|"}}, nullptr, L"American"},
        {"entries are not trimmed", 0x0409, {{L"Spaced", "0407| 0409"}}, nullptr, L"English"},
        {"no match", 0x0411, {{L"American", "0409"}, {L"Empty", ""}}, nullptr, L"English"},
        {"first file in listing order", 0x0409, {{L"Beta", "0409"}, {L"Alpha", "0409"}}, nullptr, L"Alpha"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewProgramDir();
        gUILanguage = c.ui;
        for (const auto& [name, codes] : c.files) AddLanguage(name, codes);
        DeleteFileW(DataFile().c_str());
        if (c.saved) SaveLanguage(c.saved);
        EXPECT_EQ(Selected(), c.expected);
    }
    EXPECT_EQ(Saved(), L"") << "no data file";
    SaveLanguage("Deutsch");
    EXPECT_EQ(Saved(), L"Deutsch");
    SaveLanguage("Espa\xC3\xB1ol");  // UTF-8 without a byte-order mark, as editors save it now
    EXPECT_EQ(Saved(), L"Espa\u00F1ol");
    gAppData.clear();
    EXPECT_EQ(Saved(), L"") << "no application-data folder: no relative path is read";
    gAppData = AppDataDir.Path();
    // A saved name leading out of the languages folder is ignored; the Windows language decides.
    NewProgramDir();
    AddLanguage(L"American", "0409");
    for (const char* bad : {"..\\..\\evil", "sub/evil", "C:evil"}) {
        SaveLanguage(bad);
        EXPECT_EQ(Saved(), L"") << bad;
        EXPECT_EQ(Selected(), L"American") << bad;
    }
    // The language file is the named one, or English, inside the languages folder.
    testsupport::WriteFileBytes(ProgramDir->Path() + L"\\Outside.ini", "[Translation]\r\n");
    for (auto [name, file] :
         {std::pair{L"American", L"American"}, {L"Klingon", L"English"}, {L"..\\Outside", L"English"}}) {
        SetLanguageFile(name);
        EXPECT_TRUE(fw::SameText(LangFile, LanguagePath(file))) << testsupport::Narrow(LangFile);
    }
}

TEST_F(LanguageTest, TheStartWaitsWhileAnotherProgramHoldsTheDataFile) {
    static int pauses;
    static HANDLE lock;
    static int releaseAt;  // the pause after which the other program lets go (0: never)
    testsupport::TSwap<TPauseProc> pause{PauseProc, [](DWORD) {
                                             if (++pauses == releaseAt) CloseHandle(lock);
                                         }};
    testsupport::TSwap<UINT> wait{DataFileWaitMs, 1000};
    auto waitWhileHeld = [this](int release) {
        lock = CreateFileW(DataFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(lock, INVALID_HANDLE_VALUE);
        pauses = 0;
        releaseAt = release;
        const bool readable = WaitForDataFile();
        if (release == 0) CloseHandle(lock);
        return readable;
    };
    SaveLanguage("Deutsch");
    EXPECT_TRUE(waitWhileHeld(3));
    EXPECT_EQ(pauses, 3);
    EXPECT_EQ(Saved(), L"Deutsch");
    EXPECT_FALSE(waitWhileHeld(0));
    EXPECT_EQ(pauses, 4) << "a quarter of a second each";
    // Nothing to wait for without the file or the application-data folder.
    pauses = 0;
    DeleteFileW(DataFile().c_str());
    EXPECT_TRUE(WaitForDataFile());
    gAppData.clear();
    EXPECT_TRUE(WaitForDataFile());
    EXPECT_EQ(pauses, 0);
}

// ---------------------------------------------------------------------------------------------
// Single instance. The mutex and the window class are the real ones, so this group runs alone.

// The real main window with its window class, counting the activation requests it answers.
class TCountingMain : public TfrmZUBMain {
public:
    using TfrmZUBMain::TfrmZUBMain;
    int GetActivateCount() const { return FCount; }

protected:
    void WMActivateInstance(fw::TMessage& Message) override {
        ++FCount;
        TfrmZUBMain::WMActivateInstance(Message);
    }

private:
    int FCount = 0;
};

bool MutexExists() {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, SingleInstanceMutexName);
    if (!h) return false;
    CloseHandle(h);
    return true;
}

// These tests run before the one that makes this process the first instance (which then keeps
// the mutex until the process ends).

TEST(SingleInstance, SecondInstanceDoesNotWaitForeverOnAHungFirst) {
    ASSERT_FALSE(MutexExists()) << "another instance is running";
    testsupport::TSwap<UINT> timeout{ActivateInstanceTimeoutMs, 500};  // the second instance's wait for the first
    // The framework registers the main window's class with the first form of that class; it must
    // be its registration, not one made here, that later forms of the process use.
    auto* form = fw::TForm::CreateNew<TfrmZUBMain>(nullptr);
    form->GetHandle();
    form->Free();
    HANDLE first = CreateMutexW(nullptr, FALSE, SingleInstanceMutexName);
    ASSERT_NE(first, nullptr);
    // A window of the main window's class (left to DefWindowProc) on a thread that answers nothing.
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> hung{nullptr};
    std::thread thread([&] {
        hung = CreateWindowExW(0, MainWindowClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        WaitForSingleObject(release, 30000);
        DestroyWindow(hung);
    });
    for (int i = 0; i < 10000 && !hung; ++i) Sleep(1);
    EXPECT_EQ(FindWindowW(MainWindowClassName, nullptr), hung.load());
    const auto start = std::chrono::steady_clock::now();
    const bool result = CheckSingleInstance();
    const auto took = std::chrono::steady_clock::now() - start;
    SetEvent(release);
    thread.join();
    CloseHandle(release);
    CloseHandle(first);
    EXPECT_NE(hung.load(), nullptr);
    EXPECT_FALSE(result);
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_FALSE(MutexExists()) << "the second instance kept a handle of its own";
}

TEST(SingleInstance, MutexOfAnInstanceWithOtherRightsCountsAsRunning) {
    ASSERT_FALSE(MutexExists()) << "another instance is running";
    // An empty access list: opening the mutex by name is refused, as it is to a normal start
    // while an elevated instance runs.
    SECURITY_DESCRIPTOR sd;
    ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    ACL acl;
    ASSERT_TRUE(InitializeAcl(&acl, sizeof(acl), ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE));
    SECURITY_ATTRIBUTES sa{sizeof(sa), &sd, FALSE};
    HANDLE first = CreateMutexW(&sa, FALSE, SingleInstanceMutexName);
    ASSERT_NE(first, nullptr);
    SetLastError(ERROR_SUCCESS);
    HANDLE probe = CreateMutexW(nullptr, FALSE, SingleInstanceMutexName);
    const DWORD probeError = GetLastError();
    if (probe) CloseHandle(probe);
    if (probe || probeError != ERROR_ACCESS_DENIED) {
        CloseHandle(first);
        GTEST_SKIP() << "named objects are not access-checked here";
    }
    auto* main = fw::TForm::CreateNew<TCountingMain>(nullptr);
    main->GetHandle();
    EXPECT_FALSE(CheckSingleInstance());
    // The running instance is still asked to come forward.
    EXPECT_EQ(main->GetActivateCount(), 1);
    main->Free();
    CloseHandle(first);
}

TEST(SingleInstance, SecondStartHandsOverToTheMainWindowAndTheFirstKeepsTheMutex) {
    ASSERT_FALSE(MutexExists()) << "another instance is running";
    ASSERT_EQ(FindWindowW(MainWindowClassName, nullptr), nullptr);
    // Another process's mutex: this start is the second one, also before that one has a main window.
    HANDLE first = CreateMutexW(nullptr, FALSE, SingleInstanceMutexName);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(CheckSingleInstance());
    auto* main = fw::TForm::CreateNew<TCountingMain>(nullptr);
    HWND wnd = main->GetHandle();
    ASSERT_EQ(FindWindowW(L"TfrmZUBMain", nullptr), wnd);
    EXPECT_FALSE(CheckSingleInstance());
    EXPECT_EQ(main->GetActivateCount(), 1);
    // The handles the second starts opened were closed, so the first one's is the last.
    CloseHandle(first);
    EXPECT_FALSE(MutexExists());

    // No other instance: this one runs and holds the mutex from now on.
    EXPECT_TRUE(CheckSingleInstance());
    EXPECT_TRUE(MutexExists());
    EXPECT_EQ(main->GetActivateCount(), 1);
    // A later start finds it.
    EXPECT_FALSE(CheckSingleInstance());
    EXPECT_EQ(main->GetActivateCount(), 2);
    EXPECT_FALSE(IsWindowVisible(wnd));
    main->Free();
}

}  // namespace
