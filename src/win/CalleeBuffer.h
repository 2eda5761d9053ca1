#pragma once
// A buffer that a called library allocated and hands back through its own free
// function: each allocator must get its own memory back, so the owner carries
// the matching free function. A null function pointer leaves the buffer to the
// library (some libraries export no way to free it).
#include <windows.h>

#include <type_traits>
#include <utility>

namespace win {

template <typename FreeFn>
class CalleeBuffer {
public:
    explicit CalleeBuffer(FreeFn freeFn) : free_(std::move(freeFn)) {}
    ~CalleeBuffer() { Reset(); }
    CalleeBuffer(const CalleeBuffer&) = delete;
    CalleeBuffer& operator=(const CalleeBuffer&) = delete;

    // Out-parameters of the query; the buffer pointer is null before each call.
    LPWSTR* Put() {
        Reset();
        return &data_;
    }
    DWORD* PutSize() { return &size_; }

    explicit operator bool() const { return data_ != nullptr; }
    const void* Data() const { return data_; }
    DWORD Size() const { return size_; }

    void Reset() {
        if (data_ && HasFree()) free_(data_);
        data_ = nullptr;
        size_ = 0;
    }

private:
    bool HasFree() const {
        if constexpr (std::is_pointer_v<FreeFn>) return free_ != nullptr;
        else return true;
    }

    FreeFn free_;
    LPWSTR data_ = nullptr;
    DWORD size_ = 0;
};

}  // namespace win
