#include "shared/Farlink/HorizonSession.h"

#include <windows.h>

#include "shared/Farlink/SessionBuffer.h"
#include "win/CalleeBuffer.h"
#include "win/ScopedHandle.h"

namespace sharedfarlink {

namespace {

// Same arguments as WTSQuerySessionInformationW; non-zero on success.
using VdpQuerySessionInformationWFn = BOOL(WINAPI*)(HANDLE server, DWORD sessionId,
                                                    int infoClass, LPWSTR* buffer,
                                                    DWORD* byteCount);
using VdpFreeMemoryFn = VOID(WINAPI*)(PVOID memory);

constexpr DWORD kCurrentSession = 0xFFFFFFFF;
constexpr int kHorizonSessionClass = 29;

}  // namespace

bool IsHorizonSession() {
    win::ScopedLibrary library(::LoadLibraryW(L"vdp_rdpvcbridge.dll"));
    if (!library) return false;
    auto query =
        library.GetFunction<VdpQuerySessionInformationWFn>("VDP_QuerySessionInformationW");
    if (!query) return false;

    // Some bridges export no free function: the answer still counts and the
    // buffer stays with the library (a null free function leaves it).
    win::CalleeBuffer buffer(library.GetFunction<VdpFreeMemoryFn>("VDP_FreeMemory"));
    if (!query(nullptr, kCurrentSession, kHorizonSessionClass, buffer.Put(), buffer.PutSize()) ||
        !buffer)
        return false;
    int value = 0;
    return BufferToInt(buffer.Data(), buffer.Size(), &value) && value != 0;
}

}  // namespace sharedfarlink
