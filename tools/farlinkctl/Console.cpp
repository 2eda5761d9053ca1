#include "Console.h"

#include <windows.h>

#include "win/Utf8.h"

namespace farlinkctl {

namespace {

void Print(DWORD which, std::wstring line) {
    line += L"\n";
    HANDLE out = ::GetStdHandle(which);
    DWORD mode = 0, written = 0;
    if (::GetConsoleMode(out, &mode)) {
        ::WriteConsoleW(out, line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = win::Utf8(line);
    ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void PrintOut(const std::wstring& line) { Print(STD_OUTPUT_HANDLE, line); }
void PrintErr(const std::wstring& line) { Print(STD_ERROR_HANDLE, line); }

}  // namespace farlinkctl
