// The session probe's decision table: which step answers, which later steps
// never run, what the per-user cache holds afterwards. Facts that Wine cannot
// present come from a fake; the registry is a scratch hive; the Citrix and
// VMware libraries are real DLL doubles bound by the real code; the cloud
// probe's UUID is faked and its metadata request goes to a loopback server.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/LoopbackHttpServer.h"
#include "common/RegistryOverride.h"
#include "shared/Farlink/SessionProbe.h"
#include "shared/SessionTestSupport.h"

namespace {

using namespace session_testing;
using sharedfarlink::ProbeSession;

constexpr int kProtocol = 16;  // WTSClientProtocolType
constexpr int kState = 8;      // WTSConnectState
constexpr int kRemote = 29;    // WTSIsRemoteSession

const wchar_t kPlainUuid[] = L"4C4C4544-0032-3010-8044-B2C04F4D3632";
const wchar_t kEc2Uuid[] = L"EC2A1F3B-97C4-5E1D-0B22-3F0D8C6A7B11";
const wchar_t kYes[] = L"1 4 1";

struct RawValue {
    DWORD type;
    std::vector<BYTE> bytes;
    bool operator==(const RawValue& o) const { return type == o.type && bytes == o.bytes; }
};
RawValue Raw(DWORD type, const std::wstring& data) {
    const BYTE* p = reinterpret_cast<const BYTE*>(data.data());
    return {type, std::vector<BYTE>(p, p + data.size() * sizeof(wchar_t))};
}
// A REG_SZ as the program writes it: terminator included.
RawValue Sz(const wchar_t* text) { return Raw(REG_SZ, std::wstring(text) + L'\0'); }
RawValue Dword(DWORD value) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&value);
    return {REG_DWORD, std::vector<BYTE>(p, p + 4)};
}

enum Step { kNone = -1, kA, kB, kC, kD, kE, kF };

struct ProbeCase {
    const char* name;
    // The machine.
    int metric = 0;
    std::map<int, TerminalAnswer> terminal = {};
    BOOL sessionIdOk = TRUE;
    std::optional<RawValue> glass = {};  // GlassSessionId; the process runs in session 1
    const wchar_t* wfapi = nullptr;
    const wchar_t* wfapiAnswer = nullptr;
    const wchar_t* vdp = nullptr;
    const wchar_t* vdpAnswer = nullptr;
    bool cacheKey = true;
    std::optional<RawValue> cached = {};
    const wchar_t* uuid = kPlainUuid;
    bool metadataUp = false;
    // Every step after this one is set up to find something where the row
    // leaves it open, so a step that runs when it must not shows.
    Step primeAfter = kNone;
    // What must happen.
    int expected = 0;
    std::vector<int> classes = {};  // terminal-services classes asked, in order
    std::wstring wfapiLog = {};
    std::wstring vdpLog = {};
    int uuidReads = 0;
    int metadataRequests = 0;
    std::optional<RawValue> cachedAfter = {};
};

// Rows print as their names.
void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

void PrimeLaterSteps(ProbeCase& c) {
    if (c.primeAfter == kNone) return;
    if (c.primeAfter < kB && !c.terminal.count(kRemote)) c.terminal[kRemote] = Buffer(4, 1);
    if (c.primeAfter < kC && !c.glass) c.glass = Dword(2);
    if (c.primeAfter < kD && !c.wfapi) c.wfapi = kWfapiDouble, c.wfapiAnswer = kYes;
    if (c.primeAfter < kE && !c.vdp) c.vdp = kVdpDouble, c.vdpAnswer = kYes;
    if (c.primeAfter < kF && !c.cached) c.cacheKey = true, c.uuid = kEc2Uuid, c.metadataUp = true;
}

