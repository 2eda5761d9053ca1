#include "shared/Farlink/SessionFacts.h"

namespace sharedfarlink {

namespace {

class SystemSessionFacts final : public SessionFacts {
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

SystemSessionFacts g_systemFacts;
SessionFacts* g_override = nullptr;

}  // namespace

SessionFacts& CurrentSessionFacts() { return g_override ? *g_override : g_systemFacts; }

ScopedSessionFactsOverride::ScopedSessionFactsOverride(SessionFacts& fake)
    : previous_(g_override) {
    g_override = &fake;
}

ScopedSessionFactsOverride::~ScopedSessionFactsOverride() { g_override = previous_; }

}  // namespace sharedfarlink
