#pragma once
// A buffer that a called library allocated and hands back through its own free
// function: each allocator must get its own memory back, so the owner carries
// the matching free function. A null function pointer leaves the buffer to the
// library (some libraries export no way to free it).
#include <windows.h>

#include <type_traits>
#include <utility>

#include "win/UniqueResource.h"

namespace win {

template <typename FreeFn>
struct CalleeFreeTraits {
    using Type = LPWSTR;
    static LPWSTR InvalidValue() { return nullptr; }
    void Free(LPWSTR data) {
        if constexpr (std::is_pointer_v<FreeFn>) {
            if (!free) return;
        }
        free(data);
    }
    FreeFn free;
};

template <typename FreeFn>
class CalleeBuffer : public UniqueResource<CalleeFreeTraits<FreeFn>> {
    using Base = UniqueResource<CalleeFreeTraits<FreeFn>>;

public:
    explicit CalleeBuffer(FreeFn freeFn)
        : Base(nullptr, CalleeFreeTraits<FreeFn>{std::move(freeFn)}) {}

    // Out-parameters of the query; the buffer pointer is null before each call.
    LPWSTR* Put() {
        Reset();
        return Base::Put();
    }
    DWORD* PutSize() { return &size_; }

    const void* Data() const { return this->Get(); }
    DWORD Size() const { return size_; }

    void Reset() {
        Base::Reset();
        size_ = 0;
    }

private:
    DWORD size_ = 0;
};

}  // namespace win
