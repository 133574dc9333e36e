// The install-statistics post against a local server playing the statistics page.
#include <gtest/gtest.h>

#include "UCheckNewThread.h"
#include "local_http_server.h"
#include "test_support.h"
#include "uInstallStatus.h"

#include <atomic>
#include <chrono>
#include <memory>

using testsupport::PumpMessagesUntil;
using testsupport::THttpAnswer;
using testsupport::THttpRequest;

namespace {

class StatsTest : public ::testing::Test {
protected:
    // Runs one post to its end on a thread that is kept for inspection.
    std::unique_ptr<TSetupPostThread, void (*)(TSetupPostThread*)> RunPost(DWORD Timeout = 5000) {
        auto* t = new TSetupPostThread(L"18", L"{A1B2C3D4-0000-1111-2222-333344445555}", L"1.22.59");
        EXPECT_TRUE(t->GetFreeOnTerminate());  // the program starts it and forgets it
        t->SetFreeOnTerminate(false);
        t->ReadTimeout = Timeout;
        t->Resume();
        t->WaitFor();
        return {t, [](TSetupPostThread* p) { p->Free(); }};
    }
    testsupport::TOnlineServer Server;
};

}  // namespace

TEST_F(StatsTest, PostsTheFormOnceWithoutWaitingAndAnErrorStatusAHangARedirectLoopOrNoServerFail) {
    std::atomic<int> mode{0}, rounds{0}, movedWith{0};
    Server.Serve([&](const THttpRequest& r) {
        if (mode == 0 || r.Path() == "/landed") return THttpAnswer{THttpAnswer::Reply, 200, "thanks"};
        if (mode == 1) return THttpAnswer{THttpAnswer::Reply, 500, "thanks"};
        if (mode == 2) return THttpAnswer{THttpAnswer::Hang, 0, {}};
        if (mode == 4) return THttpAnswer{THttpAnswer::Reply, movedWith, "moved", 0, "Location: /landed\r\n"};
        if (mode == 5) return THttpAnswer{THttpAnswer::Reply, 200, std::string(OnlineMaxBodyBytes + 1, 'x')};
        if (mode == 6) return THttpAnswer{THttpAnswer::Flood, 200, std::string(64 * 1024, 'x'), 0, "Content-Length: 4000000000\r\n"};
        // The page sends the client back to itself 50 times before it answers.
        if (++rounds > 50) return THttpAnswer{THttpAnswer::Reply, 200, "thanks"};
        THttpAnswer moved{THttpAnswer::Reply, 302, "moved"};
        moved.Headers = "Location: " + r.Target + "\r\n";
        return moved;
    });
    auto t = RunPost();
    EXPECT_FALSE(t->Failed);
    EXPECT_EQ(t->Response, "thanks");
    PostInstallStatus(L"3.110.7", L"{GUID}");
    ASSERT_TRUE(PumpMessagesUntil([&] { return Server->RequestCount() == 2; }, 10000));
    testsupport::PumpMessagesFor(200);
    auto requests = Server->Requests();
    ASSERT_EQ(requests.size(), 2u);
    const THttpRequest& r = requests[0];
    EXPECT_EQ(r.Method, "POST");
    EXPECT_EQ(r.Target, "/install_statistics/index.php?p=install_statistics");
    // Handed over with its trailing blank, as the statistics page has always been sent it (Wine's
    // WinINet trims it on the way out).
    EXPECT_EQ(t->PostRequest().Headers, L"Content-Type: application/x-www-form-urlencoded \r\n");
    EXPECT_EQ(r.Header("Content-Type").substr(0, 33), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Maxthon)");
    EXPECT_EQ(r.Body, "product_ver=1.22.59&product_id=18&gu_id=%7BA1B2C3D4-0000-1111-2222-333344445555%7D");
    EXPECT_EQ(requests[1].Body, "product_ver=3.110.7&product_id=18&gu_id=%7BGUID%7D");

    mode = 1;
    EXPECT_TRUE(RunPost()->Failed);
    mode = 2;
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(RunPost(600)->Failed);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
    mode = 3;
    const size_t before = Server->RequestCount();
    EXPECT_TRUE(RunPost()->Failed);
    EXPECT_EQ(Server->RequestCount() - before, size_t(1 + OnlineMaxRedirects));
    // A form moved with 302 or 303 is fetched at its new place without its body; 307 posts it again.
    mode = 4;
    for (int status : {302, 303, 307}) {
        movedWith = status;
        EXPECT_FALSE(RunPost()->Failed) << status;
        const THttpRequest landed = Server->Requests().back();
        EXPECT_EQ(landed.Path(), "/landed");
        EXPECT_EQ(landed.Method, status == 307 ? "POST" : "GET") << status;
        EXPECT_EQ(landed.Body.empty(), status != 307) << status;
    }
    // An answer beyond the size cap is no answer.
    mode = 5;
    EXPECT_TRUE(RunPost()->Failed);
    mode = 6;  // an answer that never ends fails by the deadline (four deadlines allowed)
    start = std::chrono::steady_clock::now();
    EXPECT_TRUE(RunPost(300)->Failed);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 4 * 0.3 * OnlineDeadlineFactor);

    Server.Stop();
    t = RunPost();
    EXPECT_TRUE(t->Failed);
    EXPECT_TRUE(t->GetTerminated());
}
