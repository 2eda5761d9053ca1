#include "shared/Farlink/SessionBuffer.h"

#include <cstdint>
#include <cstring>

namespace sharedfarlink {

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

}  // namespace sharedfarlink
