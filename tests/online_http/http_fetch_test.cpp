// The online services' GET, the temporary file their pages are saved in, and the check of
// addresses that come from a server.
#include <gtest/gtest.h>

#include "UAd.h"
#include "UCheckNewThread.h"
#include "local_http_server.h"
#include "file_support.h"
#include "fw_handles.h"
#include "skin_support.h"
#include "test_support.h"

#include <wininet.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

using testsupport::TempDir;
using testsupport::THttpAnswer;
using testsupport::THttpRequest;
using testsupport::TLocalHttpServer;
using testsupport::UnusedLocalPort;

namespace {

THttpAnswer Reply(int Status, const std::string& Body) { return {THttpAnswer::Reply, Status, Body}; }

THttpAnswer Moved(int Status, const std::string& To, DWORD DelayMs = 0) {
    THttpAnswer a{THttpAnswer::Reply, Status, "moved", DelayMs};
    a.Headers = "Location: " + To + "\r\n";
    return a;
}

using testsupport::TTempEnvGuard;

double SecondsSince(std::chrono::steady_clock::time_point Start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// A text unique to this process, so that nothing kept by WinINet from another test run can match.
std::string UniqueText() { return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()); }

// The user's proxy as the browser settings keep it (the per-user Internet settings), set up for
// one test: HKEY_CURRENT_USER is swapped for a scratch key in this process only, and everything
// is put back when the object goes.
class TUserProxy {
public:
    explicit TUserProxy(int Port) : FScratch(L"Software\\VeskReminderProxyTest" + testsupport::Widen(UniqueText())) {
        const std::wstring settings = FScratch + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
        const std::wstring server = L"127.0.0.1:" + std::to_wstring(Port);
        const DWORD enable = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, settings.c_str(), L"ProxyEnable", REG_DWORD, &enable, sizeof(enable));
        RegSetKeyValueW(HKEY_CURRENT_USER, settings.c_str(), L"ProxyServer", REG_SZ, server.c_str(),
                        static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
        fw::TRegKey user;
        RegOpenKeyExW(HKEY_CURRENT_USER, FScratch.c_str(), 0, KEY_ALL_ACCESS, user.Put());
        EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, user.Get()), ERROR_SUCCESS);
    }
    ~TUserProxy() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, FScratch.c_str());
    }

private:
    const std::wstring FScratch;
};

}  // namespace

TEST(HttpGetText, ReturnsTheBodyOfAFreshGetOrEmptyTextOnFailure) {
    std::string longBody;
    for (int i = 0; longBody.size() < 200000; ++i) longBody += "line " + std::to_string(i) + "\r\n";
    const struct {
        std::string Target;
        THttpAnswer Answer;
        std::wstring Expected;
    } rows[] = {
        {"/page.htm?x=1", Reply(200, "[VerInfo]\r\nBuild=12\r\n"), L"[VerInfo]\r\nBuild=12\r\n"},
        {"/missing", Reply(404, "<html>Not Found</html>"), L"<html>Not Found</html>"},  // error pages come back as text
        {"/long", Reply(200, longBody), testsupport::Widen(longBody)},                   // many reads
        // The ANSI code page (1252 here), not UTF-8, and nothing from the first zero byte on.
        {"/ansi", Reply(200, std::string("caf\xE9 \xC3\xA9\0after", 13)), L"caf\u00e9 \u00c3\u00a9"},
        {"/huge", Reply(200, std::string(HttpGetMaxBytes + 1, 'x')), L""},
        {"/drop", THttpAnswer{THttpAnswer::Drop, 0, {}}, L""},
    };
    TLocalHttpServer server;
    for (const auto& row : rows) server.Set(row.Target.substr(0, row.Target.find('?')), row.Answer);
    for (const auto& row : rows)
        EXPECT_EQ(HttpGetText(server.BaseUrl() + testsupport::Widen(row.Target)), row.Expected) << row.Target;
    EXPECT_EQ(HttpGetText(L"http://127.0.0.1:" + std::to_wstring(UnusedLocalPort()) + L"/x"), L"");  // nobody listening
    EXPECT_EQ(HttpGetText(L"no url"), L"");
    const THttpRequest first = server.Requests().at(0);
    EXPECT_EQ(first.Method, "GET");
    EXPECT_EQ(first.Target, "/page.htm?x=1");
    EXPECT_EQ(first.Header("Accept-Charset"), "utf-8");
}

TEST(HttpGetText, RedirectsAreFollowedAFewTimesOnlyAndOnlyToWebAddresses) {
    std::atomic<int> port{0}, circle{0};
    TLocalHttpServer server([&](const THttpRequest& r) {
        const std::string path = r.Path();
        // Round in a circle 50 times before it answers.
        if (path == "/circle") return ++circle > 50 ? Reply(200, "end") : Moved(302, "/circle");
        if (path == "/a") return Moved(301, "b?x=1");  // relative to the address that answered
        if (path == "/b") return Moved(307, "http://127.0.0.1:" + std::to_string(port) + "/end");
        if (path == "/other") return Moved(302, "ftp://127.0.0.1/end");
        if (path == "/end") return Reply(200, "end " + r.Target);
        return Reply(404, "none");
    });
    port = server.Port();
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/a"), L"end /end");
    EXPECT_EQ(server.Targets(), (std::vector<std::string>{"/a", "/b?x=1", "/end"}));
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/circle"), L"");
    EXPECT_EQ(server.Count("/circle"), 1 + OnlineMaxRedirects);
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/other"), L"");
}

