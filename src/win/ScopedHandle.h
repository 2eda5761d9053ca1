#pragma once
// Owners for kernel handles and loaded modules: one type per resource kind,
// move-only, closed in the destructor.
#include <windows.h>

#include <utility>

namespace win {

// A kernel handle. Both null and INVALID_HANDLE_VALUE mean "none", since
// CreateFile and friends use the latter while most other calls use the former.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return IsValid(); }
    HANDLE Get() const { return handle_; }
    HANDLE Release() { return std::exchange(handle_, nullptr); }
    void Reset(HANDLE handle = nullptr) {
        Close();
        handle_ = handle;
    }
    void Close() {
        if (IsValid()) ::CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

// A module loaded with LoadLibrary; freed in the destructor.
class ScopedLibrary {
public:
    ScopedLibrary() = default;
    explicit ScopedLibrary(HMODULE module) : module_(module) {}
    ~ScopedLibrary() { Reset(); }
    ScopedLibrary(ScopedLibrary&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
    ScopedLibrary& operator=(ScopedLibrary&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.module_, nullptr));
        return *this;
    }
    ScopedLibrary(const ScopedLibrary&) = delete;
    ScopedLibrary& operator=(const ScopedLibrary&) = delete;

    explicit operator bool() const { return module_ != nullptr; }
    HMODULE Get() const { return module_; }
    void Reset(HMODULE module = nullptr) {
        if (module_) ::FreeLibrary(module_);
        module_ = module;
    }

    // The typed address of an export, or null when it is missing.
    template <typename Fn>
    Fn GetFunction(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }

private:
    HMODULE module_ = nullptr;
};

}  // namespace win
