// The server's parts in process: switches, registry scripts, the tester list,
// and the diagnostic log.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "FarlinkUI.h"
#include "common/Fuzz.h"
#include "common/Testing.h"
#include "server/CommandLine.h"
#include "server/Registration.h"
#include "com/RegistryScript.h"
#include "server/ServerLifetime.h"
#include "server/TesterList.h"
#include "support/DiagnosticLog.h"
#include "win/Bstr.h"
#include "win/ComApartment.h"
#include "com/ComObject.h"
#include "win/RegKey.h"

namespace {

using server::ServerSwitch;
using win::ComPtr;

TEST(CommandLine, SwitchParsingRules) {
    const ServerSwitch None = ServerSwitch::None, Reg = ServerSwitch::RegServer,
                       Unreg = ServerSwitch::UnregServer;
    const std::pair<const wchar_t*, ServerSwitch> cases[] = {
        {L"C:\\Farlink\\FarlinkUI.exe -Embedding", None}, {L"", None},
        // Both prefixes, any case.
        {L"x /RegServer", Reg}, {L"x -regserver", Reg}, {L"x /UNREGSERVER", Unreg},
        {L"x -uNrEgSeRvEr", Unreg}, {L"x /RegServerPerUser", ServerSwitch::RegServerPerUser},
        {L"x -unregserverperuser", ServerSwitch::UnregServerPerUser},
        // The word ends at a blank, a tab or the end of the text.
        {L"x /RegServer\tmore", Reg}, {L"x /RegServerX", None}, {L"x /RegServerPerUserX", None},
        {L"x /Reg", None},
        // The first switch wins.
        {L"x /UnregServer /RegServer", Unreg}, {L"x -RegServer -UnregServer", Reg},
        {L"x /RegServerX -UnregServer", Unreg},
        // A "-" or "/" in the path triggers nothing, unless a switch name follows.
        {L"C:\\my-tools/Farlink-UI\\FarlinkUI.exe", None}, {L"C:\\x-RegServer FarlinkUI.exe", Reg},
        {L"\"C:\\Program Files\\a-b\\FarlinkUI.exe\" -Embedding", None}, {L"x/regserver", Reg},
    };
    for (const auto& [commandLine, expected] : cases)
        EXPECT_EQ(server::ParseServerSwitch(commandLine), expected) << testing::PrintToString(std::wstring(commandLine));
    EXPECT_EQ(server::ParseServerSwitch(nullptr), None);
}

// Per user, so the scratch HKCU receives everything.
class RegistryScriptTest : public testing::Test {
protected:
    HRESULT Run(const wchar_t* script, com::ScriptMode mode = com::ScriptMode::Register) {
        return com::RunRegistryScript(script, kReplacements, mode, true);
    }
    static bool Exists(const std::wstring& key) {
        return tst::KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\" + key);
    }
    const std::vector<com::ScriptReplacement> kReplacements = {
        {L"MODULE", L"\"C:\\Program Files\\x.exe\""}, {L"MODULE_RAW", L"C:\\Program Files\\x.exe"}};
    tst::ScratchHive hive_;
};

const wchar_t kScript[] =
    L"HKCR\r\n{\r\n    NoRemove Parent\r\n    {\r\n"
    L"        ForceRemove {0A1B} = s 'Class ''quoted'''\r\n        {\r\n"
    L"            ForceRemove Programmable\r\n            Server = s '%Module%'\r\n"
    L"            {\r\n                val Raw = s '%MODULE_RAW% 100%%'\r\n            }\r\n"
    L"            Plain\r\n        }\r\n    }\r\n}\r\n";

TEST_F(RegistryScriptTest, MalformedScriptsAreRefusedBeforeAnyWriteAndAWellFormedOneApplies) {
    std::wstring deep = L"HKCR ";
    for (int i = 0; i < 200; ++i) deep += L"{ K ";
    const wchar_t* const malformed[] = {
        L"HKCR { Key = s 'unterminated }", L"HKCR { Key { Child }", L"HKCR { Key } }",
        L"HKCR { Key = d '1' }", L"HKCR { Key = s }", L"HKCR { Key = s '%UNKNOWN%' }",
        L"HKCR { Key = s '100%' }", L"HKCR { val = s 'x' }", L"HKCR { = s 'x' }", L"Nowhere { Key }",
        L"ForceRemove HKCR { Key }", L"HKCR = s 'x' { Key }", L"HKCR { Written } HKCR { Broken = }",
        deep.c_str()};
    for (const wchar_t* script : malformed)
        EXPECT_EQ(Run(script), com::kMalformedScript) << testing::PrintToString(std::wstring(script));
    EXPECT_FALSE(Exists(L"Written") || Exists(L"Key"));
    // The well-formed one applies; unregistering keeps what is NoRemove.
    ASSERT_EQ(Run(kScript), S_OK);
    EXPECT_EQ(tst::GetString(HKEY_CURRENT_USER, L"Software\\Classes\\Parent\\{0A1B}", nullptr), L"Class 'quoted'");
    ASSERT_EQ(Run(kScript, com::ScriptMode::Unregister), S_OK);
    EXPECT_TRUE(Exists(L"Parent") && !Exists(L"Parent\\{0A1B}"));
}

// A registration that fails halfway is undone. Here it fails at the type
// library, after the AppID and class scripts: an image mapped as data has no
// file name to register.
TEST_F(RegistryScriptTest, ARegistrationThatFailsHalfwayIsUndone) {
    HMODULE image = ::LoadLibraryExW(tst::ServerPath().c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(image);
    EXPECT_TRUE(FAILED(server::RegisterServer(image, true)));
    ::FreeLibrary(image);
    for (const wchar_t* key : {L"CLSID\\{5B0C2A71-3E94-4F1D-9A62-7C81D4E0B3A9}", L"CLSID\\{A3D6E514-0B7C-4E28-8F45-19C2B7D60E84}",
                               L"AppID\\{0F8A4C36-B21D-4E57-9C03-D5A76E1B2F48}"})
        EXPECT_FALSE(Exists(key)) << testing::PrintToString(std::wstring(key));
}

// Seeded mutations of the script above, per user or for the machine (HKCR
// mapped into the scratch hive too): each is refused or applied and undone,
// and the real HKCR, the one hive the fixture leaves alone, is not touched.
TEST_F(RegistryScriptTest, FuzzedScriptsAreRefusedOrAppliedInsideTheScratchHive) {
    tst::Mutator mutator(3);
    auto realClasses = [] {
        DWORD subkeys = 0, values = 0;
        FILETIME written = {};
        ::RegQueryInfoKeyW(HKEY_CLASSES_ROOT, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, &written);
        return std::vector<DWORD>{subkeys, values, written.dwLowDateTime, written.dwHighDateTime};
    };
    const std::vector<DWORD> before = realClasses();
    win::RegKey classesRoot;
    ASSERT_EQ(classesRoot.Create(HKEY_CURRENT_USER, L"Classes Root", KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, classesRoot.Get()), ERROR_SUCCESS);
    for (int round = 0, rounds = mutator.Rounds(2000); round < rounds; ++round) {
        std::wstring script = kScript;
        mutator.Mutate(script, script.size());
        const bool perUser = mutator.Below(2);
        const HRESULT hr = com::RunRegistryScript(script, kReplacements, com::ScriptMode::Register, perUser);
        EXPECT_EQ(HRESULT_FACILITY(hr), hr ? FACILITY_WIN32 : 0) << round << testing::PrintToString(script);
        if (hr == S_OK) { EXPECT_EQ(com::RunRegistryScript(script, kReplacements, com::ScriptMode::Unregister, perUser), S_OK) << round; }
    }
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    EXPECT_EQ(realClasses(), before);
}

// Answers GetName as told, counting calls and references.
class FakeTester final : public com::NoDispatch<IConnectionTester> {
public:
    explicit FakeTester(HRESULT nameResult) : nameResult_(nameResult) {}
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetName(BSTR* name) override {
        ++nameCalls;
        *name = nameResult_ == S_OK ? ::SysAllocString(L"fake") : nullptr;
        return nameResult_;
    }
    STDMETHODIMP GetRemoteAccessAuthorization(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP StartConnectionTest(ITestProgress*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumStatus(VARIANT_BOOL, IConnectionStatus**) override { return E_NOTIMPL; }
    STDMETHODIMP GetProductCode(BSTR*) override { return E_NOTIMPL; }
    ULONG refs = 1;
    int nameCalls = 0;

private:
    HRESULT nameResult_;
};

TEST(TesterList, ProbeSkipsFailuresAndDropsGoneClients) {
    FakeTester gone(server::kClientGone), failing(E_FAIL), alive(S_OK), alive2(S_OK);
    {
        server::TesterList list;
        ComPtr<IConnectionTester> found;
        EXPECT_FALSE(list.FindFirst(&found));
        for (FakeTester* t : {&gone, &failing, &alive, &gone, &alive2}) list.Add(t);
        ASSERT_TRUE(list.FindFirst(&found));
        EXPECT_EQ(found.Get(), &alive);
        // The gone client was dropped and its reference given back; the one
        // that merely failed stays.
        EXPECT_EQ(std::make_pair(list.Count(), gone.refs), std::make_pair(size_t(4), 2ul));
        ASSERT_TRUE(list.FindNext(&found));
        EXPECT_EQ(std::make_pair(list.Count(), found.Get()), std::make_pair(size_t(3), static_cast<IConnectionTester*>(&alive2)));
        EXPECT_FALSE(list.FindNext(&found));
        EXPECT_FALSE(list.FindNext(&found));  // past the end stays there
        ASSERT_TRUE(list.FindFirst(&found));
        EXPECT_EQ(found.Get(), &alive);
        EXPECT_EQ(std::make_pair(gone.nameCalls, failing.nameCalls), std::make_pair(2, 2));
    }
    for (FakeTester* t : {&gone, &failing, &alive, &alive2}) { EXPECT_EQ(t->refs, 1u); }
}

// A new log per server and its path are seen end to end (DialogTest).
TEST(DiagnosticLog, CrLfLinesInLatin1AndOnlyOnceOpened) {
    std::wstring dir = tst::MakeScratchDir(L"log"), path = dir + L"\\RemoteDesktop.txt";
    std::string many;
    {
        support::DiagnosticLog log;
        log.WriteLine(L"unopened");
        log.OpenAt(path);
        ASSERT_TRUE(log.IsOpen());
        // Outside Latin-1: one "?" each, and the log goes on.
        for (const wchar_t* line : {L"first", L"", L"caf\u00e9 \u00ff", L"\u0420\u0443\u0441 \u20ac\u0100", L"ch\r\n"})
            log.WriteLine(line);
        for (int i = 0; i < 2000; ++i) {  // past the buffer, every line arrives
            log.WriteLine(L"line " + std::to_wstring(i));
            many += "line " + std::to_string(i) + "\r\n";
        }
    }
    EXPECT_EQ(tst::ReadFileBytes(path), "first\r\n\r\ncaf\xe9 \xff\r\n??? ??\r\nch\r\r\n\r\n" + many);
    tst::RemoveTree(dir);
    support::DiagnosticLog failed;
    failed.OpenAt(L"Q:\\no\\such\\folder\\RemoteDesktop.txt");
    EXPECT_FALSE(failed.IsOpen());
    failed.WriteLine(L"dropped");
}

// At the idle mark of a server nobody used, the decision to leave and an
// activation exclude each other: an activation before it keeps the server
// until it lets go; one after it is refused, so no client ever gets an object
// of a server on its way out.
// The server's loop on a thread of its own. The object outlives the loop
// until the test lets go: an activation after the mark must find it stopped,
// not freed with the thread's stack.
struct IdleServer {
    std::atomic<server::ServerLifetime*> lifetime{nullptr};
    win::ScopedHandle ended{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    win::ScopedHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

DWORD WINAPI RunIdleServer(void* param) {
    auto* idle = static_cast<IdleServer*>(param);
    win::ComApartment apartment;
    server::ServerLifetime lifetime;  // on the thread that runs the loop
    idle->lifetime.store(&lifetime);
    HRESULT hr = lifetime.RunUntilUnlocked(250);
    ::SetEvent(idle->ended.Get());
    ::WaitForSingleObject(idle->done.Get(), INFINITE);
    return hr;
}

TEST(ServerLifetime, TheIdleMarkAndAnActivationExcludeEachOther) {
    for (DWORD activateAtMs : {100u, 450u}) {
        IdleServer idle;
        win::ScopedHandle loop(::CreateThread(nullptr, 0, RunIdleServer, &idle, 0, nullptr));
        while (!idle.lifetime.load()) ::Sleep(1);
        ::Sleep(activateAtMs);
        const bool locked = idle.lifetime.load()->TryLock();
        EXPECT_EQ(locked, activateAtMs < 250) << activateAtMs;
        const DWORD running = ::WaitForSingleObject(idle.ended.Get(), 400);
        EXPECT_EQ(running, locked ? DWORD(WAIT_TIMEOUT) : DWORD(WAIT_OBJECT_0)) << activateAtMs;
        if (running == WAIT_TIMEOUT) idle.lifetime.load()->Unlock();
        EXPECT_EQ(::WaitForSingleObject(idle.ended.Get(), 5000), DWORD(WAIT_OBJECT_0)) << activateAtMs;
        ::SetEvent(idle.done.Get());
        ::WaitForSingleObject(loop.Get(), 5000);
    }
}

// What ships (and so these tests) ends a logic error or a terminate through
// the unhandled-exception path, which leaves a crash report: not as a failed
// allocation, not as abort()'s silent exit code 3. The child is this program.
TEST(Runtime, LogicErrorsAndTerminateFailFastWithACrashReport) {
    wchar_t mode[16] = {};
    if (::GetEnvironmentVariableW(L"FARLINK_FAIL", mode, 16)) {
        if (std::wstring(mode) == L"logic") std::wstring(mode).substr(99);  // out of range
        std::terminate();
    }
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (auto [mode, code] : {std::pair(L"logic", 0xE0464C01u), std::pair(L"terminate", 0xE0464C02u)}) {
        ::SetEnvironmentVariableW(L"FARLINK_FAIL", mode);
        std::string out;
        EXPECT_EQ(tst::RunAndWait(tst::Quote(self) + L" --gtest_filter=Runtime.*", 60000, &out), code) << out;
    }
    ::SetEnvironmentVariableW(L"FARLINK_FAIL", nullptr);
}

}  // namespace
