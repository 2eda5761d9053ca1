// Stands in for the Citrix WinFrame API, "wfapi.dll". Built with both
// functions and without the free function (FARLINK_DOUBLE_NO_FREE).
#include "SessionDoubleCommon.h"

extern "C" __declspec(dllexport) BOOL WINAPI WFQuerySessionInformationW(
    HANDLE, DWORD sessionId, int infoClass, LPWSTR* buffer, DWORD* byteCount) {
    return session_double::Query(L"FARLINK_WFAPI_ANSWER", L"FARLINK_WFAPI_LOG", sessionId,
                                 infoClass, buffer, byteCount);
}

#ifndef FARLINK_DOUBLE_NO_FREE
extern "C" __declspec(dllexport) VOID WINAPI WFFreeMemory(PVOID memory) {
    session_double::Free(L"FARLINK_WFAPI_LOG", memory);
}
#endif

// Every variant exports something, so each is a well-formed DLL with an export table.
extern "C" __declspec(dllexport) int FarlinkDoubleVariant() { return 1; }
