#include "detection/HorizonSession.h"

#include <windows.h>

#include "detection/SessionBuffer.h"
#include "detection/VendorLibrary.h"
#include "win/ScopedHandle.h"

namespace sharedfarlink {

namespace {

constexpr int kHorizonSessionClass = 29;

}  // namespace

bool IsHorizonSession() {
    win::ScopedLibrary library = LoadVendorLibrary(L"vdp_rdpvcbridge.dll");
    // Some bridges export no free function: the answer still counts.
    return QueryVendorSessionFlag(library, {"VDP_QuerySessionInformationW", "VDP_FreeMemory",
                                            /*freeRequired=*/false, kHorizonSessionClass});
}

}  // namespace sharedfarlink
