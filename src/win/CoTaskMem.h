#pragma once
// Memory a system call allocated with CoTaskMemAlloc for the caller to free,
// such as the path SHGetKnownFolderPath hands out.
#include <objbase.h>

#include "win/UniqueResource.h"

namespace win {

template <typename T>
struct CoTaskMemTraits {
    using Type = T*;
    static T* InvalidValue() { return nullptr; }
    static void Free(T* memory) { ::CoTaskMemFree(memory); }
};

template <typename T>
using CoTaskMem = UniqueResource<CoTaskMemTraits<T>>;

}  // namespace win
