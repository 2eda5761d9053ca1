#include "detection/SessionFacts.h"

namespace sharedfarlink {

namespace {

class SystemFacts final : public SessionFacts {
public:
    int RemoteSessionMetric() override { return ::GetSystemMetrics(SM_REMOTESESSION); }

    BOOL QueryTerminalSession(WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                              DWORD* byteCount) override {
        return ::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION,
                                             infoClass, buffer, byteCount);
    }

    void FreeTerminalMemory(void* memory) override { ::WTSFreeMemory(memory); }

    BOOL SessionIdOfProcess(DWORD processId, DWORD* sessionId) override {
        return ::ProcessIdToSessionId(processId, sessionId);
    }
};

}  // namespace

SessionFacts& SystemSessionFacts() {
    static SystemFacts facts;
    return facts;
}

}  // namespace sharedfarlink
