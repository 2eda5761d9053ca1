#include "server/Registration.h"

#include <oleauto.h>

#include <string>
#include <vector>

#include "win/ComPtr.h"
#include "win/ScopedHandle.h"

namespace server {

const wchar_t kAppIdString[] = L"{0F8A4C36-B21D-4E57-9C03-D5A76E1B2F48}";

namespace {

bool g_perUser = false;

// In class-table order.
const UINT kClassScripts[] = {kTestProgressScript, kFarlinkUIScript};

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, n);
}

std::vector<ScriptReplacement> Replacements(HMODULE module) {
    std::wstring raw = ModulePath(module);
    // COM splits LocalServer32 at the first blank unless the path is quoted.
    std::wstring quoted = raw.find(L' ') == std::wstring::npos ? raw : L"\"" + raw + L"\"";
    return {{L"MODULE", quoted}, {L"MODULE_RAW", raw}, {L"APPID", kAppIdString}};
}

HRESULT RunScript(HMODULE module, UINT id, ScriptMode mode) {
    std::wstring script;
    HRESULT hr = LoadRegistryScript(module, id, &script);
    if (FAILED(hr)) return hr;
    return RunRegistryScript(script, Replacements(module), mode, g_perUser);
}

// mingw-w64 does not declare the per-user calls, and older systems lack
// them: bind at run time and fall back to the machine-wide ones.
using RegisterForUserFn = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnregisterForUserFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

FARPROC OleAutFunction(const char* name) {
    HMODULE oleaut = ::GetModuleHandleW(L"OLEAUT32.DLL");
    return oleaut ? ::GetProcAddress(oleaut, name) : nullptr;
}

}  // namespace

void SetPerUserRegistration(bool perUser) { g_perUser = perUser; }
bool IsPerUserRegistration() { return g_perUser; }

HRESULT RegisterServer(HMODULE module) {
    for (UINT id : kClassScripts) {
        HRESULT hr = RunScript(module, id, ScriptMode::Register);
        if (FAILED(hr)) return hr;
    }
    return RegisterTypeLibrary(ModulePath(module).c_str());
}

HRESULT UnregisterServer(HMODULE module) {
    for (UINT id : kClassScripts) {
        HRESULT hr = RunScript(module, id, ScriptMode::Unregister);
        if (FAILED(hr)) return hr;
    }
    return UnregisterTypeLibrary(ModulePath(module).c_str());
}

HRESULT RunAppIdScript(HMODULE module, ScriptMode mode) {
    return RunScript(module, kAppIdScript, mode);
}

HRESULT RegisterTypeLibrary(const wchar_t* modulePath) {
    win::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadTypeLib(modulePath, library.Put());
    if (FAILED(hr)) return hr;

    std::wstring path = modulePath;
    std::wstring helpDir;
    BSTR helpFile = nullptr;
    if (SUCCEEDED(library->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile)) &&
        helpFile) {
        helpDir = helpFile;
        size_t cut = helpDir.find_last_of(L"\\/:");
        helpDir = cut == std::wstring::npos ? std::wstring() : helpDir.substr(0, cut + 1);
    }
    ::SysFreeString(helpFile);
    OLECHAR* help = helpDir.empty() ? nullptr : &helpDir[0];

    if (g_perUser) {
        if (auto forUser = reinterpret_cast<RegisterForUserFn>(
                reinterpret_cast<void*>(OleAutFunction("RegisterTypeLibForUser"))))
            return forUser(library.Get(), &path[0], help);
    }
    return ::RegisterTypeLib(library.Get(), &path[0], help);
}

HRESULT UnregisterTypeLibrary(const wchar_t* modulePath) {
    win::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadTypeLib(modulePath, library.Put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = library->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    GUID libid = attr->guid;
    LCID lcid = attr->lcid;
    SYSKIND syskind = attr->syskind;
    library->ReleaseTLibAttr(attr);

    if (g_perUser) {
        if (auto forUser = reinterpret_cast<UnregisterForUserFn>(
                reinterpret_cast<void*>(OleAutFunction("UnRegisterTypeLibForUser"))))
            return forUser(libid, 1, 0, lcid, syskind);
    }
    return ::UnRegisterTypeLib(libid, 1, 0, lcid, syskind);
}

}  // namespace server
