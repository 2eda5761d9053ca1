#pragma once
// Owners for the OLE automation string and variant types.
#include <oleauto.h>

#include <string>
#include <utility>

namespace win {

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : str_(text ? ::SysAllocString(text) : nullptr) {}
    explicit Bstr(const std::wstring& text)
        : str_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { Reset(); }
    Bstr(Bstr&& other) noexcept : str_(std::exchange(other.str_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            Reset();
            str_ = std::exchange(other.str_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const { return str_; }
    BSTR* Put() {
        Reset();
        return &str_;
    }
    BSTR Detach() { return std::exchange(str_, nullptr); }
    void Reset() {
        if (str_) ::SysFreeString(str_);
        str_ = nullptr;
    }
    bool IsNull() const { return str_ == nullptr; }
    UINT Length() const { return ::SysStringLen(str_); }
    std::wstring ToString() const { return str_ ? std::wstring(str_, Length()) : std::wstring(); }

private:
    BSTR str_ = nullptr;
};

class Variant {
public:
    Variant() { ::VariantInit(&var_); }
    ~Variant() { ::VariantClear(&var_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* Get() { return &var_; }
    const VARIANT& Ref() const { return var_; }
    VARIANT* Put() {
        ::VariantClear(&var_);
        return &var_;
    }

private:
    VARIANT var_;
};

}  // namespace win
