#include "ClientTester.h"

#include <memory>

#include "Output.h"
#include "win/ComApartment.h"
#include "win/ComPtr.h"
#include "win/ExceptionBarrier.h"
#include "win/ScopedHandle.h"

namespace farlinkdrive {

namespace {

struct TestRun {
    TesterBehaviour behaviour;
    win::ComPtr<ITestProgress> progress;
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

// Every method reports first, and reporting allocates: each runs behind a barrier.
STDMETHODIMP ClientTester::GetName(BSTR* name) {
    return win::ComBarrier([&] {
        Report(L"GetName");
        if (!name) return E_POINTER;
        *name = nullptr;
        if (behaviour_.nameResult != S_OK) return behaviour_.nameResult;
        *name = ::SysAllocString(behaviour_.name.c_str());
        return S_OK;
    });
}

STDMETHODIMP ClientTester::GetRemoteAccessAuthorization(VARIANT_BOOL* enable) {
    return win::ComBarrier([&] {
        Report(L"GetRemoteAccessAuthorization");
        if (!enable) return E_POINTER;
        *enable = behaviour_.authorization;
        return behaviour_.authorizationResult;
    });
}

STDMETHODIMP ClientTester::StartConnectionTest(ITestProgress* progress) {
    return win::ComBarrier([&] {
        Report(L"StartConnectionTest");
        if (!progress) return E_POINTER;
        if (FAILED(behaviour_.startResult)) return behaviour_.startResult;
        auto run = std::make_unique<TestRun>(
            TestRun{behaviour_, win::ComPtr<ITestProgress>(progress)});
        win::ScopedHandle thread(::CreateThread(nullptr, 0, RunTest, run.get(), 0, nullptr));
        if (!thread) return E_FAIL;
        run.release();  // the thread's now
        return behaviour_.startResult;
    });
}

DWORD WINAPI ClientTester::RunTest(void* context) {
    // The test reports from a thread of its own, as the product's tests do.
    // Declared first, so the progress reference goes before the apartment.
    win::ComApartment apartment;
    std::unique_ptr<TestRun> run(static_cast<TestRun*>(context));
    return win::CallbackBarrier<DWORD>(1, [&]() -> DWORD {
        for (DWORD i = 0; i < run->behaviour.progressCount; ++i) {
            ::Sleep(run->behaviour.progressDelayMs);
            HRESULT hr = run->progress->Progress();
            PrintLine(L"[" + run->behaviour.name + L"] Progress -> " + Hex(hr));
        }
        if (run->behaviour.complete) {
            ::Sleep(run->behaviour.completeDelayMs);
            HRESULT hr = run->progress->Completed(run->behaviour.outcome);
            PrintLine(L"[" + run->behaviour.name + L"] Completed(" +
                      std::to_wstring(run->behaviour.outcome) + L") -> " + Hex(hr));
        }
        return 0;
    });
}

STDMETHODIMP ClientTester::EnumStatus(VARIANT_BOOL first, IConnectionStatus** status) {
    return win::ComBarrier([&] {
        Report(first ? L"EnumStatus(first)" : L"EnumStatus(next)");
        if (!status) return E_POINTER;
        *status = nullptr;
        if (first) nextStatus_ = 0;
        if (nextStatus_ >= behaviour_.statuses.size()) return S_FALSE;
        auto* object =
            com::ComObject<ClientStatus>::CreateInstance(behaviour_.statuses[nextStatus_++]);
        if (!object) return E_OUTOFMEMORY;
        object->AddRef();
        *status = object;
        return S_OK;
    });
}

STDMETHODIMP ClientTester::GetProductCode(BSTR* productCode) {
    return win::ComBarrier([&] {
        Report(L"GetProductCode");
        if (!productCode) return E_POINTER;
        *productCode = nullptr;
        if (behaviour_.productCode.empty()) return S_FALSE;
        *productCode = ::SysAllocString(behaviour_.productCode.c_str());
        return S_OK;
    });
}

}  // namespace farlinkdrive
