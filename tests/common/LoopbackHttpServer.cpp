#include "common/LoopbackHttpServer.h"

namespace testing_support {

namespace {

// A TCP socket bound to 127.0.0.1 on a port the system picks, and that port.
SOCKET BindLoopback(unsigned short* port) {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    SOCKET s = started ? ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (s != INVALID_SOCKET &&
        (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
         ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)) {
        ::closesocket(s);
        s = INVALID_SOCKET;
    }
    *port = ntohs(address.sin_port);
    return s;
}

}  // namespace

LoopbackHttpServer::~LoopbackHttpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != INVALID_SOCKET) ::closesocket(listener_);
}

bool LoopbackHttpServer::Start() {
    listener_ = BindLoopback(&port_);
    if (listener_ == INVALID_SOCKET || ::listen(listener_, 4) != 0) return false;
    thread_ = std::thread(&LoopbackHttpServer::Serve, this);
    return true;
}

std::wstring LoopbackHttpServer::Url(const wchar_t* path) const {
    return L"http://127.0.0.1:" +
           std::to_wstring(thread_.joinable() ? port_ : UnusedLoopbackPort()) + path;
}

void LoopbackHttpServer::Serve() {
    while (!stop_) {
        // Short waits, so the destructor is noticed promptly.
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener_, &readable);
        timeval wait = {0, 50 * 1000};
        if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        DWORD timeout = 2000;
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                     sizeof timeout);
        std::string head;
        char buffer[1024];
        for (int n = 1; n > 0 && head.find("\r\n\r\n") == std::string::npos && head.size() < 8192;)
            if ((n = ::recv(client, buffer, sizeof buffer, 0)) > 0) head.append(buffer, n);
        if (!head.empty()) {
            if (requests_ == 0) firstLine_ = head.substr(0, head.find("\r\n"));
            ++requests_;
            const char response[] =
                "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 2\r\n"
                "Cache-Control: no-store, no-cache\r\nPragma: no-cache\r\nConnection: close"
                "\r\n\r\n{}";
            ::send(client, response, sizeof response - 1, 0);
            ::shutdown(client, SD_SEND);
        }
        ::closesocket(client);
    }
}

unsigned short UnusedLoopbackPort() {
    unsigned short port = 0;
    SOCKET s = BindLoopback(&port);
    if (s != INVALID_SOCKET) ::closesocket(s);
    return port;
}

}  // namespace testing_support
