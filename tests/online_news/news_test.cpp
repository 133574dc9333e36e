// The news check against a local server, and the news window with a fake browser: which messages
// are shown, the one-check-at-a-time mark, size and place, the slide-in, the fading, the mouse.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PublicFuns.h"
#include "UCheckNewThread.h"
#include "app_window_test.h"
#include "VeskNcPaintor.h"
#include "local_http_server.h"
#include "file_support.h"
#include "uNews.h"
#include "uOnlineServicesImpl.h"
#include "window_test.h"
#include "uRemindUpdate.h"

using testsupport::PumpMessagesUntil;

namespace {

using testsupport::TTempEnvGuard;

// What the fake browsers did, and how the next one behaves.
struct TBrowserLog {
    bool CanCreate = true;
    bool HasBody = true;
    bool StyleFails = false;
    int Created = 0;
    int Styled = 0;
    std::vector<std::wstring> Navigated;
    RECT Bounds{};
    INewsBrowser* Last = nullptr;
};

class TFakeBrowser : public INewsBrowser {
public:
    explicit TFakeBrowser(TBrowserLog& Log) : FLog(Log) { FLog.Last = this; }
    ~TFakeBrowser() override { FLog.Last = FLog.Last == this ? nullptr : FLog.Last; }
    bool Navigate(const std::wstring& Url) override { return FLog.Navigated.push_back(Url), true; }
    bool StyleBody() override {
        if (FLog.StyleFails) throw fw::Exception(L"style refused");
        return FLog.HasBody && ++FLog.Styled;
    }
    void SetBounds(const RECT& Bounds) override { FLog.Bounds = Bounds; }

private:
    TBrowserLog& FLog;
};

// Stands in for the visible window, whose title-bar look the news window borrows.
using TViewStandIn = testsupport::TPlainForm;

constexpr int kAreaRight = 1000, kAreaBottom = 700;

class NewsTest : public testsupport::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        fw::Screen->SetWorkAreaRect(fw::TRect(0, 0, kAreaRight, kAreaBottom));
        SetNewsBrowserFactory([this](HWND Parent) -> std::unique_ptr<INewsBrowser> {
            EXPECT_TRUE(IsWindow(Parent));
            if (!Log.CanCreate) return nullptr;
            ++Log.Created;
            return std::make_unique<TFakeBrowser>(Log);
        });
        SetNewsCursorPosSource([this](POINT& P) {
            P = Cursor;
            return true;
        });
        UseLanguage(L"", nullptr);
        View = fw::TForm::CreateNew<TViewStandIn>(fw::Application);
        View->SetName(L"frmView");
        ViewLook = new TVeskNcResource(View);
        ViewLook->SetName(L"vkncrsrc1");
        ASSERT_EQ(fw::Application->GetMainForm(), View);
    }
    void TearDown() override {
        // A check still running would report into the next test.
        EXPECT_TRUE(PumpMessagesUntil([] { return !NewsLock.Locked(); }, 15000));
        if (frmNews) frmNews->Free();
        EXPECT_EQ(frmNews, nullptr);
        if (View) View->Free();
        SetNewsBrowserFactory(nullptr);
        SetNewsCursorPosSource(nullptr);
        UseLanguage(L"", nullptr);
        WindowTest::TearDown();
    }

    void UseLanguage(const std::wstring& File, const wchar_t* Text) {
        if (Text) testsupport::WriteUtf16File(File, Text);
        LangFile = File.empty() ? Dir.File(L"Missing.ini") : File;
        LangIni.reset();
        MemLangIni.reset();
    }

    void Serve(const std::string& Page, const std::string& Path = "/news/zubinfo.htm", DWORD DelayMs = 0) {
        Server.Serve(Path, Page, DelayMs);
    }

    // The program's check, run to its end.
    void RunCheck(int NewsId) {
        TReminderNews::StartNewsCheck(NewsId);
        ASSERT_TRUE(NewsLock.Locked());
        ASSERT_TRUE(PumpMessagesUntil([] { return !NewsLock.Locked(); }, 15000));
    }

    // ShowNews of a check that was never started, as the news handler calls it.
    void Show(int NewsId, const std::wstring& Url, int MsgID, int W, int H) {
        auto* t = new TReminderNews(L"");
        t->NewsId = NewsId;
        t->ShowNews(Url, MsgID, W, H);
        t->Free();
    }

    // Shows a message and completes its page.
    void ShowLoaded(int W = 0, int H = 0) {
        Show(0, L"http://127.0.0.1/news/msg.html", 8, W, H);
        ASSERT_NE(frmNews, nullptr);
        ASSERT_NE(Log.Last, nullptr);
        Log.Last->OnNavigateComplete();
        ASSERT_TRUE(frmNews->GetVisible());
    }

    // Drives the slide-in to its end; the number of ticks it took.
    int Slide() {
        int ticks = 0;
        while (frmNews->timer1->GetEnabled() && ticks < 1000) {
            frmNews->timer1Timer(frmNews->timer1);
            ++ticks;
        }
        return ticks;
    }

    testsupport::TempDir Dir;
    TViewStandIn* View = nullptr;
    TVeskNcResource* ViewLook = nullptr;
    testsupport::TOnlineServer Server;
    TBrowserLog Log;
    POINT Cursor{-5000, -5000};
    testsupport::TSwap<TNcCompositionProc> Composition{NcCompositionEnabledProc, [] { return false; }};
    testsupport::TSwap<TNcAllowNcPaintProc> AllowNcPaint{NcAllowNcPaintProc, [](HWND) {}};
    testsupport::THttpTimeoutGuard Timeout{2000};  // a fetch that stalls gives up well inside the waits
};

