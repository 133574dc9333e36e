// The update check against a local server playing the update page: the question, the download
// page, the one-check-at-a-time rule and the temporary copy of the page.
#include <gtest/gtest.h>

#include "PublicFuns.h"
#include "UCheckNewThread.h"
#include "local_http_server.h"
#include "file_support.h"
#include "uRemindUpdate.h"

#include <memory>

using testsupport::PumpMessagesUntil;

namespace {

struct TAsked {
    std::wstring Caption, Msg;
    uint8_t DlgType = 255;
    TMsgDlgButtons Buttons;
};

using testsupport::TTempEnvGuard;

int CountIniFiles(const testsupport::TempDir& Dir) { return testsupport::CountFiles(Dir.File(L"*.ini")); }

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetShellLauncher([this](HWND, const std::wstring& Verb, const std::wstring& File, const std::wstring& Params,
                                int) { Opened.push_back(Verb + L"|" + File + L"|" + Params); });
        SetWindowsVersionSource([](DWORD& Major, DWORD& Minor) { Major = 10, Minor = 0; });
        MessageDlgProc = [this](TVeskMsgBox* Sender, const std::wstring& Caption, const std::wstring& Msg,
                                uint8_t DlgType, TMsgDlgButtons Buttons) {
            EXPECT_EQ(Sender, Box);
            EXPECT_EQ(GetCurrentThreadId(), GuiThread);  // the worker hands its result over
            Asked.push_back({Caption, Msg, DlgType, Buttons});
            if (OnAsk) OnAsk();
            if (ThrowFromBox) throw fw::Exception(L"box failed");
            return Answer;
        };
        Box = new TVeskMsgBox(nullptr);
        SetUpdateMsgBox(Box);
        Current = CurrentProgramBuild();
    }
    void TearDown() override {
        // A check still pending would report into the next test.
        PumpMessagesUntil([] { return UpdateThread == nullptr; }, 15000);
        ResetMessageDlgProc();
        SetShellLauncher(nullptr);
        SetWindowsVersionSource(nullptr);
        if (Box) Box->Free();
        EXPECT_EQ(GetUpdateMsgBox(), nullptr);
    }

    void Serve(const std::string& Page, DWORD DelayMs = 0) { Server.Serve("/update/zubverinfo.htm", Page, DelayMs); }

    // Runs one check and waits until it has been handled.
    void RunCheck(bool Auto) {
        TReminderUpdate::StartUpdateCheck(Auto);
        ASSERT_NE(UpdateThread, nullptr);
        ASSERT_TRUE(PumpMessagesUntil([] { return UpdateThread == nullptr; }, 15000));
    }

    std::string Page(int Build, const std::string& Extra = "") {
        return "[VerInfo]\r\nBuild=" + std::to_string(Build) + "\r\n" + Extra;
    }

    testsupport::TOnlineServer Server;
    TVeskMsgBox* Box = nullptr;
    std::vector<TAsked> Asked;
    std::vector<std::wstring> Opened;
    int Answer = 7;
    bool ThrowFromBox = false;
    std::function<void()> OnAsk;
    int Current = 0;
    const DWORD GuiThread = GetCurrentThreadId();
};

}  // namespace

