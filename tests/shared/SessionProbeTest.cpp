// The session probe's decision table: which step answers, which later steps
// never run, what the per-user cache holds afterwards. Facts that Wine cannot
// present come from a fake; the registry is a scratch hive; the Citrix and
// VMware libraries are real DLL doubles bound by the real code; the cloud
// probe's UUID is faked and its metadata request goes to a loopback server.
// Last, the two small conversions the probe leans on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/LoopbackHttpServer.h"
#include "common/RegistryOverride.h"
#include "common/TestSeams.h"
#include "common/TestPaths.h"
#include "shared/Farlink/RemoteType.h"
#include "shared/Farlink/SessionBuffer.h"
#include "shared/Farlink/SessionProbe.h"
#include "shared/SessionTestSupport.h"

namespace {

using namespace session_testing;

constexpr int kProtocol = 16;  // WTSClientProtocolType
constexpr int kState = 8;      // WTSConnectState
constexpr int kRemote = 29;    // WTSIsRemoteSession

const wchar_t kPlainUuid[] = L"4C4C4544-0032-3010-8044-B2C04F4D3632";
const wchar_t kEc2Uuid[] = L"EC2A1F3B-97C4-5E1D-0B22-3F0D8C6A7B11";
const wchar_t kYes[] = L"1 4 1";  // a double's answer: result, bytes, value
const wchar_t kCacheKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kWfapi[] = L"double_wfapi.dll";
const wchar_t kVdp[] = L"double_vdpbridge.dll";
const wchar_t kNotALibrary[] = L"";  // a text file under the vendor's name
const wchar_t* const kDoubleVariables[] = {L"FARLINK_WFAPI_ANSWER", L"FARLINK_WFAPI_LOG",
                                           L"FARLINK_VDP_ANSWER", L"FARLINK_VDP_LOG"};

// One answer of a terminal-services query: result, buffer size (-1: none), value.
struct TerminalAnswer {
    BOOL result;
    int bytes;
    std::uint32_t value;
};
TerminalAnswer Buffer(int bytes, std::uint32_t value, BOOL result = TRUE) {
    return {result, bytes, value};
}

// The facts Wine cannot present; records the classes asked and the frees.
class FakeSessionFacts : public sharedfarlink::SessionFacts {
public:
    int metric = 0;
    std::map<int, TerminalAnswer> answers;  // by information class; missing: fails
    BOOL sessionIdResult = TRUE;
    std::vector<int> queried;
    std::set<void*> live;
    int foreignFrees = 0;

    int RemoteSessionMetric() override { return metric; }
    BOOL QueryTerminalSession(WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                              DWORD* byteCount) override {
        queried.push_back(infoClass);
        auto found = answers.find(infoClass);
        if (found == answers.end()) return FALSE;
        if (found->second.bytes >= 0) {
            BYTE* data = new BYTE[found->second.bytes > 4 ? found->second.bytes : 4]();
            std::memcpy(data, &found->second.value, 4);
            live.insert(data);
            *buffer = reinterpret_cast<LPWSTR>(data);
            *byteCount = static_cast<DWORD>(found->second.bytes);
        }
        return found->second.result;
    }
    void FreeTerminalMemory(void* memory) override {
        if (live.erase(memory) == 0) ++foreignFrees;
        else delete[] static_cast<BYTE*>(memory);
    }
    BOOL SessionIdOfProcess(DWORD processId, DWORD* id) override {
        if (processId != ::GetCurrentProcessId()) return FALSE;
        if (sessionIdResult) *id = 1;
        return sessionIdResult;
    }
};

// The built doubles copied under their vendor names into a scratch folder
// made the current directory, where both SearchPathW and LoadLibraryW look.
class VendorLibraryFolder {
public:
    VendorLibraryFolder() : folder_(testing_support::MakeScratchDir(L"vendor")) {
        for (const wchar_t* name : kDoubleVariables) ::SetEnvironmentVariableW(name, nullptr);
        wchar_t current[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, current);
        previous_ = current;
        ::SetCurrentDirectoryW(folder_.c_str());
    }
    ~VendorLibraryFolder() {
        ::SetCurrentDirectoryW(previous_.c_str());
        testing_support::RemoveTree(folder_);
        for (const wchar_t* name : kDoubleVariables) ::SetEnvironmentVariableW(name, nullptr);
    }
    bool Install(const wchar_t* built, const wchar_t* vendorName) {
        std::wstring target = folder_ + L"\\" + vendorName;
        if (*built) return ::CopyFileW(testing_support::BesideExe(built).c_str(), target.c_str(), FALSE);
        HANDLE file = ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        bool ok = file != INVALID_HANDLE_VALUE && ::WriteFile(file, "not a library\r\n", 15, &written, nullptr);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        return ok;
    }

private:
    std::wstring folder_, previous_;
};

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
    return Raw(REG_DWORD, std::wstring(reinterpret_cast<const wchar_t*>(&value), 2));
}
bool WriteRaw(HKEY root, const wchar_t* path, const wchar_t* name, const RawValue& v) {
    return WriteValue(root, path, name, v.type, v.bytes.data(), static_cast<DWORD>(v.bytes.size()));
}

