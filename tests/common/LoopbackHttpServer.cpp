#include "common/LoopbackHttpServer.h"

#include <ws2tcpip.h>

namespace testing_support {

namespace {

// A TCP socket bound to 127.0.0.1 on a port the system picks, and that port.
SOCKET BindLoopback(unsigned short* port) {
    ScopedSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (!s || ::bind(s.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(s.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return INVALID_SOCKET;
    *port = ntohs(address.sin_port);
    return s.Release();
}

}  // namespace

LoopbackHttpServer::~LoopbackHttpServer() { Stop(); }

bool LoopbackHttpServer::Start(int status, DWORD lifetimeMs) {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    wsaStarted_ = true;
    listener_.Reset(BindLoopback(&port_));
    if (!listener_ || ::listen(listener_.Get(), 4) != 0) return false;
    thread_ = std::thread(&LoopbackHttpServer::Serve, this, status, lifetimeMs);
    return true;
}

void LoopbackHttpServer::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    listener_.Reset();
    if (wsaStarted_) ::WSACleanup();
    wsaStarted_ = false;
}

std::wstring LoopbackHttpServer::Url(const wchar_t* path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

std::string LoopbackHttpServer::FirstRequestLine() const {
    return haveFirstLine_ ? firstRequestLine_ : std::string();
}

void LoopbackHttpServer::Serve(int status, DWORD lifetimeMs) {
    const DWORD start = ::GetTickCount();
    while (!stop_ && ::GetTickCount() - start < lifetimeMs) {
        // Short waits so Stop() and the time limit are noticed promptly.
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener_.Get(), &readable);
        timeval wait = {0, 50 * 1000};
        if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        ScopedSocket client(::accept(listener_.Get(), nullptr, nullptr));
        if (client) Answer(client.Get(), status);
    }
}

void LoopbackHttpServer::Answer(SOCKET client, int status) {
    // The request head, at most 8 KB or 2 s.
    DWORD timeout = 2000;
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                 sizeof timeout);
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 8192) {
        int n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        head.append(buffer, n);
    }
    if (head.empty()) return;
    if (!haveFirstLine_) {
        firstRequestLine_ = head.substr(0, head.find("\r\n"));
        haveFirstLine_ = true;
    }
    ++requests_;
    std::string response = "HTTP/1.1 " + std::to_string(status) +
                           " Test\r\nContent-Type: application/json\r\nContent-Length: 2"
                           "\r\nCache-Control: no-store, no-cache\r\nPragma: no-cache"
                           "\r\nConnection: close\r\n\r\n{}";
    ::send(client, response.data(), static_cast<int>(response.size()), 0);
    ::shutdown(client, SD_SEND);
}

unsigned short UnusedLoopbackPort() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    unsigned short port = 0;
    ScopedSocket s(BindLoopback(&port));
    s.Reset();
    ::WSACleanup();
    return port;
}

}  // namespace testing_support
