#pragma once
// Nothing may leave a COM method, a window procedure or a thread procedure by
// exception: the caller is the system or another process, which cannot catch it.
// The program reports a failed allocation by throwing std::bad_alloc; a
// barrier turns it into the boundary's own answer. Logic errors never arrive
// here: the shipped runtime (LeanRuntime.cpp) fails fast on them.
#include <windows.h>

#include <new>

#include "win/Trace.h"

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
// body's answer, or `neutral` when it threw, which leaves a trace line naming
// `where`: the caller gets no error to report.
template <typename Result, typename Body>
Result CallbackBarrier(const wchar_t* where, Result neutral, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        Trace(L"barrier", where, static_cast<unsigned long>(E_OUTOFMEMORY));
    } catch (...) {
        Trace(L"barrier", where, static_cast<unsigned long>(E_UNEXPECTED));
    }
    return neutral;
}

template <typename Result, typename Body>
Result CallbackBarrier(Result neutral, Body&& body) noexcept {
    return CallbackBarrier(L"callback", neutral, static_cast<Body&&>(body));
}

}  // namespace win
