#include "shared/Farlink/CitrixSession.h"

#include <windows.h>

#include "shared/Farlink/SessionBuffer.h"
#include "win/CalleeBuffer.h"
#include "win/ScopedHandle.h"

namespace sharedfarlink {

namespace {

using WFQuerySessionInformationWFn = BOOL(WINAPI*)(HANDLE server, DWORD sessionId,
                                                   int infoClass, LPWSTR* buffer,
                                                   DWORD* byteCount);
using WFFreeMemoryFn = VOID(WINAPI*)(PVOID memory);

constexpr DWORD kCurrentSession = 0xFFFFFFFF;
constexpr int kCitrixSessionClass = 4;

}  // namespace

bool IsCitrixSession() {
    // Search first and bind only what was found. A MinGW delay-import library
    // would instead raise an SEH exception for a missing DLL or export.
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::SearchPathW(nullptr, L"wfapi.dll", nullptr, MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;

    // Loaded from the path the search gave, so the search and the binding agree
    // on the file; its own dependencies then resolve from its folder first. The
    // library outlives the buffer it allocates (declared first).
    win::ScopedLibrary library(::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    auto query = library.GetFunction<WFQuerySessionInformationWFn>("WFQuerySessionInformationW");
    auto freeMemory = library.GetFunction<WFFreeMemoryFn>("WFFreeMemory");
    // Without its free function the library's buffer could not go back to it.
    if (!query || !freeMemory) return false;

    win::CalleeBuffer buffer(freeMemory);
    if (!query(nullptr, kCurrentSession, kCitrixSessionClass, buffer.Put(), buffer.PutSize()) ||
        !buffer)
        return false;
    int value = 0;
    return BufferToInt(buffer.Data(), buffer.Size(), &value) && value != 0;
}

}  // namespace sharedfarlink
