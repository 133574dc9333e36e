// A tiny HTTP server on 127.0.0.1 that plays the advertisement service and its picture host.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class AdTestServer {
public:
    struct Reply {
        int Status = 200;
        std::string Body;
        DWORD DelayMs = 0;  // wait before answering
    };

    AdTestServer();
    ~AdTestServer();
    AdTestServer(const AdTestServer&) = delete;
    AdTestServer& operator=(const AdTestServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::wstring Base() const;
    // Serves Path (the request target without its query).
    void Set(const std::string& Path, Reply R);
    void Set(const std::string& Path, const std::string& Body) { Set(Path, Reply{200, Body, 0}); }
    // Served for every path that has no reply of its own (else a 404 page).
    void SetFallback(const std::string& Body);
    // Request targets (path and query) in arrival order.
    std::vector<std::string> Requests() const;
    // Requests whose target starts with Prefix.
    int Count(const std::string& Prefix) const;

private:
    void Run();
    void Serve(SOCKET s);

    SOCKET listen_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
    mutable std::mutex mu_;
    std::vector<std::thread> workers_;
    std::map<std::string, Reply> replies_;
    bool hasFallback_ = false;
    std::string fallback_;
    std::vector<std::string> requests_;
};
