#pragma once
// How long the server process lives: one lock per live object, per
// LockServer(TRUE) call and per shown dialog, mirrored into COM's server
// process count; the message loop ends when the count falls to zero. Once
// that has happened the server stops for good: an activation that arrives
// later is refused (CO_E_SERVER_STOPPING) and COM starts a new server.
#include <windows.h>
#include <objbase.h>

#include "com/ServerLock.h"
#include "win/Lock.h"
#include "win/ScopedHandle.h"

namespace server {

class ServerLifetime final : public com::ServerLock {
public:
    ServerLifetime();
    ServerLifetime(const ServerLifetime&) = delete;
    ServerLifetime& operator=(const ServerLifetime&) = delete;

    void Lock() override;
    ULONG Unlock() override;
    bool TryLock() override;

    // Resumes the (suspended) class objects and pumps this thread's messages
    // until the count falls to zero, or until `idleLimitMs` have passed
    // without any lock ever being taken. Call on the thread that built the object.
    HRESULT RunUntilUnlocked(DWORD idleLimitMs = INFINITE);

private:
    bool Add(bool evenWhenStopping);
    static DWORD WINAPI MonitorThreadProc(void* lifetime);
    // At the idle mark: true, and the server stopping, when nothing has ever
    // locked it; false when an activation came first.
    bool StopIfNeverUsed();

    DWORD mainThreadId_;
    // Signalled at zero; the monitor thread turns it into WM_QUIT, since the
    // last release may come on any thread.
    win::ScopedHandle shutdownEvent_;
    DWORD idleLimitMs_ = INFINITE;

    // Guards the three below: the decision to stop and a new lock exclude each other.
    win::Lock lock_;
    ULONG count_ = 0;
    bool everLocked_ = false;
    bool stopping_ = false;
};

}  // namespace server