std::string Page(int MsgID, const std::string& Extra = "") {
    return "[Msg]\r\nMsgID=" + std::to_string(MsgID) + "\r\n" + Extra;
}

}  // namespace

// --- The program's check ---------------------------------------------------------------------

TEST_F(NewsTest, ANewMessageIsLoadedBelowTheWorkAreaSlidesUpOnceItsPageShowsAndOnlyThenCountsAsSeen) {
    // Started as the hidden main window does, through the online services.
    TOnlineServicesImpl services;
    int id = -1;
    testsupport::TempDir temp;
    TTempEnvGuard env(temp.Path());
    Serve(Page(8, "Url=http://127.0.0.1/n/8.html\r\n"));
    services.StartNewsCheck(7);
    EXPECT_TRUE(NewsLock.Locked());
    ASSERT_TRUE(PumpMessagesUntil([] { return !NewsLock.Locked(); }, 15000));
    EXPECT_EQ(testsupport::CountFiles(temp.File(L"*")), 0);  // the page's temporary copy is gone
    ASSERT_NE(frmNews, nullptr);
    EXPECT_FALSE(services.ShownNewsId(id));
    EXPECT_EQ(frmNews->MsgID, 8);
    EXPECT_EQ(Log.Navigated, (std::vector<std::wstring>{L"http://127.0.0.1/n/8.html"}));
    EXPECT_FALSE(frmNews->GetVisible());
    EXPECT_EQ(frmNews->GetBoundsRect(), fw::TRect(kAreaRight - 490 - 10, kAreaBottom + 269, kAreaRight - 10, kAreaBottom + 538));
    EXPECT_FALSE(frmNews->timer1->GetEnabled());
    // Framed with the visible window's look.
    EXPECT_EQ(frmNews->vkncpntr1->GetResource(), ViewLook);

    // The loaded page shows the window, which slides up onto the work area's bottom.
    Log.Last->OnNavigateComplete();
    EXPECT_TRUE(services.ShownNewsId(id));
    EXPECT_EQ(id, 8);
    EXPECT_TRUE(frmNews->timer1->GetEnabled());
    EXPECT_TRUE(IsWindowVisible(frmNews->GetHandle()));
    frmNews->timer1Timer(frmNews->timer1);
    EXPECT_EQ(frmNews->GetTop(), kAreaBottom + 269 - 20);
    // From Bottom + 269 to Bottom - 269: 538 pixels, 20 per tick.
    EXPECT_EQ(1 + Slide(), (2 * 269 + 19) / 20);
    EXPECT_EQ(frmNews->GetTop(), kAreaBottom - 269);
    EXPECT_TRUE(frmNews->timer2->GetEnabled());
    // Once the window is gone nothing refers to it any more.
    frmNews->Free();
    EXPECT_FALSE(services.ShownNewsId(id));
}