enum Step { kNone = -1, kA, kB, kC, kD, kE, kF };

struct ProbeCase {
    const char* name;
    // The machine.
    int metric = 0;
    std::map<int, TerminalAnswer> terminal = {};
    BOOL sessionIdOk = TRUE;
    std::optional<RawValue> glass = {};  // GlassSessionId; the process runs in session 1
    const wchar_t* wfapi = nullptr;      // the double put in place as wfapi.dll
    const wchar_t* wfapiAnswer = nullptr;
    const wchar_t* vdp = nullptr;        // ... as vdp_rdpvcbridge.dll
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
    std::vector<int> classes = {kRemote};  // terminal-services classes asked, in order
    std::wstring wfapiLog = {};
    std::wstring vdpLog = {};
    int uuidReads = 0;
    int metadataRequests = 0;
    std::optional<RawValue> cachedAfter = {};
    // Nothing answered: the cloud probe ran once, found no EC2 and cached "Local".
    bool local = false;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

void PrimeLaterSteps(ProbeCase& c) {
    if (c.local) c.uuidReads = 1, c.cachedAfter = Sz(L"Local");
    if (c.primeAfter == kNone) return;
    if (c.primeAfter < kB && !c.terminal.count(kRemote)) c.terminal[kRemote] = Buffer(4, 1);
    if (c.primeAfter < kC && !c.glass) c.glass = Dword(2);
    if (c.primeAfter < kD && !c.wfapi) c.wfapi = kWfapi, c.wfapiAnswer = kYes;
    if (c.primeAfter < kE && !c.vdp) c.vdp = kVdp, c.vdpAnswer = kYes;
    if (c.primeAfter < kF && !c.cached) c.cacheKey = true, c.uuid = kEc2Uuid, c.metadataUp = true;
}

const std::wstring kWfLog = L"Q4/ffffffff;F;", kVdpLog = L"Q29/ffffffff;F;";

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
     .classes = {kProtocol, kState}},
    {.name = "A_ResultIgnoredBufferCounts", .metric = 1,
     .terminal = {{kProtocol, Buffer(2, 2, FALSE)}}, .primeAfter = kA, .expected = 2,
     .classes = {kProtocol}},
    {.name = "A_ProtocolOddSize", .metric = 1,
     .terminal = {{kProtocol, Buffer(3, 0)}, {kState, Buffer(4, 4)}}, .primeAfter = kA,
     .classes = {kProtocol}},
    {.name = "A_NoProtocolBuffer", .metric = 1, .terminal = {{kProtocol, Buffer(-1, 0)}},
     .primeAfter = kA, .classes = {kProtocol}},

    // B: the remote flag.
    {.name = "B_RemoteFlag", .terminal = {{kRemote, Buffer(4, 1)}}, .primeAfter = kB, .expected = 2},
    {.name = "B_FailedCallDoesNotCount", .terminal = {{kRemote, Buffer(4, 1, FALSE)}}, .local = true},
    {.name = "B_FlagZero", .terminal = {{kRemote, Buffer(4, 0)}}, .local = true},

    // C: Glass is a session other than the recorded one, of any type but 4 bytes.
    {.name = "C_GlassIdDiffers", .glass = Dword(2), .primeAfter = kC, .expected = 4},
    {.name = "C_GlassIdEqual", .glass = Dword(1), .local = true},
    {.name = "C_GlassIdAnyType", .glass = Raw(REG_BINARY, std::wstring(L"\x7\0", 2)), .expected = 4},
    {.name = "C_GlassIdTooLong", .glass = Raw(REG_QWORD, std::wstring(L"\x7\0\0\0", 4)), .local = true},
    {.name = "C_GlassIdShortIsAbsent", .glass = Raw(REG_BINARY, std::wstring(L"\x7", 1)), .local = true},
    {.name = "C_NoSessionId", .sessionIdOk = FALSE, .glass = Dword(2), .local = true},

    // D: Citrix, through the real binding of a wfapi.dll double.
    {.name = "D_Citrix", .wfapi = kWfapi, .wfapiAnswer = kYes, .primeAfter = kD, .expected = 1,
     .wfapiLog = kWfLog},
    {.name = "D_CitrixFailedCallFreesBuffer", .wfapi = kWfapi, .wfapiAnswer = L"0 4 1",
     .wfapiLog = kWfLog, .local = true},
    {.name = "D_CitrixNoExports", .wfapi = L"double_wfapi_noexports.dll", .wfapiAnswer = kYes, .local = true},
    {.name = "D_CitrixNoFreeFunction", .wfapi = L"double_wfapi_nofree.dll", .wfapiAnswer = kYes, .local = true},
    {.name = "D_CitrixNotALibrary", .wfapi = kNotALibrary, .local = true},
    {.name = "D_CitrixNoAnswerThenHorizon", .wfapi = kWfapi, .wfapiAnswer = L"1 4 0", .vdp = kVdp,
     .vdpAnswer = kYes, .expected = 3, .wfapiLog = kWfLog, .vdpLog = kVdpLog},

    // E: Horizon, through a bridge double that is loaded and unloaded again.
    {.name = "E_Horizon", .vdp = kVdp, .vdpAnswer = kYes, .primeAfter = kE, .expected = 3,
     .vdpLog = kVdpLog},
    {.name = "E_HorizonNoFreeFunctionStillCounts", .vdp = L"double_vdpbridge_nofree.dll",
     .vdpAnswer = kYes, .primeAfter = kE, .expected = 3, .vdpLog = L"Q29/ffffffff;"},
    {.name = "E_HorizonFailedCall", .vdp = kVdp, .vdpAnswer = L"0 4 1", .vdpLog = kVdpLog, .local = true},

    // F: the cache answers whenever it names a type, in any letter case.
    {.name = "F_CachedLocal", .cached = Sz(L"Local"), .uuid = kEc2Uuid, .metadataUp = true,
     .cachedAfter = Sz(L"Local")},
    {.name = "F_CachedLocalUpperCase", .cached = Sz(L"LOCAL"), .uuid = kEc2Uuid,
     .metadataUp = true, .cachedAfter = Sz(L"LOCAL")},
    {.name = "F_CachedAwsLowerCase", .cached = Sz(L"aws"), .expected = 5, .cachedAfter = Sz(L"aws")},
    {.name = "F_CachedAnyType", .cached = Raw(REG_BINARY, std::wstring(L"ICA\0", 4)),
     .expected = 1, .cachedAfter = Raw(REG_BINARY, std::wstring(L"ICA\0", 4))},
    {.name = "F_UnknownNameRewrittenLocal", .cached = Sz(L"Citrix"), .local = true},
    {.name = "F_UnknownNameRewrittenAws", .cached = Sz(L"Citrix"), .uuid = kEc2Uuid,
     .metadataUp = true, .expected = 5, .uuidReads = 1, .metadataRequests = 1,
     .cachedAfter = Sz(L"AWS")},
    {.name = "F_ValueLongerThanBuffer",
     .cached = Raw(REG_SZ, std::wstring(L"Local\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22)), .local = true},
    {.name = "F_NoValueAws", .uuid = kEc2Uuid, .metadataUp = true, .expected = 5, .uuidReads = 1,
     .metadataRequests = 1, .cachedAfter = Sz(L"AWS")},
    {.name = "F_NoValueEc2MetadataDown", .uuid = kEc2Uuid, .local = true},
    {.name = "F_NoKeyNothingWritten", .cacheKey = false, .uuid = kEc2Uuid, .metadataUp = true,
     .expected = 5, .uuidReads = 1, .metadataRequests = 1},
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
    sharedfarlink::ScopedSessionFactsOverride factsOverride(facts);
    const wchar_t terminalServer[] = L"SYSTEM\\CurrentControlSet\\Control\\Terminal Server";
    ASSERT_TRUE(!c.glass || WriteRaw(HKEY_LOCAL_MACHINE, terminalServer, L"GlassSessionId", *c.glass));
    ASSERT_TRUE(!c.wfapi || vendors.Install(c.wfapi, L"wfapi.dll"));
    ASSERT_TRUE(!c.vdp || vendors.Install(c.vdp, L"vdp_rdpvcbridge.dll"));
    ::SetEnvironmentVariableW(L"FARLINK_WFAPI_ANSWER", c.wfapiAnswer);
    ::SetEnvironmentVariableW(L"FARLINK_VDP_ANSWER", c.vdpAnswer);
    ASSERT_TRUE(!c.cacheKey ||
                win::RegKey().Create(HKEY_CURRENT_USER, kCacheKey, KEY_READ) == ERROR_SUCCESS);
    ASSERT_TRUE(!c.cached || WriteRaw(HKEY_CURRENT_USER, kCacheKey, L"Server", *c.cached));
    FakeUuid uuid(c.uuid);
    sharedfarlink::ScopedProductUuidOverride uuidOverride(uuid);
    testing_support::LoopbackHttpServer metadata;
    ASSERT_TRUE(!c.metadataUp || metadata.Start());
    std::wstring origin = metadata.Url(L"");
    sharedfarlink::ScopedMetadataOriginOverride originOverride(origin.c_str());

    EXPECT_EQ(c.expected, sharedfarlink::ProbeSession());

    EXPECT_EQ(c.classes, facts.queried);
    EXPECT_TRUE(facts.live.empty()) << "terminal-services buffer not freed";
    EXPECT_EQ(0, facts.foreignFrees);
    EXPECT_EQ(c.wfapiLog, GetVariable(L"FARLINK_WFAPI_LOG"));
    EXPECT_EQ(c.vdpLog, GetVariable(L"FARLINK_VDP_LOG"));
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"wfapi.dll")) << "wfapi.dll left loaded";
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"vdp_rdpvcbridge.dll")) << "bridge left loaded";
    EXPECT_EQ(c.uuidReads, uuid.reads);
    EXPECT_EQ(c.metadataRequests, metadata.Requests());

    RawValue after{};
    win::RegKey key;
    DWORD bytes = 0;
    bool present = key.Open(HKEY_CURRENT_USER, kCacheKey, KEY_READ) == ERROR_SUCCESS &&
                   ::RegQueryValueExW(key.Get(), L"Server", nullptr, &after.type, nullptr, &bytes) == ERROR_SUCCESS;
    after.bytes.resize(bytes);
    if (present) ::RegQueryValueExW(key.Get(), L"Server", nullptr, &after.type, after.bytes.data(), &bytes);
    EXPECT_EQ(c.cachedAfter.has_value(), present);
    EXPECT_TRUE(!c.cachedAfter || !present || *c.cachedAfter == after) << "cache value differs";
}