TEST(HttpGetText, TimeOutsReleaseTheCallerThoughNoSingleWaitIsTooLong) {
    testsupport::THttpTimeoutGuard timeout(400);
    // Never answering; or trickled bytes (of the body, or of the whole answer) or five redirects,
    // each in time, all longer than 4 time-outs.
    TLocalHttpServer server([](const THttpRequest& r) {
        if (r.Path() == "/hang") return THttpAnswer{THttpAnswer::Hang, 0, {}};
        if (r.Path() == "/slow") return THttpAnswer{THttpAnswer::Trickle, 200, std::string(60, 'x')};
        if (r.Path() == "/dribble") return THttpAnswer{THttpAnswer::Dribble, 200, "x"};
        const int hop = std::atoi(r.Path().c_str() + 1);
        return hop >= 5 ? Reply(200, "end") : Moved(302, "/" + std::to_string(hop + 1), 350);
    });
    for (const wchar_t* path : {L"/hang", L"/slow", L"/dribble", L"/0"}) {
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(HttpGetText(server.BaseUrl() + path), L"") << testsupport::Narrow(path);
        EXPECT_LT(SecondsSince(start), 4.0) << testsupport::Narrow(path);
    }
}

TEST(HttpGetText, ABodyThatNeverEndsFailsByTheDeadlineAndItsConnectionIsDropped) {
    testsupport::THttpTimeoutGuard timeout(300);
    std::string chunks;
    while (chunks.size() < 64 * 1024) chunks += "400\r\n" + std::string(1024, 'x') + "\r\n";
    const std::string xs(64 * 1024, 'x'), declared = "Content-Length: 4000000000\r\n";  // a kept-alive connection
    const std::tuple<std::string, std::string, std::string> rows[] = {  // path, headers, sent again and again
        {"/declared", declared, xs}, {"/chunked", "Transfer-Encoding: chunked\r\n", chunks},
        {"/unsized", "Connection: close\r\n", xs}, {"/picture.png", declared, xs}};
    auto server = std::make_unique<TLocalHttpServer>();
    for (const auto& [path, headers, piece] : rows) {
        server->Set(path, THttpAnswer{THttpAnswer::Flood, 200, piece, 0, headers});
        const std::wstring url = server->BaseUrl() + testsupport::Widen(path);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(path == "/picture.png" ? DownloadPng(url) == nullptr : HttpGetText(url).empty()) << path;
        // Generous: four deadlines.
        EXPECT_LT(SecondsSince(start), 4 * 0.3 * OnlineDeadlineFactor) << path;
        // Closing the request discards the rest of the body: the server sees the connection dropped.
        // Wine's WinINet reads on instead while a body of known length or in chunks keeps coming
        // (on the request's own thread, which nobody waits for); only the unsized one is dropped.
        if (path == "/unsized" || !RunningUnderWine()) {
            EXPECT_TRUE(testsupport::PumpMessagesUntil([&] { return server->OpenConnections(path) == 0; }, 3000)) << path;
        }
    }
    // Whatever was left closing ends once the server stops sending.
    server.reset();
    EXPECT_TRUE(testsupport::PumpMessagesUntil([] { return OnlineRequestsStillOpen() == 0; }, 5000));
}

TEST(OnlineRequest, TextsAndPicturesCarryTheBrowsersHeadersAndCookiesAndOnlyPicturesGoIntoTheCache) {
    const std::string cookie = "vr_probe=" + UniqueText(), jar = "/jar/" + UniqueText();
    TLocalHttpServer server([&](const THttpRequest& r) {
        THttpAnswer a = Reply(200, r.Path() == jar + "/picture.png" ? testsupport::PngBytes(2, 3) : "text");
        // Every answer may be kept by a cache.
        a.Headers = (r.Path() == jar + "/set" ? "Set-Cookie: " + cookie + "; Path=/jar\r\n" : "") +
                    "Cache-Control: max-age=600\r\n";
        return a;
    });
    const std::wstring base = server.BaseUrl() + testsupport::Widen(jar);
    EXPECT_EQ(HttpGetText(base + L"/set"), L"text");
    EXPECT_EQ(HttpGetText(base + L"/text"), L"text");
    EXPECT_TRUE(DownloadPng(base + L"/picture.png"));
    const std::vector<THttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const THttpRequest& r : requests) {
        EXPECT_EQ(r.Header("Accept"), "*/*") << r.Target;
        EXPECT_EQ(r.Header("Accept-Charset"), "utf-8") << r.Target;
    }
    // The cookie of one answer goes back with the next requests, texts and pictures alike.
    EXPECT_EQ(requests[0].Header("Cookie"), "");
    EXPECT_EQ(requests[1].Header("Cookie"), cookie);
    EXPECT_EQ(requests[2].Header("Cookie"), cookie);
    // A picture may come from a cache on the way: nothing asks the caches to step aside.
    EXPECT_EQ(requests[2].Header("Pragma") + requests[2].Header("Cache-Control"), "");
    // Texts are never kept in the Internet cache; a picture is (deleting the entry tells).
    EXPECT_FALSE(DeleteUrlCacheEntryW((base + L"/text").c_str()));
    EXPECT_TRUE(DeleteUrlCacheEntryW((base + L"/picture.png").c_str()));
}

