#include "detection/SessionBuffer.h"

#include <cstdint>
#include <cstring>

#include "win/CalleeBuffer.h"

namespace sharedfarlink {

namespace {

using QuerySessionInformationFn = BOOL(WINAPI*)(HANDLE server, DWORD sessionId, int infoClass,
                                                LPWSTR* buffer, DWORD* byteCount);
using FreeMemoryFn = VOID(WINAPI*)(PVOID memory);

constexpr DWORD kCurrentSession = 0xFFFFFFFF;

}  // namespace

bool BufferToInt(const void* buffer, DWORD byteCount, int* value) {
    if (!buffer) return false;
    // memcpy: the callee promises no alignment.
    switch (byteCount) {
    case 1: {
        std::uint8_t v;
        std::memcpy(&v, buffer, 1);
        *value = v;
        return true;
    }
    case 2: {
        std::uint16_t v;
        std::memcpy(&v, buffer, 2);
        *value = v;
        return true;
    }
    case 4: {
        std::int32_t v;
        std::memcpy(&v, buffer, 4);
        *value = v;
        return true;
    }
    default:
        return false;
    }
}

bool QueryVendorSessionFlag(const win::ScopedLibrary& library, const VendorSessionApi& api) {
    auto query = library.GetFunction<QuerySessionInformationFn>(api.queryExport);
    auto freeMemory = library.GetFunction<FreeMemoryFn>(api.freeExport);
    if (!query || (api.freeRequired && !freeMemory)) return false;

    // A null free function leaves the buffer with the library.
    win::CalleeBuffer buffer(freeMemory);
    if (!query(nullptr, kCurrentSession, api.infoClass, buffer.Put(), buffer.PutSize()) || !buffer)
        return false;
    int value = 0;
    return BufferToInt(buffer.Data(), buffer.Size(), &value) && value != 0;
}

}  // namespace sharedfarlink
