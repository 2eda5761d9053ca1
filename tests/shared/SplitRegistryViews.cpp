#include "shared/SplitRegistryViews.h"

#include <windows.h>

#include "win/RegKey.h"

namespace detection_tests {

bool SplitRegistryViews() {
    win::RegKey node;
    if (node.Create(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node", KEY_READ) != ERROR_SUCCESS)
        return false;
    const wchar_t probe[] = L"Software\\FarlinkViewProbe";
    win::RegKey written;
    if (written.Create(HKEY_LOCAL_MACHINE, probe, KEY_READ | KEY_WOW64_32KEY) != ERROR_SUCCESS)
        return false;
    written.Close();
    win::RegKey seen;
    bool split = seen.Open(HKEY_LOCAL_MACHINE, probe, KEY_READ) != ERROR_SUCCESS;
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, probe, KEY_WOW64_32KEY, 0);
    return split;
}

}  // namespace detection_tests
