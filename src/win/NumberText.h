#pragma once
// Unsigned numbers as text, decimal or lower-case hex. The program needs no
// more than this, and the C library's formatted output would bring its whole
// printf engine into the image for it.
#include <string>

namespace win {

inline std::wstring NumberText(unsigned long long value, unsigned base = 10) {
    wchar_t digits[24];
    wchar_t* start = digits + 24;
    do {
        *--start = L"0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    return std::wstring(start, digits + 24);
}

}  // namespace win
