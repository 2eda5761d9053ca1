#pragma once
// Shared by the vendor-library doubles. The test sets each answer in an
// environment variable of its own process (which the double shares) and reads
// back what the double was asked in another:
//   <prefix>_ANSWER  "<result> <bytes> <value>": the query's return value, the
//                    buffer size in bytes (-1: no buffer) and the number stored
//                    little-endian in it; unset: the query fails, no buffer.
//   <prefix>_LOG     appended "Q<class>/<session, hex>;" per query and "F;" per
//                    buffer freed; a free of a pointer not handed out is "F?;".
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
