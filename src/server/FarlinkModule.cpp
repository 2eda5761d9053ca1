#include "server/FarlinkModule.h"

#include <msi.h>

#include "server/CFarlinkUI.h"
#include "server/CTestProgress.h"
#include "server/ClassFactory.h"
#include "server/DispatchImpl.h"
#include "server/Registration.h"

namespace server {

namespace {

constexpr DWORD kResumeTimeoutMs = 5000;
// Lets a client that released its last object see the server gone without
// racing a new activation against a half-shut server.
constexpr DWORD kExitPauseMs = 1000;

ClassFactory<CTestProgress> g_testProgressFactory;
ClassFactory<CFarlinkUI> g_farlinkUIFactory;

struct ClassEntry {
    const CLSID* clsid;
    IClassFactory* factory;
};

// The class table: TestProgress first, as registration also orders it.
const ClassEntry kClasses[] = {
    {&CLSID_TestProgress, &g_testProgressFactory},
    {&CLSID_FarlinkUI, &g_farlinkUIFactory},
};

}  // namespace

class FarlinkModule::AutoLock {
public:
    explicit AutoLock(CRITICAL_SECTION& cs) : cs_(cs) { ::EnterCriticalSection(&cs_); }
    ~AutoLock() { ::LeaveCriticalSection(&cs_); }
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

FarlinkModule& TheModule() {
    static FarlinkModule module;
    return module;
}

void LockServer() { TheModule().Lock(); }
ULONG UnlockServer() { return TheModule().Unlock(); }

FarlinkModule::FarlinkModule() : mainThreadId_(::GetCurrentThreadId()) {
    ::InitializeCriticalSection(&lock_);
}

FarlinkModule::~FarlinkModule() {
    log_.Close();
    currentDialog_.reset();
    testers_.Clear();
    ::DeleteCriticalSection(&lock_);
}

void FarlinkModule::Lock() {
    ::CoAddRefServerProcess();
    ++lockCount_;
}

ULONG FarlinkModule::Unlock() {
    --lockCount_;
    ULONG count = ::CoReleaseServerProcess();
    if (count == 0) {
        if (HANDLE event = shutdownEvent_.load()) ::SetEvent(event);
    }
    return count;
}

int FarlinkModule::Main() {
    StartServices();
    HRESULT result = S_OK;
    bool comInitialized = false;
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) {
        comInitialized = true;
    } else if (!(hr == RPC_E_CHANGED_MODE && ::GetModuleHandleW(L"Mscoree.dll"))) {
        StopServices();
        return hr;
    }

    ServerSwitch which = ParseServerSwitch(::GetCommandLineW());
    result = which == ServerSwitch::None ? Run() : HandleSwitch(which);

