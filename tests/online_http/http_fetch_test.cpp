// The online services' GET, the temporary folder and names their pages are saved under, and the
// check of addresses that come from a server.
#include <gtest/gtest.h>

#include "UCheckNewThread.h"
#include "local_http_server.h"
#include "file_support.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
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

}  // namespace

TEST(HttpGetText, ReturnsTheBodyOfAFreshGetOrEmptyTextOnFailure) {
    std::string longBody;
    for (int i = 0; longBody.size() < 200000; ++i) longBody += "line " + std::to_string(i) + "\r\n";
    const std::map<std::string, THttpAnswer> answers = {
        {"/page.htm", Reply(200, "[VerInfo]\r\nBuild=12\r\n")},
        {"/missing", Reply(404, "<html>Not Found</html>")},  // error pages come back as text
        {"/zero", Reply(200, std::string("abc\0def", 7))},   // text ends at the first zero byte
        {"/ansi", Reply(200, "caf\xC3\xA9")},                // read in the ANSI code page
        {"/long", Reply(200, longBody)},                      // many reads
        {"/huge", Reply(200, std::string(HttpGetMaxBytes + 1, 'x'))},
        {"/empty", Reply(200, "")},  // the same as a failure for the callers
        {"/drop", THttpAnswer{THttpAnswer::Drop, 0, {}}},
    };
    TLocalHttpServer server([&](const THttpRequest& r) { return answers.at(r.Path()); });
    const std::wstring base = server.BaseUrl();
    const std::pair<std::wstring, std::wstring> cases[] = {
        {base + L"/page.htm?x=1", L"[VerInfo]\r\nBuild=12\r\n"},
        {base + L"/missing", L"<html>Not Found</html>"},
        {base + L"/zero", L"abc"},
        {base + L"/ansi", L"caf\x00C3\x00A9"},
        {base + L"/long", std::wstring(longBody.begin(), longBody.end())},
        {base + L"/huge", L""},
        {base + L"/empty", L""},
        {base + L"/drop", L""},
        {L"http://127.0.0.1:" + std::to_wstring(UnusedLocalPort()) + L"/x", L""},  // nobody listening
        {L"no url", L""},
    };
    for (const auto& [url, expected] : cases) EXPECT_EQ(HttpGetText(url), expected) << testsupport::Narrow(url);
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
    TTimeoutGuard guard;
    SetHttpGetTimeout(400);
    // A server that never answers; and one whose trickling body bytes, or five redirects, each
    // come well within the time-out, while the whole takes longer than four of them.
    TLocalHttpServer server([](const THttpRequest& r) {
        if (r.Path() == "/hang") return THttpAnswer{THttpAnswer::Hang, 0, {}};
        if (r.Path() == "/slow") return THttpAnswer{THttpAnswer::Trickle, 200, std::string(60, 'x')};
        const int hop = std::atoi(r.Path().c_str() + 1);
        return hop >= 5 ? Reply(200, "end") : Moved(302, "/" + std::to_string(hop + 1), 350);
    });
    for (const wchar_t* path : {L"/hang", L"/slow", L"/0"}) {
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(HttpGetText(server.BaseUrl() + path), L"") << testsupport::Narrow(path);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 4.0);
    }
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

TEST(PathRoutines, LastCharPosAndRandomName) {
    EXPECT_EQ(LastCharPos(L"c:\\a\\b", L"\\"), 5);
    EXPECT_EQ(LastCharPos(L"\\", L"\\"), 1);
    EXPECT_EQ(LastCharPos(L"abc", L"\\"), 0);
    EXPECT_EQ(LastCharPos(L"", L"a"), 0);
    EXPECT_EQ(LastCharPos(L"abca", L"a"), 4);
    EXPECT_EQ(RandomName(0), L"");
    EXPECT_EQ(RandomName(-3), L"");
    std::wstring a = RandomName(8), b = RandomName(8);
    ASSERT_EQ(a.size(), 8u);
    for (wchar_t c : a + b) EXPECT_TRUE(c >= L'a' && c <= L'z') << static_cast<int>(c);
    EXPECT_NE(a, b);
    EXPECT_EQ(RandomName(300).size(), 300u);
}

TEST(PathRoutines, GetLongPathExpandsShortNamesAndFailsOnMissingParts) {
    EXPECT_EQ(GetLongPath(L"C:"), L"C:");
    EXPECT_EQ(GetLongPath(L"\\x"), L"\\x");
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

TEST(PathRoutines, GetTempDirIsTheLongTemporaryFolderWithABackslash) {
    std::wstring dir = GetTempDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    DWORD attr = GetFileAttributesW(dir.c_str());
    ASSERT_NE(attr, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attr & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(dir.find(L'~'), std::wstring::npos);
}

TEST(TempIni, TheFetchedTextIsSavedAsAnAnsiLineInTheTemporaryFolder) {
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
}

TEST(TempIni, EmptyTextOrMissingFolderMakesNoFile) {
    TempDir dir;
    TTempEnvGuard env(dir.Path());
    std::wstring folder = L"unchanged";
    EXPECT_EQ(SaveTempIni(L"", &folder), L"");
    EXPECT_EQ(folder, L"unchanged");
    EXPECT_EQ(testsupport::CountFiles(dir.File(L"*.ini")), 0);

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
    EXPECT_EQ(testsupport::ReadText(path), "[Msg]\r\n");
    DeleteFileW(path.c_str());
}
