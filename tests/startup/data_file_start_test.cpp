// The hidden main window and its data file: a file another program holds at start (the program
// waits, says so, decides nothing from defaults, writes nothing, and carries on as after a normal
// start once the file can be read), and a settings save refused at the end.
#include <cmath>

#include "app_window_test.h"
#include "fake_online_services.h"
#include "uMain.h"
#include "uStartup.h"

using namespace testsupport;

namespace {

std::wstring gParam;
std::vector<UINT> gEnded;
std::wstring FakeParam() { return gParam; }
void FakeEnd(UINT Code) { gEnded.push_back(Code); }
BOOL WINAPI FakeNotifyIcon(DWORD, PNOTIFYICONDATAW) { return TRUE; }

class DataFileAtStart : public AppWindowTest {
protected:
    void SetUp() override {
        AppWindowTest::SetUp();
        gParam.clear();
        gEnded.clear();
        CreateDirectoryW(Dir.File(L"Vesk_Reminder").c_str(), nullptr);
    }
    void TearDown() override {
        if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
        AppWindowTest::TearDown();
    }
    std::wstring File() const { return Dir.File(L"Vesk_Reminder\\vk_rmind_data.dat"); }
    // Settings other than the defaults, and one reminder: a one-time reminder whose moment passed
    // an hour ago (missed), or one completed long ago.
    void Seed(bool missed) {
        {
            TRemindFile f(File());
            Config.AutoUpdate = missed;
            Config.CheckNews = missed;
            Config.NewsId = 42;
            Config.SetupVer = missed ? L"1.0.0" : AppVersionText();
            f.SaveConfig();
            auto* r = new TRmRecordStruct;
            const double moment = fw::Now() - 1.0 / 24;
            r->Name = L"the user's reminder";
            r->SetDate(std::floor(moment));
            r->WakeTime = moment - std::floor(moment);
            r->CreateDateTime = moment - 2;
            r->LastTime = moment - 1;
            r->EndTime = missed ? 0 : moment - 1;
            f.AddRecord(r);
        }
        Config = TConfig{};  // the program starts with the defaults in memory
        seeded_ = ReadFileBytes(File());
    }
    // Another program opens the file without sharing it.
    void Lock() { lock_ = CreateFileW(File().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr); }
    void Unlock() {
        CloseHandle(lock_);
        lock_ = INVALID_HANDLE_VALUE;
    }
    bool LoopEnds(DWORD Ms) { return PumpUntil([] { return fw::Application->GetTerminated(); }, Ms); }
    std::wstring LockedText() const {
        return fw::Format(GetLangString(L"Messages", L"DataFileLocked", L""), {File()});
    }

    TFakeOnlineServices online_;
    HANDLE lock_ = INVALID_HANDLE_VALUE;
    std::vector<uint8_t> seeded_;
    TSwap<std::wstring> appData_{AppDataDir, AppDataDir};
    TSwap<TFirstParamSource> param_{FirstParamSource, FakeParam};
    TSwap<TTaskbarExistsProc> taskbar_{TaskbarExistsProc, [] { return true; }};
    TSwap<TEndProcessProc> end_{EndProcessProc, FakeEnd};
    TSwap<TShellNotifyIconProc> notify_{ShellNotifyIconProc, FakeNotifyIcon};
};

}  // namespace

TEST_F(DataFileAtStart, AFileHeldByAnotherProgramIsLoadedWhenFreedAndTheStartCarriesOn) {
    Seed(true);
    Lock();
    auto* m = OpenMain();
    ASSERT_FALSE(RemindFile->Loaded());
    // The user is told; the list is empty, but nothing is decided from the defaults.
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].text, LockedText());
    EXPECT_NE(Asked[0].text.find(File()), std::wstring::npos);
    EXPECT_TRUE(frmView->GetVisible());
    EXPECT_TRUE(frmView->lbData->GetItems().empty());
    m->tmr1Timer(nullptr);  // the taskbar is there
    EXPECT_FALSE(m->tmr1->GetEnabled());
    EXPECT_TRUE(online_.posted.empty());
    EXPECT_TRUE(online_.newsChecks.empty());
    EXPECT_TRUE(online_.updates.empty());
    ASSERT_NE(m->GetLoadTimer(), nullptr);
    EXPECT_TRUE(m->GetLoadTimer()->GetEnabled());
    m->tmrLoadTimer(nullptr);  // still held: nothing changes
    EXPECT_FALSE(RemindFile->Loaded());

    Unlock();
    m->tmrLoadTimer(nullptr);
    ASSERT_TRUE(RemindFile->Loaded());
    EXPECT_FALSE(m->GetLoadTimer()->GetEnabled());
    // As after a normal start: the list, the missed reminder, the services the settings ask for.
    EXPECT_EQ(frmView->lbData->GetItems().size(), 1u);
    ASSERT_NE(frmRemindDlg, nullptr);
    EXPECT_TRUE(frmRemindDlg->GetMissedLook());
    EXPECT_EQ(online_.newsChecks, std::vector<int>{42});
    EXPECT_EQ(online_.updates, std::vector<bool>{true});
    ASSERT_EQ(online_.posted.size(), 1u);
    EXPECT_EQ(online_.posted[0].first, AppVersionText());
    // At the end the file holds the user's settings with the new version, and the reminder.
    FreeMain();
    fw::TIniFile ini(File());
    EXPECT_EQ(ini.ReadInteger(L"CONFIG", L"NEWSID", 0), 42);
    EXPECT_EQ(ini.ReadString(L"CONFIG", L"SetupVer", L""), AppVersionText());
    EXPECT_EQ(TRemindFile(File()).Records.size(), 1u);
}

TEST_F(DataFileAtStart, AStartWithWindowsWaitsForTheFileAndEndsOnlyOnceItShowsNothingIsActive) {
    Seed(false);
    gParam = L"-os";
    Lock();
    auto* m = OpenMain();
    // The reminders are not known: the program stays, hidden, and tells the user.
    EXPECT_FALSE(LoopEnds(200));
    ASSERT_NE(frmView, nullptr);
    EXPECT_FALSE(frmView->GetVisible());
    EXPECT_TRUE(m->HasActiveReminder());
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].text, LockedText());
    Unlock();
    EXPECT_TRUE(LoopEnds(5000)) << "the store's retry (every two seconds) found nothing active";
    EXPECT_TRUE(online_.posted.empty());
    EXPECT_TRUE(online_.newsChecks.empty());
}

TEST_F(DataFileAtStart, TheEndWritesNoSettingsThatWereNotReadAndShowsASaveThatIsRefused) {
    for (bool held : {true, false}) {
        SCOPED_TRACE(held ? "held until just before the end" : "the save refused");
        gEnded.clear();
        Seed(false);
        if (held) Lock();
        auto* m = OpenMain();
        Config.NewsId = 5;
        if (held)
            Unlock();  // no retry comes before the end
        else
            RemindFile->FileWriter = [](const std::wstring&, const std::vector<uint8_t>&) { return false; };
        SendMessageW(m->GetHandle(), WM_ENDSESSION, 1, 0);
        FreeMain();
        EXPECT_EQ(ReadFileBytes(File()), seeded_);
        EXPECT_EQ(Errors, held ? std::vector<std::wstring>{} : std::vector<std::wstring>{L"Unable to write to " + File()});
        Errors.clear();
        EXPECT_EQ(gEnded, std::vector<UINT>{0});
    }
}
