// Stands in for the VMware Horizon bridge, "vdp_rdpvcbridge.dll". Built with
// both functions and without VDP_FreeMemory (FARLINK_DOUBLE_NO_FREE).
#include "SessionDoubleCommon.h"

extern "C" __declspec(dllexport) BOOL WINAPI VDP_QuerySessionInformationW(
    HANDLE, DWORD sessionId, int infoClass, LPWSTR* buffer, DWORD* byteCount) {
    return session_double::Query(L"FARLINK_VDP_ANSWER", L"FARLINK_VDP_LOG", sessionId,
                                 infoClass, buffer, byteCount);
}

#ifndef FARLINK_DOUBLE_NO_FREE
extern "C" __declspec(dllexport) VOID WINAPI VDP_FreeMemory(PVOID memory) {
    session_double::Free(L"FARLINK_VDP_LOG", memory);
}
#endif
