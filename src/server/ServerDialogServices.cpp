#include "server/ServerDialogServices.h"

#include "server/CTestProgress.h"

namespace server {

void ServerDialogServices::AddTester(IConnectionTester* tester) {
    win::AutoLock lock(lock_);
    testers_.Add(tester);
}

void ServerDialogServices::ClearTesters() {
    win::AutoLock lock(lock_);
    testers_.Clear();
}

bool ServerDialogServices::FindFirstTester(win::ComPtr<IConnectionTester>* tester) {
    win::AutoLock lock(lock_);
    return testers_.FindFirst(tester);
}

bool ServerDialogServices::FindNextTester(win::ComPtr<IConnectionTester>* tester) {
    win::AutoLock lock(lock_);
    return testers_.FindNext(tester);
}

std::wstring ServerDialogServices::QueryProductCode() {
    win::AutoLock lock(lock_);
    return testers_.QueryProductCode();
}

size_t ServerDialogServices::TesterCount() {
    win::AutoLock lock(lock_);
    return testers_.Count();
}

HRESULT ServerDialogServices::CreateProgressSink(
    const std::shared_ptr<dialogs::ProgressEvents>& events, ITestProgress** sink) {
    if (!sink) return E_POINTER;
    *sink = nullptr;
    // A COM object of the server: it holds the server lock while anyone,
    // the dialog or a tester, still holds it.
    auto* object = com::ComObject<CTestProgress>::CreateInstance(serverLock_);
    if (!object) return E_OUTOFMEMORY;
    object->SetEvents(events);
    object->AddRef();
    *sink = object;
    return S_OK;
}

}  // namespace server
