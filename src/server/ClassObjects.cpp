#include "server/ClassObjects.h"

#include "win/Trace.h"

namespace server {

HRESULT ClassObjects::Register() {
    // TestProgress first, as registration also orders it.
    const struct {
        const CLSID* clsid;
        IClassFactory* factory;
    } classes[] = {{&CLSID_TestProgress, &testProgress_}, {&CLSID_FarlinkUI, &farlinkUI_}};
    static_assert(ARRAYSIZE(classes) == ARRAYSIZE(cookies_), "one cookie per class");
    for (size_t i = 0; i < ARRAYSIZE(classes); ++i) {
        HRESULT hr = ::CoRegisterClassObject(*classes[i].clsid, classes[i].factory,
                                             CLSCTX_LOCAL_SERVER,
                                             REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookies_[i]);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT ClassObjects::Revoke() {
    for (DWORD& cookie : cookies_) {
        if (cookie == 0) continue;
        HRESULT hr = ::CoRevokeClassObject(cookie);
        if (FAILED(hr)) {
            win::Trace(L"server", L"CoRevokeClassObject", hr);
            return hr;
        }
        cookie = 0;
    }
    return S_OK;
}

}  // namespace server
