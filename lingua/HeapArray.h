#pragma once
// Storage for the library without the C++ runtime's containers: they report a
// failed allocation by throwing, and bring their explicit instantiations and
// the unwinder into the image. Here a failed allocation is a false return.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "win/UniqueResource.h"

namespace lingua {

struct HeapTraits {
    using Type = void*;
    static void* InvalidValue() { return nullptr; }
    static void Free(void* block) { ::HeapFree(::GetProcessHeap(), 0, block); }
};
using HeapBlock = win::UniqueResource<HeapTraits>;

// An owned array of plain values on the process heap, zeroed when made.
template <typename T>
class HeapArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "elements are never constructed or destroyed");

public:
    HeapArray() = default;
    HeapArray(HeapArray&& other) noexcept
        : block_(std::move(other.block_)), size_(std::exchange(other.size_, 0)) {}
    HeapArray& operator=(HeapArray&& other) noexcept {
        block_ = std::move(other.block_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    // Replaces the contents with `count` zeroed elements; false (and empty)
    // when memory is short.
    bool Allocate(size_t count) {
        block_.Reset();
        size_ = 0;
        if (count == 0) return true;
        if (count > SIZE_MAX / sizeof(T)) return false;
        block_.Reset(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, count * sizeof(T)));
        if (!block_) return false;
        size_ = count;
        return true;
    }
    void Clear() { Allocate(0); }

    T* data() const { return static_cast<T*>(block_.Get()); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) const { return data()[i]; }

private:
    HeapBlock block_;
    size_t size_ = 0;
};

// An object on the process heap, or null when memory is short. The
// constructor must not throw: the library is built without exceptions.
template <typename T>
T* HeapNew() {
    void* block = ::HeapAlloc(::GetProcessHeap(), 0, sizeof(T));
    return block ? new (block) T : nullptr;
}

template <typename T>
void HeapDelete(T* object) {
    if (!object) return;
    object->~T();
    HeapTraits::Free(object);
}

}  // namespace lingua
