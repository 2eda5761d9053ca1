#pragma once
// How long the server process lives: COM's server process count, one per live
// object plus LockServer(TRUE) calls, and the message loop that ends when the
// count falls to zero.
#include <windows.h>
#include <objbase.h>

#include <atomic>

#include "win/ScopedHandle.h"

namespace server {

class ServerLifetime {
public:
    ServerLifetime();
    ServerLifetime(const ServerLifetime&) = delete;
    ServerLifetime& operator=(const ServerLifetime&) = delete;

    void Lock();
    ULONG Unlock();

    // Resumes the (suspended) class objects and pumps this thread's messages
    // until the count falls to zero, or until `idleLimitMs` have passed
    // without any object ever being made. Call on the thread that built the object.
    HRESULT RunUntilUnlocked(DWORD idleLimitMs = INFINITE);

private:
    static DWORD WINAPI MonitorThreadProc(void* lifetime);

    DWORD mainThreadId_;
    // Signalled at zero; the monitor thread turns it into WM_QUIT, since the
    // last release may come on any thread.
    win::ScopedHandle shutdownEvent_;
    DWORD idleLimitMs_ = INFINITE;
    std::atomic<bool> everLocked_{false};
};

}  // namespace server