TEST(OnlineRequest, GetsAndPostsGoThroughTheUsersProxy) {
    TLocalHttpServer proxy([](const THttpRequest& r) { return Reply(200, "proxied " + r.Method + " " + r.Target); });
    // Nothing listens there: only the proxy can answer.
    const std::string target = "http://127.0.0.1:" + std::to_string(UnusedLocalPort());
    TOnlineRequest post;
    post.Method = L"POST";
    post.Url = testsupport::Widen(target + "/form.php");
    post.Body = "a=1";
    TOnlineResponse response;
    {
        TUserProxy user(proxy.Port());
        EXPECT_EQ(HttpGetText(testsupport::Widen(target + "/page.htm?x=1")),
                  testsupport::Widen("proxied GET " + target + "/page.htm?x=1"));
        EXPECT_TRUE(OnlineRequest(post, response));
        EXPECT_EQ(response.Body, "proxied POST " + target + "/form.php");
    }
    ASSERT_EQ(proxy.RequestCount(), 2u);
    EXPECT_EQ(proxy.Requests().back().Body, "a=1");
    // Put back: requests go direct again.
    EXPECT_FALSE(OnlineRequest(post, response));
    EXPECT_EQ(proxy.RequestCount(), 2u);
}

TEST(IsWebUrl, AcceptsOnlyPlainWebAddresses) {
    for (const wchar_t* url :
         {L"http://www.example.com/download.html", L"HTTPS://example.com", L"http://127.0.0.1:8080/a?b=c&d=%20"})
        EXPECT_TRUE(IsWebUrl(url)) << testsupport::Narrow(url);
    for (const wchar_t* url : {L"", L"http://", L"http:///etc", L"c:\\windows\\system32\\calc.exe",
                               L"file:///c:/windows/notepad.exe", L"cmd.exe /c del x", L"\\\\server\\share\\setup.exe",
                               L"mailto:someone@example.com", L"javascript:alert(1)",
                               // Blanks and quotes would let an address carry extra arguments.
                               L"http://example.com\" -nohome c:\\x.exe", L"http://example.com/a b",
                               L"http://example.com/\r\nx"})
        EXPECT_FALSE(IsWebUrl(url)) << testsupport::Narrow(url);
}

TEST(PathRoutines, GetLongPathExpandsShortNamesAndFailsOnMissingParts) {
    TempDir dir;
    const std::wstring longDir = dir.File(L"A Rather Long Folder Name"), longFile = longDir + L"\\Another Long File.text";
    ASSERT_TRUE(CreateDirectoryW(longDir.c_str(), nullptr));
    testsupport::WriteFileBytes(longFile, std::string("x"));
    wchar_t shortBuf[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(longFile.c_str(), shortBuf, MAX_PATH), 0u);
    const std::wstring shortFile = shortBuf, expectedDir = GetLongPath(dir.Path()) + L"\\A Rather Long Folder Name\\";
    ASSERT_NE(shortFile, longFile);
    EXPECT_EQ(GetLongPath(shortFile), expectedDir + L"Another Long File.text");
    EXPECT_EQ(GetLongPath(shortFile.substr(0, static_cast<size_t>(LastCharPos(shortFile, L"\\")))), expectedDir);
    EXPECT_EQ(GetLongPath(longDir + L"\\missing\\file.txt"), L"");
    EXPECT_EQ(GetLongPath(longDir + L"\\*"), L"");
}

TEST(TempIni, TheFetchedTextIsSavedAsAnAnsiFileInTheTemporaryFolderOrNotAtAll) {
    TempDir dir;
    TTempEnvGuard env(dir.Path());
    std::wstring folder;
    std::wstring path = SaveTempIni(L"[VerInfo]\r\nBuild=7\ncaf\x00E9", &folder);
    EXPECT_EQ(folder, GetLongPath(dir.Path()) + L"\\");
    // Eight random letters.
    ASSERT_EQ(path.size(), folder.size() + 12);
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_EQ(path.substr(path.size() - 4), L".ini");
    EXPECT_EQ(testsupport::ReadText(path), "[VerInfo]\r\nBuild=7\ncaf\xE9\r\n");
    DeleteFileW(path.c_str());

    EXPECT_EQ(SaveTempIni(L"", &folder), L"");
    EXPECT_EQ(testsupport::CountFiles(dir.File(L"*.ini")), 0);
    TTempEnvGuard missing(dir.File(L"gone"));
    EXPECT_EQ(SaveTempIni(L"[a]", &folder), L"");
    EXPECT_EQ(folder, L"");
}
