#pragma once
// Shared by the vendor-library doubles. The test sets each answer in an
// environment variable of its own process (which the double shares) and reads
// back what the double was asked in another:
//   <prefix>_ANSWER  "<result> <bytes> <value>": the query's return value, the
//                    buffer size in bytes (-1: no buffer) and the number stored
//                    little-endian in it; unset: the query fails, no buffer.
//   <prefix>_LOG     appended "Q<class>/<session, hex>;" per query and "F;" per
//                    buffer freed; a free of a pointer not handed out is "F?;".
//   FARLINK_DOUBLE_MARKER  a file to which each load appends the library's
//                    path (UTF-16, one per line): a planted copy that loads
//                    shows there, in whatever process loaded it.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace session_double {

inline void AppendLog(const wchar_t* variable, const wchar_t* entry) {
    wchar_t log[1024] = {};
    if (::GetEnvironmentVariableW(variable, log, 1024) >= 1024) log[0] = L'\0';
    if (std::wcslen(log) + std::wcslen(entry) < 1023) std::wcscat(log, entry);
    ::SetEnvironmentVariableW(variable, log);
}

inline void* g_lastBuffer = nullptr;  // so a free of anything else shows in the log

inline BOOL Query(const wchar_t* answerVariable, const wchar_t* logVariable, DWORD sessionId,
                  int infoClass, LPWSTR* buffer, DWORD* byteCount) {
    wchar_t entry[64], answer[64] = {};
    std::swprintf(entry, 64, L"Q%d/%lx;", infoClass, static_cast<unsigned long>(sessionId));
    AppendLog(logVariable, entry);
    int result = 0, bytes = -1;
    unsigned value = 0;
    if (::GetEnvironmentVariableW(answerVariable, answer, 64) == 0 ||
        std::swscanf(answer, L"%d %d %u", &result, &bytes, &value) != 3)
        return FALSE;
    if (bytes >= 0) {
        BYTE* data = static_cast<BYTE*>(::LocalAlloc(LPTR, bytes > 4 ? bytes : 4));
        std::memcpy(data, &value, 4);
        *buffer = reinterpret_cast<LPWSTR>(data);
        *byteCount = static_cast<DWORD>(bytes);
        g_lastBuffer = data;
    }
    return result;
}

inline void Free(const wchar_t* logVariable, void* memory) {
    AppendLog(logVariable, memory && memory == g_lastBuffer ? L"F;" : L"F?;");
    if (memory == g_lastBuffer) {
        ::LocalFree(memory);
        g_lastBuffer = nullptr;
    }
}

}  // namespace session_double

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    wchar_t marker[MAX_PATH] = {}, path[MAX_PATH + 1] = {};
    DWORD n = ::GetEnvironmentVariableW(L"FARLINK_DOUBLE_MARKER", marker, MAX_PATH);
    if (reason != DLL_PROCESS_ATTACH || n == 0 || n >= MAX_PATH) return TRUE;
    n = ::GetModuleFileNameW(self, path, MAX_PATH);
    path[n] = L'\n';
    HANDLE file = ::CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written = 0;
    ::WriteFile(file, path, (n + 1) * sizeof(wchar_t), &written, nullptr);
    ::CloseHandle(file);
    return TRUE;
}
