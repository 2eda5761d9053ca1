// A stand-in for the program in its own process, so each run gets a fresh
// once-per-process translation set-up, from whatever folder it is copied to.
// Steps, in command-line order:
//   init <language>          InitializeTranslation
//   t <context> <msgid>      Translate; prints "[text]" and a line end, UTF-8
// Exits 0 after the last step; a crash shows as any other exit code.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "support/Translation.h"

namespace {

void Print(const std::wstring& text) {
    std::wstring line = L"[" + text + L"]\n";
    int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0],
                          size, nullptr, nullptr);
    // Straight to the handle: no CRT text-mode CR, and the probe and a double
    // (each with its own CRT) never buffer out of order.
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
                &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"init") == 0 && i + 1 < argc) {
            support::InitializeTranslation(argv[++i]);
        } else if (std::wcscmp(argv[i], L"t") == 0 && i + 2 < argc) {
            Print(support::Translate(argv[i + 1], argv[i + 2]));
            i += 2;
        } else {
            std::fprintf(stderr, "unknown step %d\n", i);
            return 2;
        }
    }
    return 0;
}