TEST_F(UpdateTest, TheAnswerToTheQuestionDecidesWhatIsOpenedAndNoTemporaryFileIsLeft) {
    testsupport::TempDir dir;
    TTempEnvGuard env(dir.Path());
    // The copy of the page exists while the question is asked, and is gone after.
    int filesWhileAsking = -1;
    OnAsk = [&] { filesWhileAsking = CountIniFiles(dir); };
    const std::wstring newVer = L"Newer version available! Update now?", fallback = L"<default>";
    const struct {
        int Newer;
        std::string Url;  // the page's download address
        bool Auto;
        int Answer;
        std::vector<std::wstring> Asked, Opened;
    } cases[] = {
        {1, "http://dl.example.com/get.html", true, 6, {newVer}, {L"http://dl.example.com/get.html"}},
        {5, "", true, 6, {newVer}, {fallback}},
        {1, "http://dl.example.com/get.html", true, 7, {newVer}, {}},
        // A download address that is no web page is never launched.
        {1, "http://example.com\" c:\\evil.exe", true, 6, {newVer}, {fallback}},
        // Nothing newer: an automatic check is silent, one the user asked for says so.
        {0, "", true, 6, {}, {}},
        {-1, "", true, 6, {}, {}},
        {0, "", false, 6, {L"Congrats! You are using the newest version now."}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        Asked.clear();
        Opened.clear();
        Serve(Page(Current + c.Newer, c.Url.empty() ? "" : "NewGetUrl=" + c.Url + "\r\n"));
        Answer = c.Answer;
        RunCheck(c.Auto);
        std::vector<std::wstring> asked, opened;
        for (const TAsked& a : Asked) asked.push_back(a.Msg);
        for (const std::wstring& o : c.Opened)
            opened.push_back(L"open|" + (o == fallback ? Server->BaseUrl() + L"/download.html" : o) + L"|");
        EXPECT_EQ(asked, c.Asked);
        EXPECT_EQ(Opened, opened);
        EXPECT_EQ(Server->RequestCount(), 1u);
        EXPECT_TRUE(PumpMessagesUntil([&] { return CountIniFiles(dir) == 0; }, 5000));
        if (!Asked.empty()) {
            EXPECT_EQ(filesWhileAsking, 1);
            EXPECT_EQ(Asked[0].Caption, L"Confirm");
            EXPECT_EQ(Asked[0].DlgType, mtConfirmation);
            EXPECT_EQ(Asked[0].Buttons, (c.Newer > 0 ? TMsgDlgButtons{mbYes, mbNo} : TMsgDlgButtons(mbOK)));
        }
    }
}

TEST_F(UpdateTest, OnlyOneCheckRunsAtATime) {
    Serve(Page(Current), 500);
    TReminderUpdate::StartUpdateCheck(true);
    TReminderUpdate* first = UpdateThread;
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(PumpMessagesUntil([&] { return Server->RequestCount() == 1; }, 10000));
    TReminderUpdate::StartUpdateCheck(true);  // the window shown again while the first still fetches
    EXPECT_EQ(UpdateThread, first);
    ASSERT_TRUE(PumpMessagesUntil([] { return UpdateThread == nullptr; }, 15000));
    testsupport::PumpMessagesFor(200);
    EXPECT_EQ(Server->RequestCount(), 1u);
}

TEST_F(UpdateTest, ACheckThatFailsStillAllowsTheNextCheck) {
    Serve(Page(Current + 1));
    // Handling the result raises.
    ThrowFromBox = true;
    RunCheck(true);
    EXPECT_EQ(Asked.size(), 1u);
    ThrowFromBox = false;
    // The thread's work raises before any result is reported (as when the page cannot be saved).
    auto* failing = new TReminderUpdate(Current, TCheckUpdate::UpdatePageUrl());
    failing->Auto = true, failing->CurrentBuild = Current;
    failing->SetFreeOnTerminate(true);
    bool reported = false;
    failing->OnBegin = [](fw::TObject*) { throw fw::Exception(L"cannot save the page"); };
    failing->OnResult = [&](fw::TObject*, const std::wstring&, fw::TStrings*, const std::wstring&, int) { reported = true; };
    UpdateThread = failing;
    failing->Resume();
    ASSERT_TRUE(PumpMessagesUntil([] { return UpdateThread == nullptr; }, 15000));
    EXPECT_FALSE(reported);
    EXPECT_EQ(Server->RequestCount(), 1u);
    // The next showing of the window checks again.
    Answer = 7;
    RunCheck(true);
    EXPECT_EQ(Asked.size(), 2u);
    EXPECT_EQ(Server->RequestCount(), 2u);

    // Without a message box (a freed one clears itself) nothing is asked or opened.
    Box->Free();
    Box = nullptr;
    EXPECT_EQ(GetUpdateMsgBox(), nullptr);
    Answer = 6;
    RunCheck(true);
    EXPECT_EQ(Asked.size(), 2u);
    EXPECT_TRUE(Opened.empty());
}
