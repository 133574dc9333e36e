// A small HTTP/1.1 server on 127.0.0.1 inside the test process: it plays the product's web
// server, the advertisement service and its picture host for the online tests.
//
// Every connection is served on a thread of its own, so a slow or hanging answer never holds up
// the next request; all those threads are joined when the server goes. Every request is recorded
// before it is answered. Each connection carries one request and is closed after the answer.
//
// The answer comes either from a handler given at construction, or (without one) from fixed
// answers by path (the target without its query), then the fallback, else a 404 page.
//
// Waits inside the server (a delay, a hanging answer, a trickling body, a client that does not
// read) end when the server stops, so a test never waits on its own server at the end.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "UCheckNewThread.h"

namespace testsupport {

struct THttpRequest {
    std::string Method;
    std::string Target;   // path and query as sent
    std::string Headers;  // the header lines as sent, separated by CR LF
    std::string Body;

    // The target without its query.
    std::string Path() const { return Target.substr(0, Target.find('?')); }
    // The value of a header (name compared ignoring case), or "" when absent.
    std::string Header(const std::string& Name) const;
};

struct THttpAnswer {
    // Reply: status line, headers and body at once.
    // Hang: no answer at all; the connection stays open until the server stops.
    // Drop: the connection is closed without an answer.
    // Trickle: the headers at once, then the body one byte every 100 ms.
    // Dribble: the whole answer, status line and headers included, one byte every 100 ms.
    // Flood: the status line, Headers (in place of the length and "Connection" headers) and then
    // Body again and again without pause, until the client goes or the server stops.
    enum TKind { Reply, Hang, Drop, Trickle, Dribble, Flood } Kind = Reply;
    int Status = 200;
    std::string Body;
    DWORD DelayMs = 0;  // held back this long before answering
    // Further header lines, each ending in CR LF ("Location: /x\r\n"). A "Cache-Control" line
    // among them takes the place of the server's own "no-store".
    std::string Headers;
};

class TLocalHttpServer {
public:
    // Called on the connection's thread, possibly on several at once.
    using THandler = std::function<THttpAnswer(const THttpRequest&)>;

    // Answers from the fixed answers set with Set and SetFallback.
    TLocalHttpServer();
    // Answers whatever the handler says.
    explicit TLocalHttpServer(THandler Handler);
    ~TLocalHttpServer();
    TLocalHttpServer(const TLocalHttpServer&) = delete;
    TLocalHttpServer& operator=(const TLocalHttpServer&) = delete;

    int Port() const { return FPort; }
    // "http://127.0.0.1:<port>", the base address of the services under test.
    std::wstring BaseUrl() const { return L"http://127.0.0.1:" + std::to_wstring(FPort); }

    // The answer for Path (the target without its query; without a handler only).
    void Set(const std::string& Path, THttpAnswer Answer);
    void Set(const std::string& Path, const std::string& Body, DWORD DelayMs = 0) {
        Set(Path, THttpAnswer{THttpAnswer::Reply, 200, Body, DelayMs});
    }
    // The answer for every path without one of its own (else a 404 page).
    void SetFallback(THttpAnswer Answer);
    void SetFallback(const std::string& Body) { SetFallback(THttpAnswer{THttpAnswer::Reply, 200, Body, 0}); }
    // Held back this long before every answer, on top of the answer's own delay.
    void SetDelay(DWORD Ms) { FDelayMs = Ms; }

    // The requests in arrival order.
    std::vector<THttpRequest> Requests() const;
    // Their targets (path and query) in arrival order.
    std::vector<std::string> Targets() const;
    size_t RequestCount() const;
    // Requests whose target starts with Prefix.
    int Count(const std::string& Prefix) const;
    // Connections still being served whose request target starts with Prefix (a client that has
    // gone counts until the server notices).
    int OpenConnections(const std::string& Prefix = "") const;

private:
    struct TWorker {
        std::thread Thread;
        SOCKET Socket = INVALID_SOCKET;  // closed by the thread when it ends (under FSocketLock)
        std::atomic<bool> Done{false};
    };

    void Start();
    void Run();
    void Serve(SOCKET S);
    THttpAnswer Lookup(const THttpRequest& Request) const;
    bool Stopping() const { return WaitForSingleObject(FStop, 0) == WAIT_OBJECT_0; }
    // Waits until a connection can be accepted; false once the server stops or on error.
    bool WaitListen() const;
    bool SendAll(SOCKET S, const char* Data, size_t Size) const;
    void ReapFinishedWorkers();

    THandler FHandler;
    SOCKET FListen = INVALID_SOCKET;
    HANDLE FStop = nullptr;  // set when the server stops: every wait inside it ends
    int FPort = 0;
    std::atomic<DWORD> FDelayMs{0};
    std::thread FAcceptor;
    std::list<std::unique_ptr<TWorker>> FWorkers;  // only touched by the acceptor, then by the destructor
    std::mutex FSocketLock;
    mutable std::mutex FLock;
    std::map<std::string, THttpAnswer> FAnswers;
    bool FHasFallback = false;
    THttpAnswer FFallback;
    std::vector<THttpRequest> FRequests;
    std::multiset<std::string> FOpenTargets;  // targets of the connections still served
};

// A port on 127.0.0.1 where nothing listens (bound, then released).
int UnusedLocalPort();

// The online GET time-out for one test, put back when the object goes.
struct THttpTimeoutGuard {
    explicit THttpTimeoutGuard(DWORD Ms) { SetHttpGetTimeout(Ms); }
    ~THttpTimeoutGuard() { SetHttpGetTimeout(Old); }
    const DWORD Old = HttpGetTimeout();
};

// The program's online base address for one test: a port where nothing listens (never the real
// server, even for a test that forgets to start its own) until Serve starts a fresh server there,
// and the default again when the object goes, after the server has stopped.
class TOnlineServer {
public:
    TOnlineServer() { Stop(); }
    ~TOnlineServer();
    TOnlineServer(const TOnlineServer&) = delete;
    TOnlineServer& operator=(const TOnlineServer&) = delete;

    // A fresh server answering Body at Path (held back DelayMs), or whatever Handler says.
    TLocalHttpServer& Serve(const std::string& Path, const std::string& Body, DWORD DelayMs = 0);
    TLocalHttpServer& Serve(TLocalHttpServer::THandler Handler);
    // The server stopped and the address on a port where nothing listens.
    void Stop();
    TLocalHttpServer* operator->() const { return FServer.get(); }

private:
    std::unique_ptr<TLocalHttpServer> FServer;
};

}  // namespace testsupport
