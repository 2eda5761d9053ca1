#include "server/ServerLifetime.h"

#include "win/ExceptionBarrier.h"

namespace server {

namespace {
constexpr DWORD kResumeTimeoutMs = 5000;
}

ServerLifetime::ServerLifetime()
    : mainThreadId_(::GetCurrentThreadId()),
      shutdownEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void ServerLifetime::Lock() {
    everLocked_.store(true);
    ::CoAddRefServerProcess();
}

ULONG ServerLifetime::Unlock() {
    ULONG count = ::CoReleaseServerProcess();
    if (count == 0) ::SetEvent(shutdownEvent_.Get());
    return count;
}

HRESULT ServerLifetime::RunUntilUnlocked(DWORD idleLimitMs) {
    if (!shutdownEvent_) return E_FAIL;
    idleLimitMs_ = idleLimitMs;
    // A count that touched zero before the loop (a registration run) does not count.
    ::ResetEvent(shutdownEvent_.Get());
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
    return win::CallbackBarrier<DWORD>(1, [param]() -> DWORD {
        auto* lifetime = static_cast<ServerLifetime*>(param);
        DWORD wait = ::WaitForSingleObject(lifetime->shutdownEvent_.Get(), lifetime->idleLimitMs_);
        if (wait == WAIT_TIMEOUT && lifetime->everLocked_.load())
            ::WaitForSingleObject(lifetime->shutdownEvent_.Get(), INFINITE);
        ::PostThreadMessageW(lifetime->mainThreadId_, WM_QUIT, 0, 0);
        return 0;
    });
}

}  // namespace server
