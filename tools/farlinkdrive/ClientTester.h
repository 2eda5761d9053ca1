#pragma once
// The client side of the contract, as the maker's product plays it: a
// connection tester and its connection statuses, with behaviour chosen on the
// command line. Every call the server makes is reported on stdout.
#include <windows.h>

#include <string>
#include <vector>

#include "FarlinkUI.h"
#include "com/ComObject.h"

namespace farlinkdrive {

struct StatusBehaviour {
    std::wstring name;
    LONGLONG lastSent = 0;
    LONGLONG lastReceived = 0;
    LONG lastError = 0;
};

struct TesterBehaviour {
    std::wstring name = L"Tester";
    HRESULT nameResult = S_OK;           // what GetName answers
    HRESULT authorizationResult = S_OK;  // what GetRemoteAccessAuthorization answers
    VARIANT_BOOL authorization = VARIANT_TRUE;
    std::wstring productCode;            // empty: GetProductCode answers S_FALSE
    HRESULT startResult = S_OK;          // StartConnectionTest's answer
    DWORD progressCount = 1;             // Progress calls before Completed
    DWORD progressDelayMs = 0;           // before each Progress
    DWORD completeDelayMs = 0;           // before Completed
    bool complete = true;                // false: never calls Completed
    OverallConnectionStatus outcome = OCS_Connected;
    std::vector<StatusBehaviour> statuses;
};

// The client's objects are called early-bound only (typelib marshaling), so
// their IDispatch half refuses late binding. Instantiated as com::ComObject.
class ClientStatus : public com::NoDispatch<IConnectionStatus> {
public:
    explicit ClientStatus(const StatusBehaviour& behaviour) : behaviour_(behaviour) {}
    STDMETHODIMP GetName(BSTR* name) override;
    STDMETHODIMP GetLastMessageSend(LONGLONG* timeT) override;
    STDMETHODIMP GetLastMessageReceived(LONGLONG* timeT) override;
    STDMETHODIMP GetLastError(LONG* hResult) override;

private:
    StatusBehaviour behaviour_;
};

class ClientTester : public com::NoDispatch<IConnectionTester> {
public:
    explicit ClientTester(const TesterBehaviour& behaviour) : behaviour_(behaviour) {}
    STDMETHODIMP GetName(BSTR* name) override;
    STDMETHODIMP GetRemoteAccessAuthorization(VARIANT_BOOL* enable) override;
    STDMETHODIMP StartConnectionTest(ITestProgress* progress) override;
    STDMETHODIMP EnumStatus(VARIANT_BOOL first, IConnectionStatus** status) override;
    STDMETHODIMP GetProductCode(BSTR* productCode) override;

    const TesterBehaviour& Behaviour() const { return behaviour_; }

private:
    static DWORD WINAPI RunTest(void* context);
    void Report(const std::wstring& what);

    TesterBehaviour behaviour_;
    size_t nextStatus_ = 0;
};

}  // namespace farlinkdrive
