#pragma once
// The calling thread's membership of a COM apartment for the owner's lifetime.
// Left again only when the join counted: a failed CoInitializeEx must not be
// balanced, or it would end an apartment someone else entered.
#include <objbase.h>

namespace win {

class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_MULTITHREADED)
        : result_(::CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

}  // namespace win
