#pragma once
// Nothing may leave a COM method, a window procedure or a thread procedure by
// exception: the caller is the system or another process, which cannot catch it.
// The program reports a failed allocation by throwing (std::bad_alloc from the
// standard library); a barrier turns it into the boundary's own answer.
#include <windows.h>

#include <new>

namespace win {

// For COM methods: the body's HRESULT, E_OUTOFMEMORY after a failed
// allocation, E_UNEXPECTED after anything else.
template <typename Body>
HRESULT ComBarrier(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// For callbacks the system makes (window, dialog and thread procedures): the
// body's answer, or `neutral` when it threw.
template <typename Result, typename Body>
Result CallbackBarrier(Result neutral, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return neutral;
    }
}

}  // namespace win
