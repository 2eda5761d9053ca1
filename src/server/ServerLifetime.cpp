#include "server/ServerLifetime.h"

#include "win/ExceptionBarrier.h"
#include "win/Trace.h"

namespace server {

namespace {
constexpr DWORD kResumeTimeoutMs = 5000;
}

ServerLifetime::ServerLifetime()
    : mainThreadId_(::GetCurrentThreadId()),
      shutdownEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void ServerLifetime::Lock() { Add(true); }

bool ServerLifetime::TryLock() { return Add(false); }

bool ServerLifetime::Add(bool evenWhenStopping) {
    {
        win::AutoLock guard(lock_);
        if (stopping_ && !evenWhenStopping) return false;
        ++count_;
        everLocked_ = true;
    }
    ::CoAddRefServerProcess();
    return true;
}

ULONG ServerLifetime::Unlock() {
    // COM suspends the class objects when its own count reaches zero.
    ::CoReleaseServerProcess();
    ULONG left;
    {
        win::AutoLock guard(lock_);
        left = --count_;
        if (left == 0) stopping_ = true;
    }
    if (left == 0) ::SetEvent(shutdownEvent_.Get());
    return left;
}

bool ServerLifetime::StopIfNeverUsed() {
    // Suspend first, then look: an activation COM hands over after the look
    // finds the server stopping and is refused, so none gets an object from a
    // server that is about to leave.
    HRESULT suspended = ::CoSuspendClassObjects();
    {
        win::AutoLock guard(lock_);
        if (!everLocked_) {
            stopping_ = true;
            return true;
        }
    }
    if (SUCCEEDED(suspended)) {
        HRESULT resumed = ::CoResumeClassObjects();
        if (FAILED(resumed)) win::Trace(L"server", L"CoResumeClassObjects at the idle mark", resumed);
    }
    return false;
}

HRESULT ServerLifetime::RunUntilUnlocked(DWORD idleLimitMs) {
    if (!shutdownEvent_) return E_FAIL;
    idleLimitMs_ = idleLimitMs;
    // The thread's message queue must exist before the monitor can post to it.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    win::ScopedHandle monitor(::CreateThread(nullptr, 0, MonitorThreadProc, this, 0, nullptr));
    if (!monitor) return E_FAIL;
    HRESULT hr = ::CoResumeClassObjects();
    if (FAILED(hr)) {
        ::SetEvent(shutdownEvent_.Get());
        ::WaitForSingleObject(monitor.Get(), kResumeTimeoutMs * 2);
        return hr;
    }
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return S_OK;
}

DWORD WINAPI ServerLifetime::MonitorThreadProc(void* param) {
    return win::CallbackBarrier<DWORD>(L"lifetime monitor", 1, [param]() -> DWORD {
        auto* lifetime = static_cast<ServerLifetime*>(param);
        DWORD wait = ::WaitForSingleObject(lifetime->shutdownEvent_.Get(), lifetime->idleLimitMs_);
        if (wait == WAIT_TIMEOUT && !lifetime->StopIfNeverUsed())
            ::WaitForSingleObject(lifetime->shutdownEvent_.Get(), INFINITE);
        ::PostThreadMessageW(lifetime->mainThreadId_, WM_QUIT, 0, 0);
        return 0;
    });
}

}  // namespace server
