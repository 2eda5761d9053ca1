#pragma once
// Session-information queries (terminal services, Citrix, VMware) all hand back
// a callee-allocated buffer and its byte count; one rule turns it into a number.
#include <windows.h>

#include "win/ScopedHandle.h"

namespace sharedfarlink {

// Reads a 1-byte or 2-byte unsigned number or a 4-byte number from `buffer`
// into `*value`. Any other size, or a null buffer, is no value: false, and
// `*value` is left alone.
bool BufferToInt(const void* buffer, DWORD byteCount, int* value);

// A vendor library's copy of WTSQuerySessionInformationW and its free function.
struct VendorSessionApi {
    const char* queryExport;
    const char* freeExport;
    // Without its free function the library's buffer could not go back to it;
    // some libraries export none, and their answer still counts.
    bool freeRequired;
    int infoClass;
};

// Whether the vendor's query for the current session answers a non-zero
// number. A missing export or a failed query finds nothing.
bool QueryVendorSessionFlag(const win::ScopedLibrary& library, const VendorSessionApi& api);

}  // namespace sharedfarlink
