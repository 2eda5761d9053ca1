#pragma once
// Session-information queries (terminal services, Citrix, VMware) all hand back
// a callee-allocated buffer and its byte count; one rule turns it into a number.
#include <windows.h>

namespace sharedfarlink {

// Reads a 1-byte or 2-byte unsigned number or a 4-byte number from `buffer`
// into `*value`. Any other size, or a null buffer, is no value: false, and
// `*value` is left alone.
bool BufferToInt(const void* buffer, DWORD byteCount, int* value);

}  // namespace sharedfarlink
