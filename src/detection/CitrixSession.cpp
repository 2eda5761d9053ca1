#include "detection/CitrixSession.h"

#include <windows.h>

#include "detection/SessionBuffer.h"
#include "detection/VendorLibrary.h"
#include "win/ScopedHandle.h"

namespace sharedfarlink {

namespace {

constexpr int kCitrixSessionClass = 4;

}  // namespace

bool IsCitrixSession() {
    // Located and bound by its full path, never through a delay-import: a
    // MinGW delay-import library would raise an SEH exception for a missing
    // DLL or export.
    win::ScopedLibrary library = LoadVendorLibrary(L"wfapi.dll");
    if (!library) return false;
    return QueryVendorSessionFlag(library, {"WFQuerySessionInformationW", "WFFreeMemory",
                                            /*freeRequired=*/true, kCitrixSessionClass});
}

}  // namespace sharedfarlink
