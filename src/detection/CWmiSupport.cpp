#include "detection/CWmiSupport.h"

namespace sharedfarlink {

namespace {

// WbemAdministrativeLocator.
const CLSID kWbemAdministrativeLocator = {
    0xCB8555CC, 0x9128, 0x11D1, {0xAD, 0x9B, 0x00, 0xC0, 0x4F, 0xD8, 0xFD, 0xFF}};

}  // namespace

CWmiSupport::CWmiSupport() = default;

CWmiSupport::~CWmiSupport() { Disconnect(); }

HRESULT CWmiSupport::Connect(win::Bstr nameSpace) {
    HRESULT hr = ::CoCreateInstance(kWbemAdministrativeLocator, nullptr, CLSCTX_ALL,
                                    IID_IWbemLocator, locator.PutVoid());
    if (FAILED(hr)) return hr;
    hr = locator->ConnectServer(nameSpace.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                services.Put());
    if (FAILED(hr)) return hr;
    return ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                               RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                               EOAC_NONE);
}

HRESULT CWmiSupport::QueryProperty(const win::Bstr& query, const wchar_t* property,
                                   VARIANT* out) {
    if (!services) return E_POINTER;
    win::Bstr language(L"WQL");
    if (language.IsNull()) return E_OUTOFMEMORY;
    win::ComPtr<IEnumWbemClassObject> objects;
    HRESULT hr = services->ExecQuery(language.Get(), query.Get(),
                                     WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                     nullptr, objects.Put());
    if (FAILED(hr)) return hr;
    for (;;) {
        win::ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        if (FAILED(objects->Next(static_cast<LONG>(WBEM_INFINITE), 1, object.Put(), &returned)) ||
            returned == 0)
            break;
        if (SUCCEEDED(object->Get(property, 0, out, nullptr, nullptr))) break;
    }
    return S_OK;
}

void CWmiSupport::Disconnect() {
    services.Reset();
    locator.Reset();
}

}  // namespace sharedfarlink
