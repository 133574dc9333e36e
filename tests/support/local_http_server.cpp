#include "local_http_server.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {

namespace {

// Longest request head read; anything longer is no request of ours.
constexpr size_t kMaxHead = 64 * 1024;
// Largest request body taken.
constexpr size_t kMaxBody = 16 * 1024 * 1024;
// How often the wait for connections looks whether the server stops.
constexpr long kPollMicroseconds = 50 * 1000;

const char* ReasonPhrase(int Status) {
    switch (Status) {
        case 200: return "OK";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 303: return "See Other";
        case 307: return "Temporary Redirect";
        case 400: return "Bad Request";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

}  // namespace

std::string THttpRequest::Header(const std::string& Name) const {
    size_t pos = 0;
    while (pos < Headers.size()) {
        size_t end = Headers.find("\r\n", pos);
        if (end == std::string::npos) end = Headers.size();
        const std::string line = Headers.substr(pos, end - pos);
        const size_t colon = line.find(':');
        if (colon != std::string::npos && colon == Name.size() &&
            _strnicmp(line.c_str(), Name.c_str(), Name.size()) == 0) {
            size_t v = colon + 1;
            while (v < line.size() && line[v] == ' ') ++v;
            return line.substr(v);
        }
        pos = end + 2;
    }
    return {};
}

TLocalHttpServer::TLocalHttpServer() { Start(); }

TLocalHttpServer::TLocalHttpServer(THandler Handler) : FHandler(std::move(Handler)) { Start(); }

void TLocalHttpServer::Start() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    FStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FListen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (!FStop || FListen == INVALID_SOCKET || bind(FListen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        listen(FListen, SOMAXCONN) != 0) {
        if (FListen != INVALID_SOCKET) closesocket(FListen);
        if (FStop) CloseHandle(FStop);
        WSACleanup();
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    int len = sizeof(addr);
    getsockname(FListen, reinterpret_cast<sockaddr*>(&addr), &len);
    FPort = ntohs(addr.sin_port);
    FAcceptor = std::thread([this] { Run(); });
}

TLocalHttpServer::~TLocalHttpServer() {
    SetEvent(FStop);
    if (FAcceptor.joinable()) FAcceptor.join();
    // Ends the reads and writes still waiting on clients; the waits for the stop end by themselves.
    {
        std::lock_guard<std::mutex> g(FSocketLock);
        for (auto& w : FWorkers)
            if (w->Socket != INVALID_SOCKET) shutdown(w->Socket, SD_BOTH);
    }
    for (auto& w : FWorkers) w->Thread.join();
    FWorkers.clear();
    closesocket(FListen);
    CloseHandle(FStop);
    WSACleanup();
}

void TLocalHttpServer::Set(const std::string& Path, THttpAnswer Answer) {
    std::lock_guard<std::mutex> g(FLock);
    FAnswers[Path] = std::move(Answer);
}

void TLocalHttpServer::SetFallback(THttpAnswer Answer) {
    std::lock_guard<std::mutex> g(FLock);
    FHasFallback = true;
    FFallback = std::move(Answer);
}

std::vector<THttpRequest> TLocalHttpServer::Requests() const {
    std::lock_guard<std::mutex> g(FLock);
    return FRequests;
}

std::vector<std::string> TLocalHttpServer::Targets() const {
    std::lock_guard<std::mutex> g(FLock);
    std::vector<std::string> targets;
    for (const auto& r : FRequests) targets.push_back(r.Target);
    return targets;
}

size_t TLocalHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> g(FLock);
    return FRequests.size();
}

int TLocalHttpServer::Count(const std::string& Prefix) const {
    std::lock_guard<std::mutex> g(FLock);
    return static_cast<int>(std::count_if(FRequests.begin(), FRequests.end(), [&](const THttpRequest& r) {
        return r.Target.compare(0, Prefix.size(), Prefix) == 0;
    }));
}

int TLocalHttpServer::OpenConnections(const std::string& Prefix) const {
    std::lock_guard<std::mutex> g(FLock);
    return static_cast<int>(std::count_if(FOpenTargets.begin(), FOpenTargets.end(), [&](const std::string& t) {
        return t.compare(0, Prefix.size(), Prefix) == 0;
    }));
}

THttpAnswer TLocalHttpServer::Lookup(const THttpRequest& Request) const {
    std::lock_guard<std::mutex> g(FLock);
    auto it = FAnswers.find(Request.Path());
    if (it != FAnswers.end()) return it->second;
    if (FHasFallback) return FFallback;
    return THttpAnswer{THttpAnswer::Reply, 404, "<html><body>Not found</body></html>", 0};
}

bool TLocalHttpServer::WaitListen() const {
    for (;;) {
        if (Stopping()) return false;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(FListen, &ready);
        timeval tv{0, kPollMicroseconds};
        const int r = select(0, &ready, nullptr, nullptr, &tv);
        if (r < 0) return false;
        if (r > 0) return true;
    }
}

bool TLocalHttpServer::SendAll(SOCKET S, const char* Data, size_t Size) const {
    size_t sent = 0;
    while (sent < Size) {
        const int n = send(S, Data + sent, static_cast<int>(std::min<size_t>(Size - sent, 64 * 1024)), 0);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void TLocalHttpServer::ReapFinishedWorkers() {
    for (auto it = FWorkers.begin(); it != FWorkers.end();) {
        if ((*it)->Done) {
            (*it)->Thread.join();
            it = FWorkers.erase(it);
        } else {
            ++it;
        }
    }
}

void TLocalHttpServer::Run() {
    while (!Stopping()) {
        ReapFinishedWorkers();
        if (!WaitListen()) break;
        SOCKET s = accept(FListen, nullptr, nullptr);
        if (s == INVALID_SOCKET) continue;
        auto worker = std::make_unique<TWorker>();
        TWorker* w = worker.get();
        w->Socket = s;
        w->Thread = std::thread([this, s, w] {
            Serve(s);
            // Closed at once: a client waits for the end of a dropped connection.
            {
                std::lock_guard<std::mutex> g(FSocketLock);
                closesocket(s);
                w->Socket = INVALID_SOCKET;
            }
            w->Done = true;
        });
        FWorkers.push_back(std::move(worker));
    }
}

void TLocalHttpServer::Serve(SOCKET S) {
    char buf[8192];
    // Next bytes from the client: > 0 bytes read, 0 at its end, < 0 on failure or stop.
    auto receive = [&]() -> int {
        if (Stopping()) return -1;
        const int n = recv(S, buf, sizeof(buf), 0);
        return n < 0 ? -1 : n;
    };

    std::string data;
    size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > kMaxHead) return;
        const int n = receive();
        if (n <= 0) return;
        data.append(buf, static_cast<size_t>(n));
    }
    THttpRequest req;
    const size_t lineEnd = data.find("\r\n");
    const std::string first = data.substr(0, lineEnd);
    const size_t sp1 = first.find(' ');
    const size_t sp2 = sp1 == std::string::npos ? sp1 : first.find(' ', sp1 + 1);
    if (sp2 == std::string::npos) return;
    req.Method = first.substr(0, sp1);
    req.Target = first.substr(sp1 + 1, sp2 - sp1 - 1);
    req.Headers = lineEnd < headEnd ? data.substr(lineEnd + 2, headEnd - lineEnd - 2) : std::string();
    const size_t length = std::min<size_t>(std::strtoul(req.Header("Content-Length").c_str(), nullptr, 10), kMaxBody);
    req.Body = data.substr(headEnd + 4);
    while (req.Body.size() < length) {
        const int n = receive();
        if (n <= 0) return;
        req.Body.append(buf, static_cast<size_t>(n));
    }
    {
        std::lock_guard<std::mutex> g(FLock);
        FRequests.push_back(req);
        FOpenTargets.insert(req.Target);
    }
    struct TServed {
        TLocalHttpServer& Server;
        const std::string& Target;
        ~TServed() {
            std::lock_guard<std::mutex> g(Server.FLock);
            Server.FOpenTargets.erase(Server.FOpenTargets.find(Target));
        }
    } served{*this, req.Target};

    const THttpAnswer answer = FHandler ? FHandler(req) : Lookup(req);
    const DWORD delay = FDelayMs + answer.DelayMs;
    if (delay > 0 && WaitForSingleObject(FStop, delay) == WAIT_OBJECT_0) return;
    if (answer.Kind == THttpAnswer::Hang) {
        WaitForSingleObject(FStop, INFINITE);
        return;
    }
    if (answer.Kind == THttpAnswer::Drop) return;
    // No-store unless the answer says otherwise: the client's Internet cache must not answer a
    // second request in our place.
    const bool ownCacheControl = answer.Headers.find("Cache-Control:") != std::string::npos;
    std::string head = "HTTP/1.1 " + std::to_string(answer.Status) + " " + ReasonPhrase(answer.Status) +
                       "\r\nContent-Type: application/octet-stream\r\n" +
                       (ownCacheControl ? "" : "Cache-Control: no-store\r\n") + answer.Headers;
    if (answer.Kind == THttpAnswer::Flood) {
        head += "\r\n";
        // Blocking sends keep the client's buffer full (a client must never find it empty); the send
        // time-out lets a flood to a client that stopped reading look at the stop now and then.
        const DWORD timeout = 100;
        if (!SendAll(S, head.data(), head.size()) || answer.Body.empty() ||
            setsockopt(S, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout)) != 0)
            return;
        for (size_t at = 0; !Stopping();) {
            const int n = send(S, answer.Body.data() + at, static_cast<int>(answer.Body.size() - at), 0);
            if (n > 0)
                at = (at + static_cast<size_t>(n)) % answer.Body.size();
            else if (WSAGetLastError() != WSAETIMEDOUT)
                return;  // the client has gone
        }
        return;
    }

    head += "Content-Length: " + std::to_string(answer.Body.size()) + "\r\nConnection: close\r\n\r\n";
    const std::string all = head + answer.Body;
    // Sent at once, or from this point on one byte every 100 ms.
    const size_t slowFrom =
        answer.Kind == THttpAnswer::Dribble ? 0 : answer.Kind == THttpAnswer::Trickle ? head.size() : all.size();
    if (!SendAll(S, all.data(), slowFrom)) return;
    for (size_t at = slowFrom; at < all.size(); ++at)
        if (WaitForSingleObject(FStop, 100) == WAIT_OBJECT_0 || !SendAll(S, &all[at], 1)) return;
    shutdown(S, SD_SEND);
    // Let the client read to the end before the socket goes: closing with its bytes unread
    // could reset the connection under the answer.
    while (receive() > 0) {
    }
}

int UnusedLocalPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    int len = sizeof(addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    closesocket(s);
    WSACleanup();
    return ntohs(addr.sin_port);
}

TOnlineServer::~TOnlineServer() {
    FServer.reset();
    SetOnlineBaseUrl(L"");
}

TLocalHttpServer& TOnlineServer::Serve(const std::string& Path, const std::string& Body, DWORD DelayMs) {
    FServer = std::make_unique<TLocalHttpServer>();
    FServer->Set(Path, Body, DelayMs);
    SetOnlineBaseUrl(FServer->BaseUrl());
    return *FServer;
}

TLocalHttpServer& TOnlineServer::Serve(TLocalHttpServer::THandler Handler) {
    FServer = std::make_unique<TLocalHttpServer>(std::move(Handler));
    SetOnlineBaseUrl(FServer->BaseUrl());
    return *FServer;
}

void TOnlineServer::Stop() {
    FServer.reset();
    SetOnlineBaseUrl(L"http://127.0.0.1:" + std::to_wstring(UnusedLocalPort()));
}

}  // namespace testsupport
