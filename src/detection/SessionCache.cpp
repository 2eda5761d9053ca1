#include "detection/SessionCache.h"

#include <windows.h>

#include <cwchar>

#include "detection/RemoteType.h"
#include "win/RegKey.h"

namespace sharedfarlink {

namespace {

const wchar_t kCacheKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kCacheValue[] = L"Server";

// Every name fits in 20 UTF-16 units; the registry type is not tested.
constexpr DWORD kCacheBytes = 40;

}  // namespace

bool ReadCachedSessionType(int* type) {
    win::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kCacheKey, KEY_READ) != ERROR_SUCCESS) return false;
    wchar_t text[kCacheBytes / sizeof(wchar_t)] = {};
    DWORD bytes = kCacheBytes;
    if (::RegQueryValueExW(key.Get(), kCacheValue, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(text), &bytes) != ERROR_SUCCESS)
        return false;
    // The buffer was zero-filled, so only a value that fills it can lack a terminator.
    if (::wmemchr(text, L'\0', kCacheBytes / sizeof(wchar_t)) == nullptr) return false;
    int parsed = ParseRemoteType(text);
    if (parsed == RemoteTypeNone) return false;
    *type = parsed;
    return true;
}

void StoreCachedSessionType(const wchar_t* name) {
    win::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kCacheKey, KEY_WRITE) != ERROR_SUCCESS) return;
    DWORD bytes = static_cast<DWORD>((std::wcslen(name) + 1) * sizeof(wchar_t));
    ::RegSetValueExW(key.Get(), kCacheValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                     bytes);
}

}  // namespace sharedfarlink
