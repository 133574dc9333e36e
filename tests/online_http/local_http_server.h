// A tiny HTTP/1.1 server on 127.0.0.1 inside the test process: it plays the product's web server
// for the online tests. One thread accepts and serves connections one at a time; every request
// is recorded. The handler decides the answer, or that the connection hangs without an answer
// (until the server stops) or is closed at once.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct THttpRequest {
    std::string Method;
    std::string Target;  // path and query as sent
    std::string Headers; // the header lines as sent
    std::string Body;

    // The value of a header (name compared ignoring case), or "" when absent.
    std::string Header(const std::string& Name) const {
        size_t pos = 0;
        while (pos < Headers.size()) {
            size_t end = Headers.find("\r\n", pos);
            if (end == std::string::npos) end = Headers.size();
            std::string line = Headers.substr(pos, end - pos);
            size_t colon = line.find(':');
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
};

struct THttpAnswer {
    // Trickle: the headers at once, then the body one byte every 100 ms.
    enum TKind { Reply, Hang, Drop, Trickle } Kind = Reply;
    int Status = 200;
    std::string Body;
};

class TLocalHttpServer {
public:
    using THandler = std::function<THttpAnswer(const THttpRequest&)>;

    explicit TLocalHttpServer(THandler Handler) : FHandler(std::move(Handler)) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        FStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        FListen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        bind(FListen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        listen(FListen, 16);
        int len = sizeof(addr);
        getsockname(FListen, reinterpret_cast<sockaddr*>(&addr), &len);
        FPort = ntohs(addr.sin_port);
        FThread = std::thread([this] { Run(); });
    }

    ~TLocalHttpServer() {
        FStopping = true;
        SetEvent(FStop);
        closesocket(FListen);
        if (FThread.joinable()) FThread.join();
        CloseHandle(FStop);
        WSACleanup();
    }

    int Port() const { return FPort; }
    // "http://127.0.0.1:<port>", the base address of the services under test.
    std::wstring BaseUrl() const { return L"http://127.0.0.1:" + std::to_wstring(FPort); }

    std::vector<THttpRequest> Requests() const {
        std::lock_guard<std::mutex> g(FLock);
        return FRequests;
    }
    size_t RequestCount() const {
        std::lock_guard<std::mutex> g(FLock);
        return FRequests.size();
    }

private:
    void Run() {
        while (!FStopping) {
            SOCKET s = accept(FListen, nullptr, nullptr);
            if (s == INVALID_SOCKET) break;
            Serve(s);
            closesocket(s);
        }
    }

    void Serve(SOCKET s) {
        std::string data;
        char buf[4096];
        size_t headerEnd = std::string::npos;
        while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
            int n = recv(s, buf, sizeof(buf), 0);
            if (n <= 0) return;
            data.append(buf, static_cast<size_t>(n));
        }
        THttpRequest req;
        size_t lineEnd = data.find("\r\n");
        std::string first = data.substr(0, lineEnd);
        size_t sp1 = first.find(' '), sp2 = first.rfind(' ');
        req.Method = first.substr(0, sp1);
        req.Target = first.substr(sp1 + 1, sp2 - sp1 - 1);
        req.Headers = data.substr(lineEnd + 2, headerEnd - lineEnd - 2);
        size_t length = static_cast<size_t>(atoi(req.Header("Content-Length").c_str()));
        req.Body = data.substr(headerEnd + 4);
        while (req.Body.size() < length) {
            int n = recv(s, buf, sizeof(buf), 0);
            if (n <= 0) break;
            req.Body.append(buf, static_cast<size_t>(n));
        }
        {
            std::lock_guard<std::mutex> g(FLock);
            FRequests.push_back(req);
        }
        THttpAnswer answer = FHandler(req);
        if (answer.Kind == THttpAnswer::Hang) {
            WaitForSingleObject(FStop, INFINITE);
            return;
        }
        if (answer.Kind == THttpAnswer::Drop) return;
        std::string head = "HTTP/1.1 " + std::to_string(answer.Status) + " X\r\nContent-Type: text/html\r\n" +
                           "Content-Length: " + std::to_string(answer.Body.size()) + "\r\nConnection: close\r\n\r\n";
        if (answer.Kind == THttpAnswer::Trickle) {
            if (send(s, head.data(), static_cast<int>(head.size()), 0) <= 0) return;
            for (char c : answer.Body) {
                if (WaitForSingleObject(FStop, 100) == WAIT_OBJECT_0) return;
                if (send(s, &c, 1, 0) <= 0) return;
            }
            shutdown(s, SD_SEND);
            return;
        }
        std::string all = head + answer.Body;
        size_t sent = 0;
        while (sent < all.size()) {
            int n = send(s, all.data() + sent, static_cast<int>(all.size() - sent), 0);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        shutdown(s, SD_SEND);
    }

    THandler FHandler;
    SOCKET FListen = INVALID_SOCKET;
    HANDLE FStop = nullptr;
    std::atomic<bool> FStopping{false};
    int FPort = 0;
    std::thread FThread;
    mutable std::mutex FLock;
    std::vector<THttpRequest> FRequests;
};

// A port on 127.0.0.1 where nothing listens (bound, then released).
inline int UnusedLocalPort() {
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
