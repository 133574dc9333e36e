#include "panel_server.h"

#include <stdexcept>

PanelTestServer::PanelTestServer() {
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) throw std::runtime_error("WSAStartup");
    listen_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (listen_ == INVALID_SOCKET || bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        listen(listen_, 16) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    int len = sizeof(addr);
    getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { Run(); });
}

PanelTestServer::~PanelTestServer() {
    stop_ = true;
    acceptor_.join();
    closesocket(listen_);
    WSACleanup();
}

std::wstring PanelTestServer::Base() const {
    return L"http://127.0.0.1:" + std::to_wstring(port_);
}

void PanelTestServer::Set(const std::string& Path, const std::string& Body) {
    std::lock_guard<std::mutex> lock(mu_);
    bodies_[Path] = Body;
}

std::vector<std::string> PanelTestServer::Requests() const {
    std::lock_guard<std::mutex> lock(mu_);
    return requests_;
}

// One connection at a time is enough: the reader fetches its answer, then its pictures.
void PanelTestServer::Run() {
    while (!stop_) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listen_, &set);
        timeval tv{0, 50 * 1000};
        if (select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
        SOCKET s = accept(listen_, nullptr, nullptr);
        if (s != INVALID_SOCKET) Serve(s);
    }
}

void PanelTestServer::Serve(SOCKET s) {
    // A client that stops talking must not hold the server (and the test's end) forever.
    const DWORD timeout = 5000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    std::string request;
    char buf[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        int n = recv(s, buf, sizeof(buf), 0);
        if (n <= 0) break;
        request.append(buf, size_t(n));
    }
    std::string target;
    const size_t sp1 = request.find(' ');
    const size_t sp2 = sp1 == std::string::npos ? sp1 : request.find(' ', sp1 + 1);
    if (sp2 != std::string::npos) target = request.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string path = target.substr(0, target.find('?'));

    int status = 404;
    std::string body = "not found";
    {
        std::lock_guard<std::mutex> lock(mu_);
        requests_.push_back(target);
        auto it = bodies_.find(path);
        if (it != bodies_.end()) {
            status = 200;
            body = it->second;
        }
    }
    for (DWORD waited = 0; waited < delay_ && !stop_; waited += 20) Sleep(20);

    const std::string out = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") +
                            "\r\nContent-Type: application/octet-stream\r\nCache-Control: no-store\r\n"
                            "Content-Length: " +
                            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    size_t sent = 0;
    while (sent < out.size()) {
        int n = send(s, out.data() + sent, int(out.size() - sent), 0);
        if (n <= 0) break;
        sent += size_t(n);
    }
    shutdown(s, SD_SEND);
    while (recv(s, buf, sizeof(buf), 0) > 0) {
    }
    closesocket(s);
}
