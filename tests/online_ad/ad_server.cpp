#include "ad_server.h"

#include <algorithm>
#include <stdexcept>

AdTestServer::AdTestServer() {
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) throw std::runtime_error("WSAStartup");
    listen_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listen_ == INVALID_SOCKET) throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || listen(listen_, 32) != 0)
        throw std::runtime_error("bind/listen");
    int len = sizeof(addr);
    getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { Run(); });
}

AdTestServer::~AdTestServer() {
    stop_ = true;
    acceptor_.join();
    closesocket(listen_);
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(mu_);
        workers.swap(workers_);
    }
    for (auto& t : workers) t.join();
    WSACleanup();
}

std::wstring AdTestServer::Base() const {
    return L"http://127.0.0.1:" + std::to_wstring(port_);
}

void AdTestServer::Set(const std::string& Path, Reply R) {
    std::lock_guard<std::mutex> lock(mu_);
    replies_[Path] = std::move(R);
}

void AdTestServer::SetFallback(const std::string& Body) {
    std::lock_guard<std::mutex> lock(mu_);
    hasFallback_ = true;
    fallback_ = Body;
}

std::vector<std::string> AdTestServer::Requests() const {
    std::lock_guard<std::mutex> lock(mu_);
    return requests_;
}

int AdTestServer::Count(const std::string& Prefix) const {
    std::lock_guard<std::mutex> lock(mu_);
    int n = 0;
    for (const auto& r : requests_)
        if (r.compare(0, Prefix.size(), Prefix) == 0) ++n;
    return n;
}

void AdTestServer::Run() {
    while (!stop_) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listen_, &set);
        timeval tv{0, 50 * 1000};
        if (select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
        SOCKET s = accept(listen_, nullptr, nullptr);
        if (s == INVALID_SOCKET) continue;
        std::lock_guard<std::mutex> lock(mu_);
        workers_.emplace_back([this, s] { Serve(s); });
    }
}

void AdTestServer::Serve(SOCKET s) {
    std::string request;
    char buf[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        int n = recv(s, buf, sizeof(buf), 0);
        if (n <= 0) break;
        request.append(buf, n);
    }
    std::string target;
    const size_t sp1 = request.find(' ');
    const size_t sp2 = sp1 == std::string::npos ? sp1 : request.find(' ', sp1 + 1);
    if (sp2 != std::string::npos) target = request.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string path = target.substr(0, target.find('?'));

    Reply reply{404, "<html><body>Not found</body></html>", 0};
    {
        std::lock_guard<std::mutex> lock(mu_);
        requests_.push_back(target);
        auto it = replies_.find(path);
        if (it != replies_.end()) reply = it->second;
        else if (hasFallback_) reply = Reply{200, fallback_, 0};
    }
    for (DWORD waited = 0; waited < reply.DelayMs && !stop_; waited += 20) Sleep(20);

    std::string out = "HTTP/1.1 " + std::to_string(reply.Status) + (reply.Status == 200 ? " OK" : " Error") +
                      "\r\nContent-Type: application/octet-stream\r\nCache-Control: no-store\r\nContent-Length: " +
                      std::to_string(reply.Body.size()) + "\r\nConnection: close\r\n\r\n" + reply.Body;
    size_t sent = 0;
    while (sent < out.size()) {
        int n = send(s, out.data() + sent, int(std::min<size_t>(out.size() - sent, 65536)), 0);
        if (n <= 0) break;
        sent += size_t(n);
    }
    shutdown(s, SD_SEND);
    // Let the client read to the end before the socket goes.
    while (recv(s, buf, sizeof(buf), 0) > 0) {
    }
    closesocket(s);
}
