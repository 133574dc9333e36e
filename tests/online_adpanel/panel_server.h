// A small HTTP server on 127.0.0.1 standing in for the advertisement service and its picture host:
// fixed bodies by path, every request target recorded, an optional delay before answering.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PanelTestServer {
public:
    PanelTestServer();
    ~PanelTestServer();
    PanelTestServer(const PanelTestServer&) = delete;
    PanelTestServer& operator=(const PanelTestServer&) = delete;

    // "http://127.0.0.1:<port>"
    std::wstring Base() const;
    // Body served for Path (the target without its query); other paths get a 404.
    void Set(const std::string& Path, const std::string& Body);
    // Held back this long before every answer.
    void SetDelay(DWORD Ms) { delay_ = Ms; }
    // Request targets (path and query) in arrival order.
    std::vector<std::string> Requests() const;

private:
    void Run();
    void Serve(SOCKET s);

    SOCKET listen_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<DWORD> delay_{0};
    std::thread acceptor_;
    mutable std::mutex mu_;
    std::map<std::string, std::string> bodies_;
    std::vector<std::string> requests_;
};
