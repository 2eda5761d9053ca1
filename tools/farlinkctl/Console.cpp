#include "Console.h"

#include <windows.h>

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
    int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0],
                              size, nullptr, nullptr);
    ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void PrintOut(const std::wstring& line) { Print(STD_OUTPUT_HANDLE, line); }
void PrintErr(const std::wstring& line) { Print(STD_ERROR_HANDLE, line); }

}  // namespace farlinkctl