TEST_F(NewsTest, ASecondStartIsRefusedWhileACheckRunsAndASeenOrForeignMessageIsNotShown) {
    Serve(Page(0), "/news/zubinfo.htm", 300);
    TReminderNews::StartNewsCheck(0);
    EXPECT_TRUE(NewsLock.Locked());
    // Same (GUI) thread, before and after the worker began.
    TReminderNews::StartNewsCheck(0);
    ASSERT_TRUE(PumpMessagesUntil([&] { return Server->RequestCount() >= 1; }, 5000));
    TReminderNews::StartNewsCheck(0);
    ASSERT_TRUE(PumpMessagesUntil([] { return !NewsLock.Locked(); }, 15000));
    testsupport::PumpMessagesFor(200);
    EXPECT_EQ(Server->Count("/news/"), 1);

    RunCheck(0);
    EXPECT_EQ(Server->Count("/news/"), 2);

    // A failed fetch releases the mark too (RunCheck waits for it).
    Server.Stop();
    RunCheck(0);
    EXPECT_EQ(frmNews, nullptr);

    // A message already seen, or for another language, is not shown.
    Serve(Page(7));
    RunCheck(7);
    EXPECT_EQ(frmNews, nullptr);
    EXPECT_EQ(Log.Created, 0);

    UseLanguage(Dir.File(L"Deutsch.ini"), L"[Translation]\r\nLangCode=0407|0807\r\n");
    Serve(Page(8, "LangCode=0409\r\n"));
    RunCheck(0);
    EXPECT_EQ(frmNews, nullptr);
    Serve(Page(8, "LangCode=0807\r\nFormWidth=400\r\nFormHeight=300\r\n"));
    RunCheck(0);
    ASSERT_NE(frmNews, nullptr);
    EXPECT_EQ(frmNews->MsgID, 8);
    EXPECT_EQ(frmNews->GetWidth(), 402);  // the page's size
}

TEST_F(NewsTest, OnlyWebAddressesAndNewIdsFromOneReachTheBrowserAndNotWhileTheProgramEnds) {
    // News arriving while the program ends makes no window.
    fw::Application->Terminate();
    MSG msg;
    while (!fw::Application->GetTerminated() && fw::Application->ProcessMessage(msg)) {
    }
    ASSERT_TRUE(fw::Application->GetTerminated());
    Show(0, L"http://127.0.0.1/a.html", 3, 0, 0);
    fw::Application->ClearTerminated();
    EXPECT_EQ(Log.Created, 0);
    Show(0, L"file:///c:/windows/win.ini", 8, 0, 0);
    Show(0, L"http://127.0.0.1/a.html", 0, 0, 0);
    Show(0, L"http://127.0.0.1/a.html", -3, 0, 0);
    EXPECT_EQ(frmNews, nullptr);
    Show(0, L"  https://news.example.com/x.html ", 4, 0, 0);
    Show(0, L"http://127.0.0.1/b.html", 4, 0, 0);  // the message already in the window
    Show(0, L"http://127.0.0.1/c.html", 5, 0, 0);
    EXPECT_EQ(Log.Navigated, (std::vector<std::wstring>{L"https://news.example.com/x.html", L"http://127.0.0.1/c.html"}));
    EXPECT_EQ(frmNews->MsgID, 5);
}

// --- The window ------------------------------------------------------------------------------

TEST_F(NewsTest, APageSizeGivesTheWindowAndTheBrowserTheirSizesWithinTheWorkArea) {
    const struct {
        int W, H, FormW, FormH;
    } cases[] = {
        {400, 300, 402, 326},
        // Half a size, or a negative one: the default size.
        {400, 0, 490, 269},
        {-400, -300, 490, 269},
        // Only the side that is too large is cut.
        {300, 5000, 302, kAreaBottom},
        // Beyond what int sums can hold, too: the page comes from the network.
        {2147483647, 2147483647, kAreaRight - 20, kAreaBottom},
    };
    int id = 3;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.W);
        Show(0, L"http://127.0.0.1/a.html", id++, c.W, c.H);
        ASSERT_NE(frmNews, nullptr);
        EXPECT_EQ(frmNews->GetWidth(), c.FormW);
        EXPECT_EQ(frmNews->GetHeight(), c.FormH);
        EXPECT_EQ(frmNews->GetLeft(), kAreaRight - c.FormW - 10);
    }
    // Still slides up to rest on the work area's bottom, its caption bar on screen.
    ASSERT_NE(Log.Last, nullptr);
    Log.Last->OnNavigateComplete();
    ASSERT_TRUE(frmNews->GetVisible());
    EXPECT_LT(Slide(), 1000);
    EXPECT_EQ(frmNews->GetTop(), 0);

    // The browser control itself gets the page's size.
    ShowLoaded(400, 300);
    EXPECT_EQ(Log.Bounds.right - Log.Bounds.left, 400);
    EXPECT_EQ(Log.Bounds.bottom - Log.Bounds.top, 299);
}

