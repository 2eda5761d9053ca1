#include "server/Registration.h"

#include <string>
#include <vector>

#include "com/RegistryScript.h"
#include "com/TypeLibrary.h"
#include "win/Trace.h"

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

HRESULT RegisterServerOnce(HMODULE module, bool perUser) {
    HRESULT hr = RunScript(module, kAppIdScript, com::ScriptMode::Register, perUser);
    if (FAILED(hr)) return hr;
    for (UINT id : kClassScripts) {
        hr = RunScript(module, id, com::ScriptMode::Register, perUser);
        if (FAILED(hr)) return hr;
    }
    return com::RegisterTypeLibrary(ModulePath(module).c_str(), perUser);
}

// With `keepGoing` every step runs (undoing a part-done registration, where
// the later steps may find nothing to remove); the first failure is returned.
HRESULT Unregister(HMODULE module, bool perUser, bool keepGoing) {
    HRESULT first = S_OK;
    auto step = [&](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
        return SUCCEEDED(first) || keepGoing;
    };
    for (UINT id : kClassScripts) {
        if (!step(RunScript(module, id, com::ScriptMode::Unregister, perUser))) return first;
    }
    if (!step(com::UnregisterTypeLibrary(ModulePath(module).c_str(), perUser))) return first;
    step(RunScript(module, kAppIdScript, com::ScriptMode::Unregister, perUser));
    return first;
}

}  // namespace

// The AppID goes first and leaves last, around the classes that name it. A
// registration that fails halfway is undone by the unregister pass, as the
// platform's registrar does: no class key may name a server that is not
// fully registered.
HRESULT RegisterServer(HMODULE module, bool perUser) {
    HRESULT hr = RegisterServerOnce(module, perUser);
    if (FAILED(hr)) {
        win::Trace(L"server", L"registration, undone", hr);
        Unregister(module, perUser, true);
    }
    return hr;
}

HRESULT UnregisterServer(HMODULE module, bool perUser) { return Unregister(module, perUser, false); }

}  // namespace server
