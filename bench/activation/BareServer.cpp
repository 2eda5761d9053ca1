// The yardstick for activation latency: a local server that registers one
// class object and answers GetProcessId, with none of FarlinkUI's start-up
// work (log, dialog thread, installer UI level).
#include <windows.h>

#include "FarlinkUI.h"
#include "BareClsid.h"
#include "com/ComObject.h"

namespace {

DWORD g_mainThread = 0;

class BareObject : public com::NoDispatch<IFarlinkUI> {
public:
    BareObject() { ::CoAddRefServerProcess(); }
    ~BareObject() override {
        if (::CoReleaseServerProcess() == 0) ::PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
    }
    STDMETHODIMP Connect(IConnectionTester*) override { return E_NOTIMPL; }
    STDMETHODIMP GetProcessId(ULONG* pid) override {
        *pid = ::GetCurrentProcessId();
        return S_OK;
    }
    STDMETHODIMP ShowRemoteDesktopDialog(LONGLONG, BSTR) override { return E_NOTIMPL; }
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
        auto* object = com::ComObject<BareObject>::CreateInstance();
        if (!object) return E_OUTOFMEMORY;
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