    if (comInitialized) {
        ReleaseTypeInfoCache();
        ::CoUninitialize();
    }
    StopServices();
    return result;
}

void FarlinkModule::StartServices() {
    // The log first, so that it exists (and is truncated) whatever happens next.
    log_.Open();
    support::SetProcessLog(&log_);
    showEvent_.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    quitEvent_.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    dialogThread_.Reset(::CreateThread(nullptr, 0, DialogThreadProc, this, 0, nullptr));
    // Every later repair runs the installer silently.
    ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
}

void FarlinkModule::StopServices() {
    ::SetEvent(quitEvent_.Get());
    if (dialogThread_) ::WaitForSingleObject(dialogThread_.Get(), INFINITE);
    dialogThread_.Close();
    quitEvent_.Close();
    showEvent_.Close();
    support::SetProcessLog(nullptr);
    log_.Close();
}

HRESULT FarlinkModule::HandleSwitch(ServerSwitch which) {
    bool perUser =
        which == ServerSwitch::RegServerPerUser || which == ServerSwitch::UnregServerPerUser;
    if (perUser) SetPerUserRegistration(true);
    HMODULE self = ::GetModuleHandleW(nullptr);
    if (which == ServerSwitch::RegServer || which == ServerSwitch::RegServerPerUser) {
        HRESULT hr = RunAppIdScript(self, ScriptMode::Register);
        if (FAILED(hr)) return hr;
        return RegisterServer(self);
    }
    HRESULT hr = UnregisterServer(self);
    if (FAILED(hr)) return hr;
    return RunAppIdScript(self, ScriptMode::Unregister);
}

HRESULT FarlinkModule::RegisterClassObjects() {
    for (size_t i = 0; i < ARRAYSIZE(kClasses); ++i) {
        HRESULT hr = ::CoRegisterClassObject(*kClasses[i].clsid, kClasses[i].factory,
                                             CLSCTX_LOCAL_SERVER,
                                             REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED,
                                             &classCookies_[i]);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT FarlinkModule::RevokeClassObjects() {
    for (DWORD& cookie : classCookies_) {
        if (cookie == 0) continue;
        HRESULT hr = ::CoRevokeClassObject(cookie);
        if (FAILED(hr)) return hr;
        cookie = 0;
    }
    return S_OK;
}

HRESULT FarlinkModule::Run() {
    HRESULT hr = RegisterClassObjects();
    if (FAILED(hr)) return hr;

    HANDLE shutdown = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    shutdownEvent_ = shutdown;
    win::ScopedHandle monitor;
    if (shutdown) monitor.Reset(::CreateThread(nullptr, 0, MonitorThreadProc, this, 0, nullptr));
    if (!shutdown || !monitor) {
        if (HANDLE event = shutdownEvent_.exchange(nullptr)) ::CloseHandle(event);
        RevokeClassObjects();
        return E_FAIL;
    }
    hr = ::CoResumeClassObjects();
    if (FAILED(hr)) {
        ::SetEvent(shutdown);
        ::WaitForSingleObject(monitor.Get(), kResumeTimeoutMs * 2);
        monitor.Close();
        RevokeClassObjects();
        return hr;
    }
    monitor.Close();

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }

    hr = RevokeClassObjects();
    ::Sleep(kExitPauseMs);
    return hr;
}

DWORD WINAPI FarlinkModule::MonitorThreadProc(void* param) {
    auto* module = static_cast<FarlinkModule*>(param);
    ::WaitForSingleObject(module->shutdownEvent_.load(), INFINITE);
    if (HANDLE event = module->shutdownEvent_.exchange(nullptr)) ::CloseHandle(event);
    ::PostThreadMessageW(module->mainThreadId_, WM_QUIT, 0, 0);
    return 0;
}

DWORD WINAPI FarlinkModule::DialogThreadProc(void* param) {
    static_cast<FarlinkModule*>(param)->DialogLoop();
    return 0;
}

void FarlinkModule::DialogLoop() {
    bool comInitialized = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    HANDLE events[2] = {quitEvent_.Get(), showEvent_.Get()};
    for (;;) {
        DWORD wait = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (wait == WAIT_OBJECT_0) {
            AutoLock lock(lock_);
            testers_.Clear();
            break;
        }
        if (wait != WAIT_OBJECT_0 + 1) continue;

        // Built outside the lock: the detector's session probe may take a while.
        auto dialog = std::make_unique<dialogs::RemoteDesktopDialog>(*this);
        dialogs::RemoteDesktopDialog* shown = dialog.get();
        {
            AutoLock lock(lock_);
            currentDialog_ = std::move(dialog);
            shown->SetParentWindow(parent_);
        }
        shown->Run();
        std::unique_ptr<dialogs::RemoteDesktopDialog> closed;
        {
            AutoLock lock(lock_);
            closed = std::move(currentDialog_);
        }
        // Destroyed outside the lock, with its detector.
        closed.reset();
    }
    if (comInitialized) ::CoUninitialize();
}

void FarlinkModule::AddTester(IConnectionTester* tester) {
    AutoLock lock(lock_);
    testers_.Add(tester);
}

void FarlinkModule::ShowRemoteDesktopDialog(HWND parent) {
    HWND open = nullptr;
    {
        AutoLock lock(lock_);
        if (currentDialog_) {
            open = currentDialog_->Window();
        } else {
            parent_ = parent;
            ::SetEvent(showEvent_.Get());
            return;
        }
    }
    // Outside the lock: these calls wait for the dialog thread, which may be
    // waiting for the lock itself.
    dialogs::RemoteDesktopDialog::MoveDialogOver(open, parent);
}

bool FarlinkModule::FindFirstTester(win::ComPtr<IConnectionTester>* tester) {
    AutoLock lock(lock_);
    return testers_.FindFirst(tester);
}

bool FarlinkModule::FindNextTester(win::ComPtr<IConnectionTester>* tester) {
    AutoLock lock(lock_);
    return testers_.FindNext(tester);
}

std::wstring FarlinkModule::QueryProductCode() {
    AutoLock lock(lock_);
    return testers_.QueryProductCode();
}

size_t FarlinkModule::TesterCount() {
    AutoLock lock(lock_);
    return testers_.Count();
}

HRESULT FarlinkModule::CreateProgressSink(const std::shared_ptr<dialogs::ProgressEvents>& events,
                                          ITestProgress** sink) {
    if (!sink) return E_POINTER;
    *sink = nullptr;
    // A COM object of the server: it holds the server lock while anyone,
    // the dialog or a tester, still holds it.
    ComObject<CTestProgress>* object = ComObject<CTestProgress>::CreateInstance();
    if (!object) return E_OUTOFMEMORY;
    object->SetEvents(events);
    object->AddRef();
    *sink = object;
    return S_OK;
}

}  // namespace server
