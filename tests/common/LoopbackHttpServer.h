#pragma once
// A tiny HTTP server on 127.0.0.1 for tests that must see a request arrive
// without anything leaving the machine. Every request gets "200 {}", marked
// not cacheable: the URL moniker would otherwise answer a repeated URL from
// its cache.
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

namespace testing_support {

class LoopbackHttpServer {
public:
    LoopbackHttpServer() = default;
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool Start();
    // "http://127.0.0.1:<port>" + path; before Start(), a port nobody listens on.
    std::wstring Url(const wchar_t* path) const;
    int Requests() const { return requests_; }
    // The request line of the first request, e.g. "GET /x HTTP/1.1".
    std::string FirstRequestLine() const { return requests_ ? firstLine_ : std::string(); }

private:
    void Serve();

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::string firstLine_;
    std::thread thread_;
};

// A port of 127.0.0.1 that nothing listens on (bound once, then closed).
unsigned short UnusedLoopbackPort();

}  // namespace testing_support
