#include "ClientTester.h"

#include "Output.h"
#include "win/ComPtr.h"

namespace farlinkctl {

namespace {

struct TestRun {
    TesterBehaviour behaviour;
    ITestProgress* progress;  // one reference, released by the run
};

}  // namespace

STDMETHODIMP ClientStatus::GetName(BSTR* name) {
    if (!name) return E_POINTER;
    *name = ::SysAllocString(behaviour_.name.c_str());
    return S_OK;
}

STDMETHODIMP ClientStatus::GetLastMessageSend(LONGLONG* timeT) {
    if (!timeT) return E_POINTER;
    *timeT = behaviour_.lastSent;
    return S_OK;
}

STDMETHODIMP ClientStatus::GetLastMessageReceived(LONGLONG* timeT) {
    if (!timeT) return E_POINTER;
    *timeT = behaviour_.lastReceived;
    return S_OK;
}

STDMETHODIMP ClientStatus::GetLastError(LONG* hResult) {
    if (!hResult) return E_POINTER;
    *hResult = behaviour_.lastError;
    return S_OK;
}

void ClientTester::Report(const std::wstring& what) { PrintLine(L"[" + behaviour_.name + L"] " + what); }

STDMETHODIMP ClientTester::GetName(BSTR* name) {
    Report(L"GetName");
    if (!name) return E_POINTER;
    *name = nullptr;
    if (behaviour_.nameResult != S_OK) return behaviour_.nameResult;
    *name = ::SysAllocString(behaviour_.name.c_str());
    return S_OK;
}

STDMETHODIMP ClientTester::GetRemoteAccessAuthorization(VARIANT_BOOL* enable) {
    Report(L"GetRemoteAccessAuthorization");
    if (!enable) return E_POINTER;
    *enable = behaviour_.authorization;
    return behaviour_.authorizationResult;
}

STDMETHODIMP ClientTester::StartConnectionTest(ITestProgress* progress) {
    Report(L"StartConnectionTest");
    if (!progress) return E_POINTER;
    if (FAILED(behaviour_.startResult)) return behaviour_.startResult;
    auto* run = new (std::nothrow) TestRun{behaviour_, progress};
    if (!run) return E_OUTOFMEMORY;
    progress->AddRef();
    HANDLE thread = ::CreateThread(nullptr, 0, RunTest, run, 0, nullptr);
    if (!thread) {
        progress->Release();
        delete run;
        return E_FAIL;
    }
    ::CloseHandle(thread);
    return behaviour_.startResult;
}

DWORD WINAPI ClientTester::RunTest(void* context) {
    TestRun* run = static_cast<TestRun*>(context);
    // The test reports from a thread of its own, as the product's tests do.
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (DWORD i = 0; i < run->behaviour.progressCount; ++i) {
        ::Sleep(run->behaviour.progressDelayMs);
        HRESULT hr = run->progress->Progress();
        PrintLine(L"[" + run->behaviour.name + L"] Progress -> " + Hex(hr));
    }
    if (run->behaviour.complete) {
        ::Sleep(run->behaviour.completeDelayMs);
        HRESULT hr = run->progress->Completed(run->behaviour.outcome);
        PrintLine(L"[" + run->behaviour.name + L"] Completed(" + std::to_wstring(run->behaviour.outcome) +
                  L") -> " + Hex(hr));
    }
    run->progress->Release();
    delete run;
    ::CoUninitialize();
    return 0;
}

STDMETHODIMP ClientTester::EnumStatus(VARIANT_BOOL first, IConnectionStatus** status) {
    Report(first ? L"EnumStatus(first)" : L"EnumStatus(next)");
    if (!status) return E_POINTER;
    *status = nullptr;
    if (first) nextStatus_ = 0;
    if (nextStatus_ >= behaviour_.statuses.size()) return S_FALSE;
    auto* object = com::ComObject<ClientStatus>::CreateInstance(behaviour_.name,
                                                                behaviour_.statuses[nextStatus_++]);
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    *status = object;
    return S_OK;
}

STDMETHODIMP ClientTester::GetProductCode(BSTR* productCode) {
    Report(L"GetProductCode");
    if (!productCode) return E_POINTER;
    *productCode = nullptr;
    if (behaviour_.productCode.empty()) return S_FALSE;
    *productCode = ::SysAllocString(behaviour_.productCode.c_str());
    return S_OK;
}

}  // namespace farlinkctl
