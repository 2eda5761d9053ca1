#include "com/TypeLibrary.h"

#include <oleauto.h>

#include <string>

#include "win/Bstr.h"
#include "win/ComPtr.h"

namespace com {

namespace {

// mingw-w64 does not declare the per-user calls, and older systems lack
// them: bind at run time and fall back to the machine-wide ones.
using RegisterForUserFn = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUserFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

template <typename Fn>
Fn OleAutFunction(const char* name) {
    HMODULE oleaut = ::GetModuleHandleW(L"OLEAUT32.DLL");
    return oleaut ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(oleaut, name)))
                  : nullptr;
}

}  // namespace

HRESULT RegisterTypeLibrary(const wchar_t* modulePath, bool perUser) {
    win::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadTypeLib(modulePath, library.Put());
    if (FAILED(hr)) return hr;

    std::wstring path = modulePath;
    std::wstring helpDir;
    win::Bstr helpFile;
    if (SUCCEEDED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.Put())) &&
        !helpFile.IsNull()) {
        helpDir = helpFile.ToString();
        size_t cut = helpDir.find_last_of(L"\\/:");
        helpDir = cut == std::wstring::npos ? std::wstring() : helpDir.substr(0, cut + 1);
    }
    OLECHAR* help = helpDir.empty() ? nullptr : &helpDir[0];

    if (perUser) {
        if (auto forUser = OleAutFunction<RegisterForUserFn>("RegisterTypeLibForUser"))
            return forUser(library.Get(), &path[0], help);
    }
    return ::RegisterTypeLib(library.Get(), &path[0], help);
}

HRESULT UnregisterTypeLibrary(const wchar_t* modulePath, bool perUser) {
    win::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadTypeLib(modulePath, library.Put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = library->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    const TLIBATTR copy = *attr;
    library->ReleaseTLibAttr(attr);

    if (perUser) {
        if (auto forUser = OleAutFunction<UnregisterForUserFn>("UnRegisterTypeLibForUser"))
            return forUser(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                           copy.syskind);
    }
    return ::UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid,
                               copy.syskind);
}

}  // namespace com