INSTANTIATE_TEST_SUITE_P(Steps, SessionProbeTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ProbeCase>& info) {
                             return std::string(info.param.name);
                         });

// The two small conversions the session probe leans on: session-information
// buffers to numbers, and cached names to RemoteType values.
using sharedfarlink::BufferToInt;
using sharedfarlink::ParseRemoteType;

TEST(BufferToInt, ReadsOneTwoAndFourBytesOnly) {
    // 0xFF in every byte: the 1- and 2-byte sizes are unsigned, the 4-byte one is not.
    const std::uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    struct Row {
        DWORD bytes;
        bool converts;
        int value;
    };
    const Row rows[] = {{0, false, 0}, {1, true, 0xFF},  {2, true, 0xFFFF}, {3, false, 0},
                        {4, true, -1}, {5, false, 0}, {8, false, 0}};
    for (const Row& row : rows) {
        int value = 12345;
        EXPECT_EQ(row.converts, BufferToInt(ones, row.bytes, &value)) << row.bytes << " bytes";
        EXPECT_EQ(row.converts ? row.value : 12345, value) << row.bytes << " bytes";
    }
    int value = 7;
    EXPECT_FALSE(BufferToInt(nullptr, 4, &value));
    EXPECT_EQ(7, value);
}

TEST(ParseRemoteType, NamesInAnyCase) {
    struct Row {
        const wchar_t* text;
        int type;
    };
    const Row rows[] = {{L"Local", 0},  {L"ICA", 1},     {L"rdp", 2},      {L"HORIZON", 3},
                        {L"glass", 4},  {L"aWs", 5},     {L"Azure", 6},    {L"Disconnected", 100},
                        {L"", -1},      {L"Citrix", -1}, {L"Local ", -1},  {L"Loca", -1}};
    for (const Row& row : rows) EXPECT_EQ(row.type, ParseRemoteType(row.text)) << row.text;
    EXPECT_EQ(-1, ParseRemoteType(nullptr));
}

}  // namespace
