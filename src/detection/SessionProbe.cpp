#include "detection/SessionProbe.h"

#include <windows.h>
#include <wtsapi32.h>

#include "detection/CAwsSupport.h"
#include "detection/CitrixSession.h"
#include "detection/HorizonSession.h"
#include "detection/SessionBuffer.h"
#include "detection/SessionCache.h"
#include "detection/SessionFacts.h"
#include "win/CalleeBuffer.h"
#include "win/RegKey.h"

namespace sharedfarlink {

namespace {

// Not named in every SDK's WTS_INFO_CLASS.
constexpr WTS_INFO_CLASS kWtsIsRemoteSession = static_cast<WTS_INFO_CLASS>(29);

// The trailing backslash is how the key has always been opened.
const wchar_t kTerminalServerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Terminal Server\\";
const wchar_t kGlassSessionIdValue[] = L"GlassSessionId";

auto TerminalFree(SessionFacts& facts) {
    return [&facts](void* memory) { facts.FreeTerminalMemory(memory); };
}

// A: inside a remote session the client protocol is the answer, and the
// protocol numbers 0, 1, 2 are the RemoteType numbers Local, ICA, RDP.
int ProbeTerminalProtocol(SessionFacts& facts) {
    int type = RemoteTypeLocal;
    bool converted = false;
    {
        win::CalleeBuffer buffer(TerminalFree(facts));
        // The call's result is not trusted either way: only a buffer counts.
        facts.QueryTerminalSession(WTSClientProtocolType, buffer.Put(), buffer.PutSize());
        if (buffer) converted = BufferToInt(buffer.Data(), buffer.Size(), &type);
    }
    if (converted && type == RemoteTypeLocal) {
        // A console protocol inside a remote session: the client has gone away.
        win::CalleeBuffer buffer(TerminalFree(facts));
        facts.QueryTerminalSession(WTSConnectState, buffer.Put(), buffer.PutSize());
        int state = 0;
        if (buffer && BufferToInt(buffer.Data(), buffer.Size(), &state) &&
            state == WTSDisconnected)
            type = RemoteTypeDisconnected;
    }
    return type;
}

// B: the remote flag catches remote sessions the system metric misses.
bool IsRemoteByTerminalFlag(SessionFacts& facts) {
    win::CalleeBuffer buffer(TerminalFree(facts));
    if (!facts.QueryTerminalSession(kWtsIsRemoteSession, buffer.Put(), buffer.PutSize()) ||
        !buffer)
        return false;
    int value = 0;
    return BufferToInt(buffer.Data(), buffer.Size(), &value) && value != 0;
}

// C: a Glass host records its console session; any other session is a Glass one.
bool IsGlassSession(SessionFacts& facts) {
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kTerminalServerKey, KEY_READ) != ERROR_SUCCESS) return false;
    DWORD glassId = 0;
    DWORD bytes = sizeof glassId;
    // Any registry type; a value of another size reads as absent.
    if (::RegQueryValueExW(key.Get(), kGlassSessionIdValue, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&glassId), &bytes) != ERROR_SUCCESS ||
        bytes != sizeof glassId)
        return false;
    DWORD sessionId = 0;
    if (!facts.SessionIdOfProcess(::GetCurrentProcessId(), &sessionId)) return false;
    return sessionId != glassId;
}

// F: the cloud probe may make a network request, so its answer is cached per
// user and asked again only while the cache holds no type name.
int ProbeCacheAndCloud() {
    int cached = RemoteTypeNone;
    if (ReadCachedSessionType(&cached)) return cached;
    bool aws = false;
    {
        CAwsSupport cloud;
        aws = cloud.IsAwsInstance();
    }
    StoreCachedSessionType(aws ? L"AWS" : L"Local");
    return aws ? RemoteTypeAws : RemoteTypeLocal;
}

}  // namespace

int ProbeSession() {
    SessionFacts& facts = CurrentSessionFacts();
    if (facts.RemoteSessionMetric() != 0) return ProbeTerminalProtocol(facts);

    // The first step that finds something wins.
    if (IsRemoteByTerminalFlag(facts)) return RemoteTypeRdp;
    if (IsGlassSession(facts)) return RemoteTypeGlass;
    if (IsCitrixSession()) return RemoteTypeIca;
    if (IsHorizonSession()) return RemoteTypeHorizon;
    return ProbeCacheAndCloud();
}

}  // namespace sharedfarlink
