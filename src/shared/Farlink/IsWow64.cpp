#include "shared/Farlink/IsWow64.h"

#include <windows.h>

#include <atomic>

namespace sharedfarlink {

namespace {
std::atomic<int> forcedAnswer{-1};
}

bool IsWow64() {
    int forced = forcedAnswer.load();
    if (forced >= 0) return forced != 0;
    BOOL wow64 = FALSE;
    if (!::IsWow64Process(::GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

void OverrideIsWow64ForTesting(int answer) { forcedAnswer.store(answer < 0 ? -1 : (answer != 0 ? 1 : 0)); }

}  // namespace sharedfarlink
