#pragma once
// The IDispatch half of a dual interface, driven by the registered type
// library, so late binding works exactly while the library is registered.
#include <windows.h>
#include <oleauto.h>

#include "win/ComPtr.h"
#include "win/ExceptionBarrier.h"

namespace com {

// The type information of `iid` from the registered library `libid`
// (version major.minor), loaded on first use per interface and kept until
// ReleaseTypeInfoCache.
HRESULT GetCachedTypeInfo(REFGUID libid, WORD major, WORD minor, REFIID iid, LCID lcid,
                          ITypeInfo** typeInfo);

// Drops every cached type information; called before COM is uninitialised.
void ReleaseTypeInfoCache();

template <typename Itf, const GUID* Libid, WORD Major = 1, WORD Minor = 0>
class DispatchImpl : public Itf {
public:
    using Interface = Itf;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override {
        if (!typeInfo) return E_POINTER;
        *typeInfo = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return TypeInfo(lcid, typeInfo);
    }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override {
        win::ComPtr<ITypeInfo> info;
        HRESULT hr = TypeInfo(lcid, info.Put());
        if (FAILED(hr)) return hr;
        return info->GetIDsOfNames(names, count, ids);
    }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override {
        win::ComPtr<ITypeInfo> info;
        HRESULT hr = TypeInfo(lcid, info.Put());
        if (FAILED(hr)) return hr;
        return win::ComBarrier([&] {
            return info->Invoke(static_cast<Itf*>(this), id, flags, params, result, excepInfo,
                                argErr);
        });
    }

private:
    static HRESULT TypeInfo(LCID lcid, ITypeInfo** out) {
        return GetCachedTypeInfo(*Libid, Major, Minor, __uuidof(Itf), lcid, out);
    }
};

}  // namespace com
