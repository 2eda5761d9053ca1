#include "detection/CitrixSession.h"

#include <windows.h>

#include "detection/SessionBuffer.h"
#include "win/ScopedHandle.h"

namespace sharedfarlink {

namespace {

constexpr int kCitrixSessionClass = 4;

}  // namespace

bool IsCitrixSession() {
    // Search first and bind only what was found. A MinGW delay-import library
    // would instead raise an SEH exception for a missing DLL or export.
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::SearchPathW(nullptr, L"wfapi.dll", nullptr, MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;

    // Loaded from the path the search gave, so the search and the binding agree
    // on the file; its own dependencies then resolve from its folder first.
    win::ScopedLibrary library(::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return QueryVendorSessionFlag(library, {"WFQuerySessionInformationW", "WFFreeMemory",
                                            /*freeRequired=*/true, kCitrixSessionClass});
}

}  // namespace sharedfarlink
