// The session probe's decision table and the cloud instance probe. Facts Wine
// cannot present come from a fake; the registry is a scratch hive; the Citrix
// and VMware libraries are DLL doubles bound by the real code; the product
// UUID is faked and the metadata request goes to a server on 127.0.0.1.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>
#include <urlmon.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

#include "common/Testing.h"
#include "detection/CAwsSupport.h"
#include "common/TestSeams.h"
#include "detection/CloudProbeSeams.h"
#include "detection/RemoteType.h"
#include "detection/SessionBuffer.h"
#include "detection/SessionProbe.h"
#include "win/RegKey.h"

namespace {

// Answers every request with "200 {}", not cacheable (the URL moniker would
// answer a repeated URL from its cache). Before Start(), Url() names a port
// that is bound but not listening.
class LoopbackHttpServer {
public:
    LoopbackHttpServer() {
        static const bool started = [] { WSADATA d; return ::WSAStartup(MAKEWORD(2, 2), &d) == 0; }();
        listener_ = started ? ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackHttpServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        ::closesocket(listener_);
    }
    bool Start() {
        if (::listen(listener_, 4) != 0) return false;
        thread_ = std::thread([this] { Serve(); });
        return true;
    }
    std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }
    int Requests() const { return requests_; }
    std::string firstLine;

private:
    void Serve() {
        while (!stop_) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(listener_, &readable);
            timeval wait = {0, 50 * 1000};  // short, so the destructor is seen promptly
            if (::select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
            SOCKET client = ::accept(listener_, nullptr, nullptr);
            DWORD timeout = 2000;  // a silent client cannot hold up the destructor
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
            std::string head;
            char buffer[1024];
            for (int n = 1; n > 0 && head.find("\r\n\r\n") == std::string::npos;)
                if ((n = ::recv(client, buffer, sizeof buffer, 0)) > 0) head.append(buffer, n);
            const char response[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nCache-Control: no-store, "
                                    "no-cache\r\nPragma: no-cache\r\nConnection: close\r\n\r\n{}";
            if (!head.empty() && requests_++ == 0) firstLine = head.substr(0, head.find("\r\n"));
            if (!head.empty()) ::send(client, response, sizeof response - 1, 0);
            ::closesocket(client);
        }
    }
    SOCKET listener_;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

// The URL moniker reads the proxy settings once, at its first request: made
// here, before a scratch hive can hide the prefix's (a dead proxy for all but
// 127.0.0.1), so no request can leave the machine directly.
class ProxySettingsFirst : public testing::Environment {
    void SetUp() override {
        IStream* stream = nullptr;
        if (SUCCEEDED(::URLOpenBlockingStreamW(nullptr, (LoopbackHttpServer().Url() + L"/").c_str(), &stream, 0, nullptr)))
            stream->Release();
    }
};
testing::Environment* const kProxy = testing::AddGlobalTestEnvironment(new ProxySettingsFirst);

// A product UUID source with a fixed answer (null: no text) that counts reads.
class FakeUuid : public sharedfarlink::ProductUuidSource {
public:
    explicit FakeUuid(const wchar_t* text, HRESULT hr = S_OK) : text_(text), hr_(hr) {}
    HRESULT ReadProductUuid(VARIANT* uuid) override {
        ++reads;
        if (SUCCEEDED(hr_) && text_) uuid->vt = VT_BSTR, uuid->bstrVal = ::SysAllocString(text_);
        return hr_;
    }
    int reads = 0;

private:
    const wchar_t* text_;
    HRESULT hr_;
};

constexpr int kProtocol = 16, kState = 8, kRemote = 29;  // WTS information classes
const wchar_t kPlainUuid[] = L"4C4C4544-0032-3010-8044-B2C04F4D3632";
const wchar_t kEc2Uuid[] = L"EC2A1F3B-97C4-5E1D-0B22-3F0D8C6A7B11";
const wchar_t kYes[] = L"1 4 1";  // a double's answer: result, bytes, value
const wchar_t kWfapi[] = L"double_wfapi.dll";
const wchar_t kVdp[] = L"double_vdpbridge.dll";
const wchar_t* const kDoubleVariables[] = {L"FARLINK_WFAPI_ANSWER", L"FARLINK_WFAPI_LOG",
                                           L"FARLINK_VDP_ANSWER", L"FARLINK_VDP_LOG"};

struct TerminalAnswer {
    BOOL result;
    int bytes;  // -1: no buffer
    std::uint32_t value;
};
TerminalAnswer Buffer(int bytes, std::uint32_t value, BOOL result = TRUE) { return {result, bytes, value}; }

// Records the classes asked and checks every buffer handed out comes back.
class FakeSessionFacts : public sharedfarlink::SessionFacts {
public:
    int metric = 0;
    std::map<int, TerminalAnswer> answers;  // missing: the query fails
    BOOL sessionIdResult = TRUE;
    std::vector<int> queried;
    std::set<void*> live;
    int foreignFrees = 0;

    int RemoteSessionMetric() override { return metric; }
    BOOL QueryTerminalSession(WTS_INFO_CLASS infoClass, LPWSTR* buffer, DWORD* byteCount) override {
        queried.push_back(infoClass);
        auto found = answers.find(infoClass);
        if (found == answers.end()) return FALSE;
        if (found->second.bytes >= 0) {
            BYTE* data = new BYTE[std::max(found->second.bytes, 4)]();
            std::memcpy(data, &found->second.value, 4);
            live.insert(data);
            *buffer = reinterpret_cast<LPWSTR>(data);
            *byteCount = DWORD(found->second.bytes);
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

std::wstring Variable(const wchar_t* name) {
    std::wstring value(32767, L'\0');
    value.resize(::GetEnvironmentVariableW(name, &value[0], 32767));
    return value;
}

struct RawValue {
    DWORD type;
    std::wstring data;  // the bytes, two per unit; an odd count is not needed
    bool operator==(const RawValue& o) const { return type == o.type && data == o.data; }
};
RawValue Sz(const wchar_t* text) { return {REG_SZ, std::wstring(text) + L'\0'}; }
RawValue Dword(DWORD value) { return {REG_DWORD, std::wstring(reinterpret_cast<const wchar_t*>(&value), 2)}; }

enum Step { kNone = -1, kA, kB, kC, kD, kE, kF };

struct ProbeCase {
    const char* name;
    int metric = 0;
    std::map<int, TerminalAnswer> terminal = {};
    BOOL sessionIdOk = TRUE;
    std::optional<RawValue> glass = {};  // GlassSessionId; the process runs in session 1
    const wchar_t* wfapi = nullptr;      // the double put in place as wfapi.dll ("": not a library)
    const wchar_t* wfapiAnswer = nullptr;
    const wchar_t* vdp = nullptr;        // ... as vdp_rdpvcbridge.dll
    const wchar_t* vdpAnswer = nullptr;
    bool cacheKey = true;
    std::optional<RawValue> cached = {};
    const wchar_t* uuid = kPlainUuid;
    bool metadataUp = false;
    // Every later step is set up to find something where the row leaves it
    // open, so a step that runs when it must not shows.
    Step primeAfter = kNone;
    int expected = 0;
    std::vector<int> classes = {kRemote};  // terminal-services classes asked, in order
    std::wstring wfapiLog = {}, vdpLog = {};
    int uuidReads = 0, metadataRequests = 0;
    std::optional<RawValue> cachedAfter = {};
    bool local = false;  // nothing answered: one cloud check, no EC2, "Local" cached
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

const std::wstring kWfLog = L"Q4/ffffffff;F;", kVdpLog = L"Q29/ffffffff;F;";

const ProbeCase kCases[] = {
    // A: inside a remote session the client protocol alone decides.
    {.name = "A_Rdp", .metric = 1, .terminal = {{kProtocol, Buffer(2, 2)}}, .primeAfter = kA, .expected = 2, .classes = {kProtocol}},
    {.name = "A_Ica", .metric = 1, .terminal = {{kProtocol, Buffer(4, 1)}}, .primeAfter = kA, .expected = 1, .classes = {kProtocol}},
    {.name = "A_Disconnected", .metric = 1, .terminal = {{kProtocol, Buffer(2, 0)}, {kState, Buffer(4, 4)}},
     .primeAfter = kA, .expected = 100, .classes = {kProtocol, kState}},
    {.name = "A_ConsoleActive", .metric = 1, .terminal = {{kProtocol, Buffer(2, 0)}, {kState, Buffer(4, 0)}},
     .primeAfter = kA, .classes = {kProtocol, kState}},
    {.name = "A_ResultIgnoredBufferCounts", .metric = 1, .terminal = {{kProtocol, Buffer(2, 2, FALSE)}},
     .primeAfter = kA, .expected = 2, .classes = {kProtocol}},
    {.name = "A_ProtocolOddSize", .metric = 1, .terminal = {{kProtocol, Buffer(3, 0)}, {kState, Buffer(4, 4)}},
     .primeAfter = kA, .classes = {kProtocol}},
    {.name = "A_NoProtocolBuffer", .metric = 1, .terminal = {{kProtocol, Buffer(-1, 0)}}, .primeAfter = kA, .classes = {kProtocol}},
    // B: the remote flag.
    {.name = "B_RemoteFlag", .terminal = {{kRemote, Buffer(4, 1)}}, .primeAfter = kB, .expected = 2},
    {.name = "B_FailedCallDoesNotCount", .terminal = {{kRemote, Buffer(4, 1, FALSE)}}, .local = true},
    {.name = "B_FlagZero", .terminal = {{kRemote, Buffer(4, 0)}}, .local = true},
    // C: Glass is a session other than the recorded one, of any type but 4 bytes.
    {.name = "C_GlassIdDiffers", .glass = Dword(2), .primeAfter = kC, .expected = 4},
    {.name = "C_GlassIdEqual", .glass = Dword(1), .local = true},
    {.name = "C_GlassIdAnyType", .glass = RawValue{REG_BINARY, std::wstring(L"\x7\0", 2)}, .expected = 4},
    {.name = "C_GlassIdShortIsAbsent", .glass = RawValue{REG_BINARY, std::wstring(L"\x7", 1)}, .local = true},
    {.name = "C_NoSessionId", .sessionIdOk = FALSE, .glass = Dword(2), .local = true},
    // D: Citrix, through the real binding of a wfapi.dll double.
    {.name = "D_Citrix", .wfapi = kWfapi, .wfapiAnswer = kYes, .primeAfter = kD, .expected = 1, .wfapiLog = kWfLog},
    {.name = "D_CitrixFailedCallFreesBuffer", .wfapi = kWfapi, .wfapiAnswer = L"0 4 1", .wfapiLog = kWfLog, .local = true},
    {.name = "D_CitrixNoFreeFunction", .wfapi = L"double_wfapi_nofree.dll", .wfapiAnswer = kYes, .local = true},
    {.name = "D_CitrixNoAnswerThenHorizon", .wfapi = kWfapi, .wfapiAnswer = L"1 4 0", .vdp = kVdp,
     .vdpAnswer = kYes, .expected = 3, .wfapiLog = kWfLog, .vdpLog = kVdpLog},
    // E: Horizon, through a bridge double that is loaded and unloaded again.
    {.name = "E_Horizon", .vdp = kVdp, .vdpAnswer = kYes, .primeAfter = kE, .expected = 3, .vdpLog = kVdpLog},
    {.name = "E_HorizonNoFreeFunctionStillCounts", .vdp = L"double_vdpbridge_nofree.dll", .vdpAnswer = kYes,
     .primeAfter = kE, .expected = 3, .vdpLog = L"Q29/ffffffff;"},
    {.name = "E_HorizonFailedCall", .vdp = kVdp, .vdpAnswer = L"0 4 1", .vdpLog = kVdpLog, .local = true},
    // F: the cache answers whenever it names a type, in any letter case.
    {.name = "F_CachedLocalUpperCase", .cached = Sz(L"LOCAL"), .uuid = kEc2Uuid, .metadataUp = true, .cachedAfter = Sz(L"LOCAL")},
    {.name = "F_CachedAwsLowerCase", .cached = Sz(L"aws"), .expected = 5, .cachedAfter = Sz(L"aws")},
    {.name = "F_UnknownNameRewrittenLocal", .cached = Sz(L"Citrix"), .local = true},
    {.name = "F_UnknownNameRewrittenAws", .cached = Sz(L"Citrix"), .uuid = kEc2Uuid, .metadataUp = true,
     .expected = 5, .uuidReads = 1, .metadataRequests = 1, .cachedAfter = Sz(L"AWS")},
    {.name = "F_NoValueAws", .uuid = kEc2Uuid, .metadataUp = true, .expected = 5, .uuidReads = 1,
     .metadataRequests = 1, .cachedAfter = Sz(L"AWS")},
    {.name = "F_NoValueEc2MetadataDown", .uuid = kEc2Uuid, .local = true},
    {.name = "F_NoKeyNothingWritten", .cacheKey = false, .uuid = kEc2Uuid, .metadataUp = true, .expected = 5,
     .uuidReads = 1, .metadataRequests = 1},
};

class SessionProbeTable : public testing::TestWithParam<ProbeCase> {};

TEST_P(SessionProbeTable, Decides) {
    ProbeCase c = GetParam();
    if (c.local) c.uuidReads = 1, c.cachedAfter = Sz(L"Local");
    if (c.primeAfter < kB && c.primeAfter != kNone && !c.terminal.count(kRemote)) c.terminal[kRemote] = Buffer(4, 1);
    if (c.primeAfter != kNone && c.primeAfter < kC && !c.glass) c.glass = Dword(2);
    if (c.primeAfter != kNone && c.primeAfter < kD && !c.wfapi) c.wfapi = kWfapi, c.wfapiAnswer = kYes;
    if (c.primeAfter != kNone && c.primeAfter < kE && !c.vdp) c.vdp = kVdp, c.vdpAnswer = kYes;
    if (c.primeAfter != kNone && !c.cached) c.uuid = kEc2Uuid, c.metadataUp = true;

    tst::ScratchHive hive(nullptr);
    // The doubles go under their vendor names into a folder on PATH, where an
    // installer may put them. The current directory holds planted copies of
    // both, which must never load.
    const std::wstring vendors = tst::MakeScratchDir(L"vendor"), planted = tst::MakeScratchDir(L"planted");
    const std::wstring marker = planted + L"\\loaded.txt", path = Variable(L"PATH");
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(planted.c_str());
    ::SetEnvironmentVariableW(L"PATH", (L"relative-dir;" + vendors + L";" + path).c_str());
    ::SetEnvironmentVariableW(L"FARLINK_DOUBLE_MARKER", marker.c_str());
    for (const wchar_t* name : kDoubleVariables) ::SetEnvironmentVariableW(name, nullptr);
    for (auto [built, double_, vendorName] : {std::tuple(c.wfapi, kWfapi, L"\\wfapi.dll"), std::tuple(c.vdp, kVdp, L"\\vdp_rdpvcbridge.dll")}) {
        ASSERT_TRUE(::CopyFileW(tst::BesideExe(double_).c_str(), (planted + vendorName).c_str(), FALSE));
        if (built) { ASSERT_TRUE(*built ? ::CopyFileW(tst::BesideExe(built).c_str(), (vendors + vendorName).c_str(), FALSE)
                                        : tst::CreateEmptyFile(vendors + vendorName)); }
    }
    FakeSessionFacts facts;
    facts.metric = c.metric, facts.answers = c.terminal, facts.sessionIdResult = c.sessionIdOk;
    sharedfarlink::ScopedOverride<sharedfarlink::SessionFacts> factsOverride(sharedfarlink::g_testSessionFacts, &facts);
    const wchar_t terminalServer[] = L"SYSTEM\\CurrentControlSet\\Control\\Terminal Server";
    auto setRaw = [](const wchar_t* key, const wchar_t* name, const RawValue& v) {
        return tst::SetRaw(key == tst::kCacheKey ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, key, name, v.type,
                           v.data.data(), DWORD(v.data.size() * 2));
    };
    if (c.glass) { ASSERT_TRUE(setRaw(terminalServer, L"GlassSessionId", *c.glass)); }
    ::SetEnvironmentVariableW(L"FARLINK_WFAPI_ANSWER", c.wfapiAnswer);
    ::SetEnvironmentVariableW(L"FARLINK_VDP_ANSWER", c.vdpAnswer);
    if (c.cacheKey) { ASSERT_EQ(win::RegKey().Create(HKEY_CURRENT_USER, tst::kCacheKey, KEY_READ), ERROR_SUCCESS); }
    if (c.cached) { ASSERT_TRUE(setRaw(tst::kCacheKey, L"Server", *c.cached)); }
    FakeUuid uuid(c.uuid);
    sharedfarlink::ScopedOverride<sharedfarlink::ProductUuidSource> uuidOverride(sharedfarlink::g_testUuidSource, &uuid);
    LoopbackHttpServer metadata;
    ASSERT_TRUE(!c.metadataUp || metadata.Start());
    const std::wstring origin = metadata.Url();
    sharedfarlink::ScopedOverride<const wchar_t> originOverride(sharedfarlink::g_testMetadataOrigin, origin.c_str());

    EXPECT_EQ(c.expected, sharedfarlink::ProbeSession());

    EXPECT_EQ(c.classes, facts.queried);
    EXPECT_EQ(std::make_pair(facts.live.size(), facts.foreignFrees), std::make_pair(size_t(0), 0)) << "buffers freed";
    EXPECT_EQ(c.wfapiLog, Variable(L"FARLINK_WFAPI_LOG"));
    EXPECT_EQ(c.vdpLog, Variable(L"FARLINK_VDP_LOG"));
    EXPECT_FALSE(::GetModuleHandleW(L"wfapi.dll") || ::GetModuleHandleW(L"vdp_rdpvcbridge.dll")) << "left loaded";
    EXPECT_EQ(std::make_pair(c.uuidReads, c.metadataRequests), std::make_pair(uuid.reads, metadata.Requests()));
    wchar_t data[64] = {};
    DWORD type = 0, bytes = sizeof data;
    win::RegKey key;
    std::optional<RawValue> after;
    if (key.Open(HKEY_CURRENT_USER, tst::kCacheKey, KEY_READ) == ERROR_SUCCESS &&
        ::RegQueryValueExW(key.Get(), L"Server", nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) == ERROR_SUCCESS)
        after = RawValue{type, std::wstring(data, bytes / 2)};
    EXPECT_TRUE(c.cachedAfter == after);
    const std::string loaded = tst::ReadFileBytes(marker);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(loaded.data()), loaded.size() / 2).find(planted),
              std::wstring::npos) << "a planted library was loaded";
    ::SetCurrentDirectoryW(previous);
    ::SetEnvironmentVariableW(L"PATH", path.c_str());
    ::SetEnvironmentVariableW(L"FARLINK_DOUBLE_MARKER", nullptr);
    tst::RemoveTree(vendors);
    tst::RemoveTree(planted);
}

INSTANTIATE_TEST_SUITE_P(Steps, SessionProbeTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.name); });

TEST(SessionConversions, BufferSizesAndCachedNames) {
    // 0xFF in every byte: the 1- and 2-byte sizes are unsigned, the 4-byte one is not.
    const std::uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const std::tuple<DWORD, bool, int> sizes[] = {{0, false, 0}, {1, true, 0xFF}, {2, true, 0xFFFF}, {3, false, 0},
                                                  {4, true, -1}, {5, false, 0},   {8, false, 0}};
    for (const auto& [bytes, converts, expected] : sizes) {
        int value = 12345;
        EXPECT_EQ(converts, sharedfarlink::BufferToInt(ones, bytes, &value)) << bytes;
        EXPECT_EQ(converts ? expected : 12345, value) << bytes;
    }
    int value = 7;
    EXPECT_TRUE(!sharedfarlink::BufferToInt(nullptr, 4, &value) && value == 7);
    for (auto [text, type] : {std::pair<const wchar_t*, int>(L"aWs", 5), {L"Disconnected", 100}, {L"Local ", -1}, {nullptr, -1}})
        EXPECT_EQ(type, sharedfarlink::ParseRemoteType(text)) << (text ? text : L"(null)");
}

TEST(CloudProbe, Ec2UuidAndReachableMetadataMakeAws) {
    const HRESULT kWmiFailure = static_cast<HRESULT>(0x80041001);
    const std::tuple<const wchar_t*, HRESULT, int, bool, bool> rows[] = {
        // uuid (null: no text), read result, CheckEc2Uuid, metadata served, AWS
        {kEc2Uuid, S_OK, 0, true, true},     {kEc2Uuid, S_OK, 0, false, false},
        {L"EC2", S_OK, 0, true, true},       {L"ec2a1f3b-97c4-5e1d-0b22-3f0d8c6a7b11", S_OK, 1, true, false},
        {L" EC2", S_OK, 1, true, false},     {L"EC", S_OK, 1, true, false}, {nullptr, S_OK, 1, true, false},
        {L"EC2", kWmiFailure, int(kWmiFailure), true, false}};
    for (const auto& [text, hr, check, served, aws] : rows) {
        SCOPED_TRACE(text ? text : L"(no text)");
        FakeUuid uuid(text, hr);
        sharedfarlink::ScopedOverride<sharedfarlink::ProductUuidSource> uuidOverride(sharedfarlink::g_testUuidSource, &uuid);
        LoopbackHttpServer server;
        ASSERT_TRUE(!served || server.Start());
        const std::wstring origin = server.Url();
        sharedfarlink::ScopedOverride<const wchar_t> originOverride(sharedfarlink::g_testMetadataOrigin, origin.c_str());
        EXPECT_EQ(check, sharedfarlink::CAwsSupport().CheckEc2Uuid());
        EXPECT_EQ(0, server.Requests());
        EXPECT_EQ(aws, sharedfarlink::CAwsSupport().IsAwsInstance());
        EXPECT_EQ(aws ? 1 : 0, server.Requests());
        if (aws) { EXPECT_EQ("GET /latest/dynamic/instance-identity/document HTTP/1.1", server.firstLine); }
    }
}

}  // namespace
