// The yardstick for activation latency: a local server that registers one
// class object and answers GetProcessId, with none of FarlinkUI's start-up
// work (log, dialog thread, installer UI level).
#include <windows.h>

#include <atomic>

#include "FarlinkUI.h"
#include "BareClsid.h"

namespace {

DWORD g_mainThread = 0;

class BareObject final : public IFarlinkUI {
public:
    BareObject() { ::CoAddRefServerProcess(); }
    ~BareObject() {
        if (::CoReleaseServerProcess() == 0) ::PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IFarlinkUI)) {
            *ppv = static_cast<IFarlinkUI*>(this);
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
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Connect(IConnectionTester*) override { return E_NOTIMPL; }
    STDMETHODIMP GetProcessId(ULONG* pid) override {
        *pid = ::GetCurrentProcessId();
        return S_OK;
    }
    STDMETHODIMP ShowRemoteDesktopDialog(LONGLONG, BSTR) override { return E_NOTIMPL; }

private:
    std::atomic<ULONG> refs_{0};
};

class BareFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        BareObject* object = new BareObject();
        object->AddRef();
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

BareFactory g_factory;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    g_mainThread = ::GetCurrentThreadId();
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DWORD cookie = 0;
    HRESULT hr = ::CoRegisterClassObject(CLSID_BareServer, &g_factory, CLSCTX_LOCAL_SERVER,
                                         REGCLS_MULTIPLEUSE, &cookie);
    if (SUCCEEDED(hr)) {
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        ::CoRevokeClassObject(cookie);
    }
    ::CoUninitialize();
    return hr;
}
