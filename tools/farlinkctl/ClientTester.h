#pragma once
// The client side of the contract, as the maker's product plays it: a
// connection tester and its connection statuses, with behaviour chosen on the
// command line. Every call the server makes is reported on stdout.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "FarlinkUI.h"

namespace farlinkctl {

struct StatusSpec {
    std::wstring name;
    LONGLONG lastSent = 0;
    LONGLONG lastReceived = 0;
    LONG lastError = 0;
};

struct TesterSpec {
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
    std::vector<StatusSpec> statuses;
};

// Minimal IUnknown/IDispatch for the client's objects: the server calls them
// early-bound through typelib marshaling, so IDispatch is not served.
template <typename Itf>
class ClientObject : public Itf {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, __uuidof(Itf))) {
            *ppv = static_cast<Itf*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

protected:
    virtual ~ClientObject() = default;

private:
    std::atomic<ULONG> refs_{1};
};

class ClientStatus final : public ClientObject<IConnectionStatus> {
public:
    ClientStatus(const std::wstring& tester, const StatusSpec& spec)
        : tester_(tester), spec_(spec) {}
    STDMETHODIMP GetName(BSTR* name) override;
    STDMETHODIMP GetLastMessageSend(LONGLONG* timeT) override;
    STDMETHODIMP GetLastMessageReceived(LONGLONG* timeT) override;
    STDMETHODIMP GetLastError(LONG* hResult) override;

private:
    std::wstring tester_;
    StatusSpec spec_;
};

class ClientTester final : public ClientObject<IConnectionTester> {
public:
    explicit ClientTester(const TesterSpec& spec) : spec_(spec) {}
    STDMETHODIMP GetName(BSTR* name) override;
    STDMETHODIMP GetRemoteAccessAuthorization(VARIANT_BOOL* enable) override;
    STDMETHODIMP StartConnectionTest(ITestProgress* progress) override;
    STDMETHODIMP EnumStatus(VARIANT_BOOL first, IConnectionStatus** status) override;
    STDMETHODIMP GetProductCode(BSTR* productCode) override;

    const TesterSpec& Spec() const { return spec_; }

private:
    static DWORD WINAPI RunTest(void* context);
    void Report(const std::wstring& what);

    TesterSpec spec_;
    size_t nextStatus_ = 0;
};

}  // namespace farlinkctl
