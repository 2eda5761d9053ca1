#pragma once
// Owners for kernel handles (files, events, threads, processes, tokens) and
// loaded modules.
#include <windows.h>

#include "win/UniqueResource.h"

namespace win {

// Both null and INVALID_HANDLE_VALUE mean "none", since CreateFile and friends
// use the latter while most other calls use the former.
struct HandleTraits {
    using Type = HANDLE;
    static HANDLE InvalidValue() { return nullptr; }
    static HANDLE OtherInvalidValue() { return INVALID_HANDLE_VALUE; }
    static void Free(HANDLE handle) { ::CloseHandle(handle); }
};

class ScopedHandle : public UniqueResource<HandleTraits> {
public:
    using UniqueResource::UniqueResource;
    void Close() { Reset(); }
};

struct LibraryTraits {
    using Type = HMODULE;
    static HMODULE InvalidValue() { return nullptr; }
    static void Free(HMODULE module) { ::FreeLibrary(module); }
};

// A module loaded with LoadLibrary; freed in the destructor.
class ScopedLibrary : public UniqueResource<LibraryTraits> {
public:
    using UniqueResource::UniqueResource;

    // The typed address of an export, or null when it is missing.
    template <typename Fn>
    Fn GetFunction(const char* name) const {
        if (!IsValid()) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(Get(), name)));
    }
};

}  // namespace win
