#include "detection/ModuleSearch.h"

#include <psapi.h>

#include <cwchar>
#include <memory>

namespace sharedfarlink {

namespace {

// Fixed limits: the buffer is never enlarged.
constexpr DWORD kMaxModules = 1024;
constexpr DWORD kNameUnits = MAX_PATH;

}  // namespace

bool FindModule(HANDLE process, const wchar_t* dllName) {
    std::unique_ptr<HMODULE[]> modules(new HMODULE[kMaxModules]);
    DWORD bytes = 0;
    // LIST_MODULES_ALL: a 64-bit caller sees the 32-bit modules of a WOW64
    // client as well.
    if (!::EnumProcessModulesEx(process, modules.get(), kMaxModules * sizeof(HMODULE), &bytes,
                                LIST_MODULES_ALL))
        return false;
    DWORD count = bytes / sizeof(HMODULE);
    if (count > kMaxModules) count = kMaxModules;  // more may be reported than fit
    for (DWORD i = 0; i < count; ++i) {
        wchar_t name[kNameUnits] = {};
        if (!::GetModuleBaseNameW(process, modules[i], name, kNameUnits)) continue;
        if (::_wcsicmp(name, dllName) == 0) return true;
    }
    return false;
}

}  // namespace sharedfarlink
