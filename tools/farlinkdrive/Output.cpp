#include "Output.h"

#include <windows.h>

#include <cstdio>

#include "win/Lock.h"

namespace farlinkdrive {

namespace {
win::Lock g_outputLock;
}

void PrintLine(const std::wstring& line) {
    // Narrow to UTF-8 so any text survives the pipe.
    int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    win::AutoLock guard(g_outputLock);
    std::fputs(bytes.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::wstring Hex(long value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(value));
    return text;
}

}  // namespace farlinkdrive
