#pragma once
// The facts about the own session that a test machine cannot present: whether
// the session is remote, the terminal-services session information and the
// session id of the process. The shipped programs ask the system; the tests
// link definitions that can answer from a fake. The vendor libraries and the
// registry are not behind this seam: tests use real doubles and scratch hives.
#include <windows.h>
#include <wtsapi32.h>

namespace sharedfarlink {

class SessionFacts {
public:
    virtual ~SessionFacts() = default;

    // GetSystemMetrics(SM_REMOTESESSION).
    virtual int RemoteSessionMetric() = 0;

    // WTSQuerySessionInformationW for the current server and session. A buffer
    // handed out here goes back through FreeTerminalMemory.
    virtual BOOL QueryTerminalSession(WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                                      DWORD* byteCount) = 0;
    virtual void FreeTerminalMemory(void* memory) = 0;

    // ProcessIdToSessionId.
    virtual BOOL SessionIdOfProcess(DWORD processId, DWORD* sessionId) = 0;
};

// The system's answers.
SessionFacts& SystemSessionFacts();

// Seam: the facts the probe uses (SystemSeams.cpp in the shipped programs).
SessionFacts& CurrentSessionFacts();

}  // namespace sharedfarlink