const ProbeCase kCases[] = {
    // A: inside a remote session the client protocol alone decides.
    {.name = "A_Rdp", .metric = 1, .terminal = {{kProtocol, Buffer(2, 2)}}, .primeAfter = kA,
     .expected = 2, .classes = {kProtocol}},
    {.name = "A_Ica", .metric = 1, .terminal = {{kProtocol, Buffer(4, 1)}}, .primeAfter = kA,
     .expected = 1, .classes = {kProtocol}},
    {.name = "A_Disconnected", .metric = 1,
     .terminal = {{kProtocol, Buffer(2, 0)}, {kState, Buffer(4, 4)}}, .primeAfter = kA,
     .expected = 100, .classes = {kProtocol, kState}},
    {.name = "A_ConsoleActive", .metric = 1,
     .terminal = {{kProtocol, Buffer(2, 0)}, {kState, Buffer(4, 0)}}, .primeAfter = kA,
     .expected = 0, .classes = {kProtocol, kState}},
    {.name = "A_ResultIgnoredBufferCounts", .metric = 1,
     .terminal = {{kProtocol, Buffer(2, 2, FALSE)}}, .primeAfter = kA, .expected = 2,
     .classes = {kProtocol}},
    {.name = "A_ProtocolOddSize", .metric = 1,
     .terminal = {{kProtocol, Buffer(3, 0)}, {kState, Buffer(4, 4)}}, .primeAfter = kA,
     .expected = 0, .classes = {kProtocol}},
    {.name = "A_NoProtocolBuffer", .metric = 1, .terminal = {{kProtocol, NoBuffer(TRUE)}},
     .primeAfter = kA, .expected = 0, .classes = {kProtocol}},

    // B: the remote flag.
    {.name = "B_RemoteFlag", .terminal = {{kRemote, Buffer(4, 1)}}, .primeAfter = kB,
     .expected = 2, .classes = {kRemote}},
    {.name = "B_FailedCallDoesNotCount", .terminal = {{kRemote, Buffer(4, 1, FALSE)}},
     .expected = 0, .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "B_FlagZero", .terminal = {{kRemote, Buffer(4, 0)}}, .expected = 0,
     .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},

    // C: Glass is a session other than the recorded one.
    {.name = "C_GlassIdDiffers", .glass = Dword(2), .primeAfter = kC, .expected = 4,
     .classes = {kRemote}},
    {.name = "C_GlassIdEqual", .glass = Dword(1), .expected = 0, .classes = {kRemote},
     .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "C_GlassIdAnyType", .glass = Raw(REG_BINARY, std::wstring(L"\x7\0", 2)),
     .expected = 4, .classes = {kRemote}},
    {.name = "C_GlassIdTooLong", .glass = Raw(REG_QWORD, std::wstring(L"\x7\0\0\0", 4)),
     .expected = 0, .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "C_GlassIdShortIsAbsent", .glass = Raw(REG_BINARY, std::wstring(L"\x7", 1)),
     .expected = 0, .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "C_NoSessionId", .sessionIdOk = FALSE, .glass = Dword(2), .expected = 0,
     .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},

    // D: Citrix, through the real binding of a wfapi.dll double.
    {.name = "D_Citrix", .wfapi = kWfapiDouble, .wfapiAnswer = kYes, .primeAfter = kD,
     .expected = 1, .classes = {kRemote}, .wfapiLog = L"Q4/ffffffff;F;"},
    {.name = "D_CitrixFailedCallFreesBuffer", .wfapi = kWfapiDouble,
     .wfapiAnswer = L"0 4 1", .expected = 0, .classes = {kRemote},
     .wfapiLog = L"Q4/ffffffff;F;", .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "D_CitrixNoExports", .wfapi = kWfapiNoExportsDouble, .wfapiAnswer = kYes,
     .expected = 0, .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "D_CitrixNoFreeFunction", .wfapi = kWfapiNoFreeDouble, .wfapiAnswer = kYes,
     .expected = 0, .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "D_CitrixNotALibrary", .wfapi = kNotALibrary, .expected = 0,
     .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "D_CitrixNoAnswerThenHorizon", .wfapi = kWfapiDouble, .wfapiAnswer = L"1 4 0",
     .vdp = kVdpDouble, .vdpAnswer = kYes, .expected = 3, .classes = {kRemote},
     .wfapiLog = L"Q4/ffffffff;F;", .vdpLog = L"Q29/ffffffff;F;"},

    // E: Horizon, through a bridge double that is loaded and unloaded again.
    {.name = "E_Horizon", .vdp = kVdpDouble, .vdpAnswer = kYes, .primeAfter = kE,
     .expected = 3, .classes = {kRemote}, .vdpLog = L"Q29/ffffffff;F;"},
    {.name = "E_HorizonNoFreeFunctionStillCounts", .vdp = kVdpNoFreeDouble,
     .vdpAnswer = kYes, .primeAfter = kE, .expected = 3, .classes = {kRemote},
     .vdpLog = L"Q29/ffffffff;"},
    {.name = "E_HorizonFailedCall", .vdp = kVdpDouble, .vdpAnswer = L"0 4 1", .expected = 0,
     .classes = {kRemote}, .vdpLog = L"Q29/ffffffff;F;", .uuidReads = 1,
     .cachedAfter = Sz(L"Local")},

    // F: the cache answers whenever it names a type, in any letter case.
    {.name = "F_CachedLocal", .cached = Sz(L"Local"), .uuid = kEc2Uuid, .metadataUp = true,
     .expected = 0, .classes = {kRemote}, .cachedAfter = Sz(L"Local")},
    {.name = "F_CachedLocalUpperCase", .cached = Sz(L"LOCAL"), .uuid = kEc2Uuid,
     .metadataUp = true, .expected = 0, .classes = {kRemote}, .cachedAfter = Sz(L"LOCAL")},
    {.name = "F_CachedAwsLowerCase", .cached = Sz(L"aws"), .expected = 5,
     .classes = {kRemote}, .cachedAfter = Sz(L"aws")},
    {.name = "F_CachedAnyType", .cached = Raw(REG_BINARY, std::wstring(L"ICA\0", 4)),
     .expected = 1, .classes = {kRemote}, .cachedAfter = Raw(REG_BINARY, std::wstring(L"ICA\0", 4))},
    {.name = "F_UnknownNameRewrittenLocal", .cached = Sz(L"Citrix"), .expected = 0,
     .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "F_UnknownNameRewrittenAws", .cached = Sz(L"Citrix"), .uuid = kEc2Uuid,
     .metadataUp = true, .expected = 5, .classes = {kRemote}, .uuidReads = 1,
     .metadataRequests = 1, .cachedAfter = Sz(L"AWS")},
    {.name = "F_ValueLongerThanBuffer",
     .cached = Raw(REG_SZ, std::wstring(L"Local\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22)),
     .expected = 0, .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "F_NoValueAws", .uuid = kEc2Uuid, .metadataUp = true, .expected = 5,
     .classes = {kRemote}, .uuidReads = 1, .metadataRequests = 1, .cachedAfter = Sz(L"AWS")},
    {.name = "F_NoValueEc2MetadataDown", .uuid = kEc2Uuid, .expected = 0,
     .classes = {kRemote}, .uuidReads = 1, .cachedAfter = Sz(L"Local")},
    {.name = "F_NoKeyNothingWritten", .cacheKey = false, .uuid = kEc2Uuid,
     .metadataUp = true, .expected = 5, .classes = {kRemote}, .uuidReads = 1,
     .metadataRequests = 1},
};

class SessionProbeTable : public testing::TestWithParam<ProbeCase> {};

TEST_P(SessionProbeTable, Decides) {
    ProbeCase c = GetParam();
    PrimeLaterSteps(c);

    testing_support::RegistryOverride registry;
    VendorLibraryFolder vendors;
    FakeSessionFacts facts;
    facts.metric = c.metric;
    facts.answers = c.terminal;
    facts.sessionIdResult = c.sessionIdOk;
    facts.sessionId = 1;
    sharedfarlink::ScopedSessionFactsOverride factsOverride(facts);

    if (c.glass) {
        ASSERT_TRUE(WriteValue(HKEY_LOCAL_MACHINE, kTerminalServerKey, L"GlassSessionId",
                               c.glass->type, c.glass->bytes.data(),
                               static_cast<DWORD>(c.glass->bytes.size())));
    }
    if (c.wfapi) {
        ASSERT_TRUE(vendors.Install(c.wfapi, kWfapi));
    }
    if (c.wfapiAnswer) SetVariable(L"FARLINK_WFAPI_ANSWER", c.wfapiAnswer);
    if (c.vdp) {
        ASSERT_TRUE(vendors.Install(c.vdp, kVdpBridge));
    }
    if (c.vdpAnswer) SetVariable(L"FARLINK_VDP_ANSWER", c.vdpAnswer);
    if (c.cacheKey) {
        ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kCacheKey));
    }
    if (c.cached) {
        ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kCacheKey, L"Server", c.cached->type,
                               c.cached->bytes.data(),
                               static_cast<DWORD>(c.cached->bytes.size())));
    }

    FakeUuid uuid(c.uuid);
    sharedfarlink::ScopedProductUuidOverride uuidOverride(uuid);
    testing_support::LoopbackHttpServer metadata;
    std::wstring origin =
        L"http://127.0.0.1:" + std::to_wstring(testing_support::UnusedLoopbackPort());
    if (c.metadataUp) {
        ASSERT_TRUE(metadata.Start());
        origin = metadata.Url(L"");
    }
    sharedfarlink::ScopedMetadataOriginOverride originOverride(origin.c_str());

    EXPECT_EQ(c.expected, ProbeSession());

    EXPECT_EQ(c.classes, facts.queried);
    EXPECT_EQ(0, facts.outstanding()) << "terminal-services buffer not freed";
    EXPECT_EQ(0, facts.foreignFrees);
    EXPECT_EQ(c.wfapiLog, GetVariable(L"FARLINK_WFAPI_LOG"));
    EXPECT_EQ(c.vdpLog, GetVariable(L"FARLINK_VDP_LOG"));
    EXPECT_EQ(nullptr, ::GetModuleHandleW(kWfapi)) << "wfapi.dll left loaded";
    EXPECT_EQ(nullptr, ::GetModuleHandleW(kVdpBridge)) << "bridge left loaded";
    EXPECT_EQ(c.uuidReads, uuid.reads);
    EXPECT_EQ(c.metadataRequests, metadata.Requests());

    RawValue after{};
    bool present = ReadValue(HKEY_CURRENT_USER, kCacheKey, L"Server", &after.type, &after.bytes);
    EXPECT_EQ(c.cachedAfter.has_value(), present);
    if (c.cachedAfter && present) {
        EXPECT_TRUE(*c.cachedAfter == after) << "cache value differs";
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, SessionProbeTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ProbeCase>& info) {
                             return std::string(info.param.name);
                         });