TEST_F(NewsTest, TheWindowFadesAfterItsTimeUnlessTheMouseIsOnItAndItsPageDoesNotShowItAgain) {
    ShowLoaded();
    Slide();
    frmNews->timer2Timer(frmNews->timer2);
    EXPECT_TRUE(frmNews->GetAlphaBlend());
    EXPECT_EQ(frmNews->GetAlphaBlendValue(), 245);
    // A fade at a low value ends instead of wrapping round, and hides the window.
    frmNews->SetAlphaBlendValue(8);
    frmNews->timer2Timer(frmNews->timer2);
    EXPECT_EQ(frmNews->GetAlphaBlendValue(), 0);
    EXPECT_FALSE(frmNews->timer2->GetEnabled());
    EXPECT_FALSE(frmNews->GetVisible());
    // The window stays for the exit, which records the message as seen.
    int id = 0;
    EXPECT_TRUE(ShownNewsId(id));
    EXPECT_EQ(id, 8);
    Log.Last->OnNavigateComplete();  // a frame of the page, or a link followed inside it
    EXPECT_FALSE(frmNews->GetVisible());
    EXPECT_FALSE(frmNews->timer1->GetEnabled());
    EXPECT_EQ(Log.Styled, 1);

    // The next message reuses the window, opaque; the mouse on it stops the fading for good.
    Show(0, L"http://127.0.0.1/next.html", 9, 0, 0);
    EXPECT_EQ(frmNews->GetAlphaBlendValue(), 255);
    EXPECT_FALSE(frmNews->GetAlphaBlend());
    ASSERT_NE(Log.Last, nullptr);
    Log.Last->OnNavigateComplete();
    EXPECT_TRUE(frmNews->GetVisible());
    Slide();
    const fw::TRect r = frmNews->GetBoundsRect();
    Cursor = POINT{r.Right, r.Top + 5};  // just right of it does not count
    frmNews->timer2Timer(frmNews->timer2);
    EXPECT_TRUE(frmNews->timer2->GetEnabled());
    Cursor = POINT{r.Left + 5, r.Bottom - 1};
    frmNews->timer2Timer(frmNews->timer2);
    EXPECT_FALSE(frmNews->timer2->GetEnabled());
    Cursor = POINT{-5000, -5000};
    testsupport::PumpMessagesFor(150);
    EXPECT_EQ(frmNews->GetAlphaBlendValue(), 235);
    EXPECT_TRUE(frmNews->GetVisible());
}

TEST_F(NewsTest, WithoutABrowserOrWithAPageWithoutBodyOrRefusingItsStyleNothingIsSeen) {
    Log.CanCreate = false;
    Show(0, L"http://127.0.0.1/a.html", 2, 0, 0);
    ASSERT_NE(frmNews, nullptr);
    EXPECT_TRUE(Log.Navigated.empty());
    testsupport::PumpMessagesFor(100);
    EXPECT_FALSE(frmNews->GetVisible());
    frmNews->Free();

    Log.CanCreate = true;
    Log.HasBody = false;
    Show(0, L"http://127.0.0.1/a.html", 3, 0, 0);
    ASSERT_NE(frmNews, nullptr);
    Log.Last->OnNavigateComplete();
    EXPECT_FALSE(frmNews->GetVisible());
    EXPECT_FALSE(frmNews->timer1->GetEnabled());

    Log.HasBody = true;
    Log.StyleFails = true;
    Show(0, L"http://127.0.0.1/b.html", 4, 0, 0);
    Log.Last->OnNavigateComplete();
    EXPECT_FALSE(frmNews->GetVisible());
    EXPECT_FALSE(frmNews->timer1->GetEnabled());
    // Neither message was seen, so neither is recorded at exit.
    int id = -1;
    EXPECT_FALSE(ShownNewsId(id));
}

// --- The real browser control, as far as this system has one ---------------------------------

TEST_F(NewsTest, TheSystemBrowserIsMadeOrRefusedWithoutHarm) {
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    std::unique_ptr<INewsBrowser> b = CreateShellBrowser(host);
    if (!b) {
        DestroyWindow(host);
        GTEST_SKIP() << "no web browser control here";
    }
    b->SetBounds(RECT{0, 0, 200, 100});
    b.reset();
    DestroyWindow(host);
}
