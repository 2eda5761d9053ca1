#include "detection/IsWow64.h"

#include <windows.h>

namespace sharedfarlink {

bool SystemIsWow64() {
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

}  // namespace sharedfarlink
