// The online services' GET, the temporary folder and names their pages are saved under, and the
// check of addresses that come from a server.
#include <gtest/gtest.h>

#include "UCheckNewThread.h"
#include "local_http_server.h"
#include "test_support.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

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

// Restores the GET time-out a test shortened.
struct TTimeoutGuard {
    DWORD Old = HttpGetTimeout();
    ~TTimeoutGuard() { SetHttpGetTimeout(Old); }
};

using testsupport::TTempEnvGuard;

std::string ReadAll(const std::wstring& Path) {
    auto bytes = testsupport::ReadFileBytes(Path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(HttpGetText, ReturnsTheBodyOfAFreshGetWithTheCharsetHeader) {
    TLocalHttpServer server([](const THttpRequest&) { return Reply(200, "[VerInfo]\r\nBuild=12\r\n"); });
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/update/page.htm?x=1"), L"[VerInfo]\r\nBuild=12\r\n");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Target, "/update/page.htm?x=1");
    EXPECT_EQ(requests[0].Header("Accept-Charset"), "utf-8");
}

TEST(HttpGetText, ErrorPagesComeBackAsText) {
    TLocalHttpServer server([](const THttpRequest&) { return Reply(404, "<html>Not Found</html>"); });
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/missing"), L"<html>Not Found</html>");
}

TEST(HttpGetText, TextEndsAtTheFirstZeroByteAndIsReadInTheAnsiCodePage) {
    TLocalHttpServer server([](const THttpRequest& r) {
        if (r.Target == "/zero") return Reply(200, std::string("abc\0def", 7));
        return Reply(200, "caf\xC3\xA9");  // UTF-8 e-acute: two ANSI characters
    });
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/zero"), L"abc");
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/ansi"), L"caf\x00C3\x00A9");
}

TEST(HttpGetText, LongBodiesArriveWholeOverManyReads) {
    std::string body;
    for (int i = 0; body.size() < 200000; ++i) body += "line " + std::to_string(i) + "\r\n";
    TLocalHttpServer server([&](const THttpRequest&) { return Reply(200, body); });
    std::wstring text = HttpGetText(server.BaseUrl() + L"/long");
    ASSERT_EQ(text.size(), body.size());
    EXPECT_EQ(text, std::wstring(body.begin(), body.end()));
}

TEST(HttpGetText, OversizedBodiesAreAFailure) {
    std::string body(HttpGetMaxBytes + 1, 'x');
    TLocalHttpServer server([&](const THttpRequest&) { return Reply(200, body); });
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/huge"), L"");
}

TEST(HttpGetText, FailuresGiveAnEmptyText) {
    // Nobody listening.
    EXPECT_EQ(HttpGetText(L"http://127.0.0.1:" + std::to_wstring(UnusedLocalPort()) + L"/x"), L"");
    // Connection closed without an answer.
    TLocalHttpServer dropper([](const THttpRequest&) { return THttpAnswer{THttpAnswer::Drop, 0, {}}; });
    EXPECT_EQ(HttpGetText(dropper.BaseUrl() + L"/x"), L"");
    // Not a URL at all.
    EXPECT_EQ(HttpGetText(L"no url"), L"");
    // An empty body is the same as a failure for the callers.
    TLocalHttpServer empty([](const THttpRequest&) { return Reply(200, ""); });
    EXPECT_EQ(HttpGetText(empty.BaseUrl() + L"/x"), L"");
}

TEST(HttpGetText, AServerThatNeverAnswersReleasesTheCallerAfterTheTimeOut) {
    TTimeoutGuard guard;
    SetHttpGetTimeout(700);
    TLocalHttpServer server([](const THttpRequest&) { return THttpAnswer{THttpAnswer::Hang, 0, {}}; });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/hang"), L"");
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);
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

TEST(HttpGetText, FailsOnceTheWholeTimeIsUpThoughNoSingleWaitIsTooLong) {
    TTimeoutGuard guard;
    SetHttpGetTimeout(400);
    // Each byte of the trickling body, and each of the five redirects, comes well within the
    // time-out; either whole takes longer than four of them.
    TLocalHttpServer server([](const THttpRequest& r) {
        if (r.Path() == "/slow") return THttpAnswer{THttpAnswer::Trickle, 200, std::string(60, 'x')};
        const int hop = std::atoi(r.Path().c_str() + 1);
        return hop >= 5 ? Reply(200, "end") : Moved(302, "/" + std::to_string(hop + 1), 350);
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/slow"), L"");
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 4.0);
    EXPECT_EQ(HttpGetText(server.BaseUrl() + L"/0"), L"");
}

TEST(HttpGetText, CallsFromSeveralThreadsAtOnceAreIndependent) {
    TLocalHttpServer server([](const THttpRequest& r) { return Reply(200, "page " + r.Target); });
    std::vector<std::wstring> results(6);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] { results[i] = HttpGetText(server.BaseUrl() + L"/p" + std::to_wstring(i)); });
    for (auto& t : threads) t.join();
    for (size_t i = 0; i < results.size(); ++i) EXPECT_EQ(results[i], L"page /p" + std::to_wstring(i));
}

TEST(IsWebUrl, AcceptsOnlyPlainWebAddresses) {
    EXPECT_TRUE(IsWebUrl(L"http://www.example.com/download.html"));
    EXPECT_TRUE(IsWebUrl(L"HTTPS://example.com"));
    EXPECT_TRUE(IsWebUrl(L"http://127.0.0.1:8080/a?b=c&d=%20"));
    EXPECT_FALSE(IsWebUrl(L""));
    EXPECT_FALSE(IsWebUrl(L"http://"));
    EXPECT_FALSE(IsWebUrl(L"http:///etc"));
    EXPECT_FALSE(IsWebUrl(L"c:\\windows\\system32\\calc.exe"));
    EXPECT_FALSE(IsWebUrl(L"file:///c:/windows/notepad.exe"));
    EXPECT_FALSE(IsWebUrl(L"cmd.exe /c del x"));
    EXPECT_FALSE(IsWebUrl(L"\\\\server\\share\\setup.exe"));
    EXPECT_FALSE(IsWebUrl(L"mailto:someone@example.com"));
    EXPECT_FALSE(IsWebUrl(L"javascript:alert(1)"));
    // Blanks and quotes would let an address carry extra command-line arguments.
    EXPECT_FALSE(IsWebUrl(L"http://example.com\" -nohome c:\\x.exe"));
    EXPECT_FALSE(IsWebUrl(L"http://example.com/a b"));
    EXPECT_FALSE(IsWebUrl(L"http://example.com/\r\nx"));
}

TEST(PathRoutines, LastCharPos) {
    EXPECT_EQ(LastCharPos(L"c:\\a\\b", L"\\"), 5);
    EXPECT_EQ(LastCharPos(L"\\", L"\\"), 1);
    EXPECT_EQ(LastCharPos(L"abc", L"\\"), 0);
    EXPECT_EQ(LastCharPos(L"", L"a"), 0);
    EXPECT_EQ(LastCharPos(L"abca", L"a"), 4);
}

TEST(PathRoutines, GetLongPathExpandsShortNamesAndFailsOnMissingParts) {
    EXPECT_EQ(GetLongPath(L"C:"), L"C:");
    EXPECT_EQ(GetLongPath(L"\\x"), L"\\x");
    TempDir dir;
    std::wstring longDir = dir.File(L"A Rather Long Folder Name");
    ASSERT_TRUE(CreateDirectoryW(longDir.c_str(), nullptr));
    std::wstring longFile = longDir + L"\\Another Long File Name.text";
    testsupport::WriteFileBytes(longFile, std::string("x"));
    wchar_t shortBuf[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(longFile.c_str(), shortBuf, MAX_PATH), 0u);
    std::wstring shortFile = shortBuf;
    ASSERT_NE(shortFile, longFile);
    std::wstring expectedDir = GetLongPath(dir.Path());
    ASSERT_FALSE(expectedDir.empty());
    EXPECT_EQ(GetLongPath(shortFile), expectedDir + L"\\A Rather Long Folder Name\\Another Long File Name.text");
    std::wstring shortDir = shortFile.substr(0, static_cast<size_t>(LastCharPos(shortFile, L"\\")));
    EXPECT_EQ(GetLongPath(shortDir), expectedDir + L"\\A Rather Long Folder Name\\");
    EXPECT_EQ(GetLongPath(longDir + L"\\missing\\file.txt"), L"");
    EXPECT_EQ(GetLongPath(longDir + L"\\*"), L"");
}

TEST(PathRoutines, GetTempDirIsTheLongTemporaryFolderWithABackslash) {
    std::wstring dir = GetTempDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    DWORD attr = GetFileAttributesW(dir.c_str());
    ASSERT_NE(attr, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attr & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(dir.find(L'~'), std::wstring::npos);

    TempDir other;
    TTempEnvGuard env(other.Path());
    EXPECT_EQ(GetTempDir(), GetLongPath(other.Path()) + L"\\");
}

TEST(PathRoutines, RandomNameGivesLowerCaseLetters) {
    EXPECT_EQ(RandomName(0), L"");
    EXPECT_EQ(RandomName(-3), L"");
    std::wstring a = RandomName(8), b = RandomName(8);
    ASSERT_EQ(a.size(), 8u);
    for (wchar_t c : a + b) EXPECT_TRUE(c >= L'a' && c <= L'z') << static_cast<int>(c);
    EXPECT_NE(a, b);
    EXPECT_EQ(RandomName(300).size(), 300u);
}

TEST(TempIni, TheFetchedTextIsSavedAsAnAnsiLineInTheTemporaryFolder) {
    TempDir dir;
    TTempEnvGuard env(dir.Path());
    std::wstring folder;
    std::wstring path = SaveTempIni(L"[VerInfo]\r\nBuild=7\ncaf\x00E9", &folder);
    EXPECT_EQ(folder, GetLongPath(dir.Path()) + L"\\");
    ASSERT_EQ(path.size(), folder.size() + 12);
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_EQ(path.substr(path.size() - 4), L".ini");
    for (size_t i = folder.size(); i < folder.size() + 8; ++i) EXPECT_TRUE(path[i] >= L'a' && path[i] <= L'z');
    EXPECT_EQ(ReadAll(path), "[VerInfo]\r\nBuild=7\ncaf\xE9\r\n");
}

TEST(TempIni, EmptyTextOrMissingFolderMakesNoFile) {
    TempDir dir;
    TTempEnvGuard env(dir.Path());
    std::wstring folder = L"unchanged";
    EXPECT_EQ(SaveTempIni(L"", &folder), L"");
    EXPECT_EQ(folder, L"unchanged");
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(dir.File(L"*.ini").c_str(), &data);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);

    TTempEnvGuard missing(dir.File(L"gone"));
    EXPECT_EQ(SaveTempIni(L"[a]", &folder), L"");
    EXPECT_EQ(folder, L"");
}

TEST(TempIni, AFolderWithAPercentSignIsReplacedByTheDriveRoot) {
    TempDir dir;
    std::wstring odd = dir.File(L"%TEMPVAR%");
    ASSERT_TRUE(CreateDirectoryW(odd.c_str(), nullptr));
    TTempEnvGuard env(odd);
    std::wstring folder;
    std::wstring path = SaveTempIni(L"[Msg]", &folder);
    EXPECT_EQ(folder, L"c:\\");
    ASSERT_EQ(path.substr(0, 3), L"c:\\");
    EXPECT_EQ(ReadAll(path), "[Msg]\r\n");
    DeleteFileW(path.c_str());
}
