#include "com/DispatchImpl.h"

#include "win/Lock.h"

namespace com {

namespace {

struct CachedTypeInfo {
    IID iid;
    win::ComPtr<ITypeInfo> info;
};

// A server has a handful of dual interfaces; the slots are fixed so the
// cache never allocates.
constexpr int kCacheSize = 4;
CachedTypeInfo g_cache[kCacheSize];
int g_cached = 0;
win::Lock g_cacheLock;

HRESULT LoadTypeInfo(REFGUID libid, WORD major, WORD minor, REFIID iid, LCID lcid,
                     win::ComPtr<ITypeInfo>* out) {
    win::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadRegTypeLib(libid, major, minor, lcid, library.Put());
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
    *out = std::move(info);
    return S_OK;
}

}  // namespace

HRESULT GetCachedTypeInfo(REFGUID libid, WORD major, WORD minor, REFIID iid, LCID lcid,
                          ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    win::AutoLock lock(g_cacheLock);
    for (int i = 0; i < g_cached; ++i) {
        if (IsEqualIID(g_cache[i].iid, iid)) {
            *typeInfo = win::ComPtr<ITypeInfo>(g_cache[i].info).Detach();
            return S_OK;
        }
    }
    win::ComPtr<ITypeInfo> info;
    HRESULT hr = LoadTypeInfo(libid, major, minor, iid, lcid, &info);
    if (FAILED(hr)) return hr;
    if (g_cached < kCacheSize) g_cache[g_cached++] = {iid, info};
    *typeInfo = info.Detach();
    return S_OK;
}

void ReleaseTypeInfoCache() {
    win::AutoLock lock(g_cacheLock);
    for (int i = 0; i < g_cached; ++i) g_cache[i].info.Reset();
    g_cached = 0;
}

}  // namespace com
