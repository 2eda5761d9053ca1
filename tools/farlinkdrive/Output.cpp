#include "Output.h"

#include <windows.h>

#include <cstdio>

#include "win/Lock.h"
#include "win/Utf8.h"

namespace farlinkdrive {

namespace {
win::Lock g_outputLock;
}

void PrintLine(const std::wstring& line) {
    // Narrow to UTF-8 so any text survives the pipe.
    const std::string bytes = win::Utf8(line);
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
