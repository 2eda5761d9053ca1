#pragma once
// A move-only registry key that closes itself. The WOW64 view is part of the
// access mask the caller passes, so each call site shows which view it reads.
#include <windows.h>

#include "win/UniqueResource.h"

namespace win {

struct RegKeyTraits {
    using Type = HKEY;
    static HKEY InvalidValue() { return nullptr; }
    static void Free(HKEY key) { ::RegCloseKey(key); }
};

class RegKey : public UniqueResource<RegKeyTraits> {
public:
    using UniqueResource::UniqueResource;

    // Both close what is held first; on failure the key stays empty (the
    // out-parameter is not trusted then).
    LONG Open(HKEY root, const wchar_t* subkey, REGSAM access) {
        Reset();
        HKEY key = nullptr;
        LONG rc = ::RegOpenKeyExW(root, subkey, 0, access, &key);
        if (rc == ERROR_SUCCESS) Reset(key);
        return rc;
    }
    LONG Create(HKEY root, const wchar_t* subkey, REGSAM access) {
        Reset();
        HKEY key = nullptr;
        LONG rc = ::RegCreateKeyExW(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                    nullptr, &key, nullptr);
        if (rc == ERROR_SUCCESS) Reset(key);
        return rc;
    }
    void Close() { Reset(); }
};

}  // namespace win
