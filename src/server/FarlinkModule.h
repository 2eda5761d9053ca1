#pragma once
// The one process-wide module: start-up and shut-down, the registration
// switches, class objects and message loop, and the state every FarlinkUI
// object shares (testers, the dialog, the product code, the log).
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "dialogs/RemoteDesktopDialog.h"
#include "dialogs/DialogServices.h"
#include "server/CommandLine.h"
#include "server/TesterList.h"
#include "support/DiagnosticLog.h"
#include "win/ScopedHandle.h"

namespace server {

class FarlinkModule final : public dialogs::DialogServices {
public:
    FarlinkModule();
    ~FarlinkModule() override;
    FarlinkModule(const FarlinkModule&) = delete;
    FarlinkModule& operator=(const FarlinkModule&) = delete;

    // The entry sequence; returns the process exit code.
    int Main();

    // Server lock: COM's server process count.
    void Lock();
    ULONG Unlock();
    ULONG GetLockCount() const { return lockCount_; }

    // IFarlinkUI's work, shared by every FarlinkUI object.
    void AddTester(IConnectionTester* tester);
    void ShowRemoteDesktopDialog(HWND parent);

    // DialogServices, for the dialogs.
    bool FindFirstTester(win::ComPtr<IConnectionTester>* tester) override;
    bool FindNextTester(win::ComPtr<IConnectionTester>* tester) override;
    std::wstring QueryProductCode() override;
    size_t TesterCount() override;
    HRESULT CreateProgressSink(const std::shared_ptr<dialogs::ProgressEvents>& events,
                               ITestProgress** sink) override;
    HINSTANCE ResourceInstance() override { return ::GetModuleHandleW(nullptr); }

private:
    class AutoLock;

    void StartServices();
    void StopServices();
    HRESULT HandleSwitch(ServerSwitch which);
    HRESULT Run();
    HRESULT RegisterClassObjects();
    HRESULT RevokeClassObjects();

    static DWORD WINAPI MonitorThreadProc(void* module);
    static DWORD WINAPI DialogThreadProc(void* module);
    void DialogLoop();

    DWORD mainThreadId_;
    std::atomic<HANDLE> shutdownEvent_{nullptr};
    std::atomic<ULONG> lockCount_{0};
    DWORD classCookies_[2] = {};

    CRITICAL_SECTION lock_;
    TesterList testers_;
    win::ScopedHandle dialogThread_;
    win::ScopedHandle showEvent_;
    win::ScopedHandle quitEvent_;
    std::unique_ptr<dialogs::RemoteDesktopDialog> currentDialog_;
    HWND parent_ = nullptr;
    support::DiagnosticLog log_;
};

// The module of this process.
FarlinkModule& TheModule();

}  // namespace server
