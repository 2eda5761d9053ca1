#include "server/Registration.h"

#include <string>
#include <vector>

#include "com/RegistryScript.h"
#include "com/TypeLibrary.h"

namespace server {

namespace {

const wchar_t kAppIdString[] = L"{0F8A4C36-B21D-4E57-9C03-D5A76E1B2F48}";

// In class-table order.
const UINT kClassScripts[] = {kTestProgressScript, kFarlinkUIScript};

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, n);
}

std::vector<com::ScriptReplacement> Replacements(HMODULE module) {
    std::wstring raw = ModulePath(module);
    // COM splits LocalServer32 at the first blank unless the path is quoted.
    std::wstring quoted = raw.find(L' ') == std::wstring::npos ? raw : L"\"" + raw + L"\"";
    return {{L"MODULE", quoted}, {L"MODULE_RAW", raw}, {L"APPID", kAppIdString}};
}

HRESULT RunScript(HMODULE module, UINT id, com::ScriptMode mode, bool perUser) {
    std::wstring script;
    HRESULT hr = com::LoadRegistryScript(module, id, &script);
    if (FAILED(hr)) return hr;
    return com::RunRegistryScript(script, Replacements(module), mode, perUser);
}

}  // namespace

// The AppID goes first and leaves last, around the classes that name it.
HRESULT RegisterServer(HMODULE module, bool perUser) {
    HRESULT hr = RunScript(module, kAppIdScript, com::ScriptMode::Register, perUser);
    if (FAILED(hr)) return hr;
    for (UINT id : kClassScripts) {
        hr = RunScript(module, id, com::ScriptMode::Register, perUser);
        if (FAILED(hr)) return hr;
    }
    return com::RegisterTypeLibrary(ModulePath(module).c_str(), perUser);
}

HRESULT UnregisterServer(HMODULE module, bool perUser) {
    for (UINT id : kClassScripts) {
        HRESULT hr = RunScript(module, id, com::ScriptMode::Unregister, perUser);
        if (FAILED(hr)) return hr;
    }
    HRESULT hr = com::UnregisterTypeLibrary(ModulePath(module).c_str(), perUser);
    if (FAILED(hr)) return hr;
    return RunScript(module, kAppIdScript, com::ScriptMode::Unregister, perUser);
}

}  // namespace server