// The cache spares the cloud probe on the next run: the second probe asks nothing.
TEST(SessionProbeCache, SecondProbeAnswersFromCache) {
    testing_support::RegistryOverride registry;
    FakeSessionFacts facts;
    sharedfarlink::ScopedSessionFactsOverride factsOverride(facts);
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kCacheKey));
    FakeUuid uuid(kEc2Uuid);
    sharedfarlink::ScopedProductUuidOverride uuidOverride(uuid);
    testing_support::LoopbackHttpServer metadata;
    ASSERT_TRUE(metadata.Start());
    std::wstring origin = metadata.Url(L"");
    sharedfarlink::ScopedMetadataOriginOverride originOverride(origin.c_str());

    EXPECT_EQ(5, ProbeSession());
    EXPECT_EQ(5, ProbeSession());
    EXPECT_EQ(1, uuid.reads);
    EXPECT_EQ(1, metadata.Requests());
}

// On Wine the real facts find no remote session, so the cache decides: what
// other tests rely on when they seed it to choose a session type.
TEST(SessionProbeCache, RealFactsLeaveTheAnswerToTheCache) {
    testing_support::RegistryOverride registry;
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kCacheKey, L"Server", L"Horizon"));
    EXPECT_EQ(3, ProbeSession());
}

}  // namespace
