#pragma once
// Owners for the OLE automation string and variant types.
#include <oleauto.h>

#include <string>

#include "win/UniqueResource.h"

namespace win {

struct BstrTraits {
    using Type = BSTR;
    static BSTR InvalidValue() { return nullptr; }
    static void Free(BSTR text) { ::SysFreeString(text); }
};

class Bstr : public UniqueResource<BstrTraits> {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text)
        : UniqueResource(text ? ::SysAllocString(text) : nullptr) {}
    explicit Bstr(const std::wstring& text)
        : UniqueResource(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

    BSTR Detach() { return Release(); }
    bool IsNull() const { return !IsValid(); }
    UINT Length() const { return ::SysStringLen(Get()); }
    std::wstring ToString() const {
        return IsValid() ? std::wstring(Get(), Length()) : std::wstring();
    }
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
