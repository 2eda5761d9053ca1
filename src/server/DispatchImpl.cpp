#include "server/DispatchImpl.h"

#include "FarlinkUI.h"

namespace server {

namespace {

struct CachedTypeInfo {
    IID iid;
    ITypeInfo* info;
};

// Two dual interfaces are served; a few spare slots cost nothing.
constexpr int kCacheSize = 4;
CachedTypeInfo g_cache[kCacheSize] = {};
int g_cached = 0;
SRWLOCK g_cacheLock = SRWLOCK_INIT;

HRESULT LoadTypeInfo(REFIID iid, LCID lcid, ITypeInfo** out) {
    win::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadRegTypeLib(LIBID_FarlinkUILib, 1, 0, lcid, library.Put());
    if (FAILED(hr)) return hr;
    win::ComPtr<ITypeInfo> info;
    hr = library->GetTypeInfoOfGuid(iid, info.Put());
    if (FAILED(hr)) return hr;
    // A dual interface's GUID names its dispatch description; Invoke wants the
    // vtable description behind it so calls go through our own methods.
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
        bool isDispatch = attr->typekind == TKIND_DISPATCH;
        info->ReleaseTypeAttr(attr);
        if (isDispatch) {
            HREFTYPE ref = 0;
            win::ComPtr<ITypeInfo> vtable;
            if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
                SUCCEEDED(info->GetRefTypeInfo(ref, vtable.Put())))
                info = vtable;
        }
    }
    *out = info.Detach();
    return S_OK;
}

}  // namespace

HRESULT GetCachedTypeInfo(REFIID iid, LCID lcid, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    ::AcquireSRWLockExclusive(&g_cacheLock);
    HRESULT hr = S_OK;
    ITypeInfo* found = nullptr;
    for (int i = 0; i < g_cached; ++i) {
        if (IsEqualIID(g_cache[i].iid, iid)) found = g_cache[i].info;
    }
    if (found) {
        found->AddRef();
        *typeInfo = found;
    } else {
        hr = LoadTypeInfo(iid, lcid, typeInfo);
        if (SUCCEEDED(hr) && g_cached < kCacheSize) {
            (*typeInfo)->AddRef();
            g_cache[g_cached++] = {iid, *typeInfo};
        }
    }
    ::ReleaseSRWLockExclusive(&g_cacheLock);
    return hr;
}

void ReleaseTypeInfoCache() {
    ::AcquireSRWLockExclusive(&g_cacheLock);
    for (int i = 0; i < g_cached; ++i) g_cache[i].info->Release();
    g_cached = 0;
    ::ReleaseSRWLockExclusive(&g_cacheLock);
}

}  // namespace server
