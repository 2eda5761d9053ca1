#include "server/ClassObjects.h"

#include "com/ClassFactory.h"
#include "server/CFarlinkUI.h"
#include "server/CTestProgress.h"

namespace server {

namespace {

com::ClassFactory<CTestProgress> g_testProgressFactory;
com::ClassFactory<CFarlinkUI> g_farlinkUIFactory;

struct ClassEntry {
    const CLSID* clsid;
    IClassFactory* factory;
};

// TestProgress first, as registration also orders it.
const ClassEntry kClasses[] = {
    {&CLSID_TestProgress, &g_testProgressFactory},
    {&CLSID_FarlinkUI, &g_farlinkUIFactory},
};
static_assert(ARRAYSIZE(kClasses) == 2, "one cookie per class");

}  // namespace

HRESULT ClassObjects::Register() {
    for (size_t i = 0; i < ARRAYSIZE(kClasses); ++i) {
        HRESULT hr = ::CoRegisterClassObject(*kClasses[i].clsid, kClasses[i].factory,
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
        if (FAILED(hr)) return hr;
        cookie = 0;
    }
    return S_OK;
}

}  // namespace server
