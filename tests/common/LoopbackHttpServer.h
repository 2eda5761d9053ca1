#pragma once
// A tiny HTTP server on 127.0.0.1 for tests that must see a request arrive,
// without anything leaving the machine. One connection at a time; every
// request gets the same small answer, marked not cacheable (the URL moniker
// would otherwise answer a repeated URL from its cache). The server stops in
// its destructor, and by itself after a time limit so a stuck test ends.
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

namespace testing_support {

// A socket that closes itself.
class ScopedSocket {
public:
    explicit ScopedSocket(SOCKET s = INVALID_SOCKET) : s_(s) {}
    ~ScopedSocket() { Reset(); }
    ScopedSocket(const ScopedSocket&) = delete;
    ScopedSocket& operator=(const ScopedSocket&) = delete;
    SOCKET Get() const { return s_; }
    SOCKET Release() {
        SOCKET s = s_;
        s_ = INVALID_SOCKET;
        return s;
    }
    explicit operator bool() const { return s_ != INVALID_SOCKET; }
    void Reset(SOCKET s = INVALID_SOCKET) {
        if (s_ != INVALID_SOCKET) ::closesocket(s_);
        s_ = s;
    }

private:
    SOCKET s_;
};

class LoopbackHttpServer {
public:
    LoopbackHttpServer() = default;
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Listens on a free port of 127.0.0.1 and serves `status` to every request.
    bool Start(int status = 200, DWORD lifetimeMs = 60000);
    void Stop();

    unsigned short Port() const { return port_; }
    // "http://127.0.0.1:<port>" + path.
    std::wstring Url(const wchar_t* path) const;
    int Requests() const { return requests_.load(); }
    // The request line of the first request, e.g. "GET /x HTTP/1.1".
    std::string FirstRequestLine() const;

private:
    void Serve(int status, DWORD lifetimeMs);
    void Answer(SOCKET client, int status);

    ScopedSocket listener_;
    unsigned short port_ = 0;
    bool wsaStarted_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::string firstRequestLine_;
    std::atomic<bool> haveFirstLine_{false};
    std::thread thread_;
};

// A port of 127.0.0.1 that nothing listens on (bound once, then closed).
unsigned short UnusedLoopbackPort();

}  // namespace testing_support
