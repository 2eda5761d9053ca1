// The component model, the six components, the detector and CInstallSupport,
// against a scratch hive whose 32-bit view is kept apart, real files in the
// prefix, and real client processes for the scan.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <tuple>

#include "common/Fuzz.h"
#include "common/TestSeams.h"
#include "common/Testing.h"
#include "detection/AwsComponent.h"
#include "detection/CInstallSupport.h"
#include "detection/HorizonComponent.h"
#include "detection/IcaComponent.h"
#include "detection/IsWow64.h"
#include "detection/RdpComponent.h"
#include "detection/RdpGlassComponent.h"
#include "detection/RemoteBaseComponent.h"
#include "detection/RemoteComponentDetector.h"
#include "detection/RemoteComponentList.h"
#include "detection/RepairResult.h"
#include "detection/SessionCache.h"
#include "win/LooseRegistryReads.h"
#include "win/StrictRegistryReads.h"
#include "win/RegKey.h"

using namespace sharedfarlink;
using tst::kKelp;
using tst::kKelp32;

namespace {

const REGSAM v32 = KEY_WOW64_32KEY, v64 = KEY_WOW64_64KEY;
const wchar_t kCitrixInstallKey[] = L"Software\\Citrix\\Install\\ICA Client";

// "client registered dll", the three answers of a component or the detector.
std::string State(const IRemoteComponent& c, bool host = false) {
    return std::to_string(c.IsClientInstalled(host)) + " " + std::to_string(c.IsRegistered(host)) + " " +
           std::to_string(c.IsDllInstalled(host));
}
std::wstring Upper(std::wstring s) { return ::CharUpperW(&s[0]), s; }

class ScriptedComponent : public RemoteBaseComponent {
public:
    ScriptedComponent(TriState c, TriState f, TriState r) : c_(c), f_(f), r_(r) {}
    TriState IsClientInstalled(bool) const override { return c_; }
    TriState IsDllInstalled(bool) const override { return f_; }
    TriState IsRegistered(bool) const override { return r_; }
    TriState c_, f_, r_;
};

TEST(SharedRules, NeedsRepairOnlyForAZeroOfAnInstalledClientAndRepairResultsCombine) {
    const std::tuple<int, int, int, bool> cases[] = {  // client, files, registration -> repair
        {0, 0, 0, false}, {-1, 1, 1, false}, {1, 1, 1, false}, {-1, -1, -1, false},
        {-1, 0, 1, true}, {1, 1, 0, true},   {-1, -1, 0, true}, {1, 0, -1, true}};
    for (const auto& [client, files, registration, expected] : cases)
        EXPECT_EQ(ScriptedComponent(client, files, registration).UpdateState(false, L""), expected)
            << client << " " << files << " " << registration;
    // Any failure wins, then any repair.
    const std::pair<std::vector<TriState>, TriState> combined[] = {
        {{-1, 1, 0}, 0}, {{0, 1, -1}, 0}, {{-1, -1, 1}, 1}, {{-1, -1, -1}, -1}};
    for (const auto& [answers, expected] : combined) {
        TriState total = -1;
        for (TriState r : answers) total = CombineRepairResult(total, r);
        EXPECT_EQ(total, expected);
    }
}

// A scratch machine with this product installed.
class Machine : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(hive_.ViewsSplit()); }
    tst::ScratchHive hive_{L"Local", true};
    tst::Install install_;
};

TEST_F(Machine, RdpTestsTheFileTheKeyNamesInAnyCase) {
    install_.CreatePluginFiles();
    const std::wstring upper = Upper(install_.NativePath());
    const std::tuple<std::wstring, const char*, FaultKind> rows[] = {  // name, state, why
        {upper, "-1 1 1", FaultKind::None},
        {L"C:\\windows\\system32\\kernel32.dll", "-1 0 1", FaultKind::AddinKeyOtherFile},  // exists, but not ours
        {L"C:\\nowhere\\vcbrdp.dll", "-1 0 0", FaultKind::PluginFileMissing}};  // ours exists, this does not
    for (const auto& [name, state, why] : rows) {
        install_.WriteAddin(kKelp, name);
        if (install_.wow64) install_.WriteAddin(kKelp32, install_.X86Path());
        RdpComponent c;
        EXPECT_EQ(c.UpdateState(false, L""), name != upper);
        EXPECT_EQ(State(c), state);
        EXPECT_EQ(c.DescribeFault(false).kind, why);
        EXPECT_EQ(c.DescribeFault(false).path, why == FaultKind::None ? L"" : why == FaultKind::PluginFileMissing ? name
                                                : L"HKEY_CURRENT_USER\\" + std::wstring(kKelp));
    }
    install_.AsWow64();  // 64-bit Windows: without KELP32 nothing is registered
    install_.CreatePluginFiles();
    install_.WriteAddin(kKelp, install_.NativePath());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp32);
    RdpComponent c;
    EXPECT_TRUE(c.UpdateState(false, L""));
    EXPECT_EQ(State(c), "-1 0 1");
    EXPECT_EQ(c.DescribeFault(false).path, L"HKEY_CURRENT_USER\\" + std::wstring(kKelp32));
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kProductKey, L"Version", L""));
    EXPECT_TRUE(c.UpdateState(false, L""));
    EXPECT_EQ(c.DescribeFault(false).kind, FaultKind::VersionMissing);
}

TEST_F(Machine, InstallPathsVersionProductCodeAndRdpSupport) {
    CInstallSupport install;
    for (int pass = 0; pass < 2; ++pass, install_.AsWow64())  // 32-bit Windows: one folder for both
        EXPECT_EQ(install.ExpectedPluginPath(0) + install.ExpectedPluginPath(1),
                  install_.NativePath() + (install_.wow64 ? install_.X86Path() : install_.NativePath()));
    EXPECT_FALSE(install.IsRdpSupportDisabled());
    // "RDP Support": on only for a nonzero number of at most four bytes.
    install_.SetRdpSupport(0);
    EXPECT_TRUE(install.IsRdpSupportDisabled());
    ULONGLONG wide = 1;
    tst::SetRaw(HKEY_LOCAL_MACHINE, install_.VersionKey(), L"RDP Support", REG_QWORD, &wide, sizeof wide);
    EXPECT_TRUE(install.IsRdpSupportDisabled());
    // The installer writes the 64-bit view; a 32-bit process must not read Wow6432Node.
    const std::wstring key = std::wstring(tst::kProductKey) + L"\\8.1";
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kProductKey, L"Version", L"8.1", v32));
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, key, L"ProductCode", L"{32}", v32));
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, install_.VersionKey(), L"ProductCode", L"{64}", v64));
    install.RefreshVersion();
    EXPECT_EQ(install.Version(), install_.version);
    EXPECT_EQ(install.ReadProductCode(), L"{64}");
    // No version: the separators join and RDP counts as off.
    tst::DeleteValue(HKEY_LOCAL_MACHINE, tst::kProductKey, L"Version");
    CInstallSupport none;
    EXPECT_EQ(none.Version() + none.ReadProductCode(), L"");
    EXPECT_EQ(none.BuildPluginPath(true), L"C:\\Program Files (x86)\\Corvane\\Shared\\Farlink\\\\vcbrdp.dll");
    EXPECT_TRUE(none.IsRdpSupportDisabled());
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kProductKey, L"Version", install_.version));
    none.RefreshVersion();
    EXPECT_EQ(none.ReadProductCode(), L"{64}");
}

TEST_F(Machine, AddWritesKelpOn32BitWindowsBothOn64AndRewritesOnlyWhatDiffers) {
    CInstallSupport install;
    ASSERT_TRUE(install.RepairAddinRegistrations());
    EXPECT_EQ(install_.ReadName(kKelp), install_.NativePath());
    EXPECT_EQ(tst::GetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled"), 1u);
    EXPECT_EQ(tst::KeyExists(HKEY_CURRENT_USER, kKelp32), install_.wow64);
    install_.AsWow64();
    install_.WriteAddin(kKelp, Upper(install_.NativePath()), 1);
    install_.WriteAddin(kKelp32, install_.X86Path(), -1);
    ASSERT_TRUE(install.RepairAddinRegistrations());
    EXPECT_EQ(install_.ReadName(kKelp), install_.NativePath()) << "a case difference is rewritten";
    EXPECT_EQ(install_.ReadName(kKelp32) + std::to_wstring(tst::GetDword(HKEY_CURRENT_USER, kKelp32, L"View Enabled")),
              install_.X86Path() + L"1");
    // Any "View Enabled", even 0, makes a match that is left as it is.
    tst::SetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled", 0);
    ASSERT_TRUE(install.AddAddinRegistrations());
    EXPECT_EQ(tst::GetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled"), 0u);
    // A failed first write skips the second.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp32);
    install_.WriteAddin(kKelp, L"C:\\other\\vcbrdp.dll");
    tst::WriteBlockedKey blocked(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(blocked.Blocked());
    EXPECT_FALSE(install.RepairAddinRegistrations());
    EXPECT_EQ(install_.ReadName(kKelp), L"C:\\other\\vcbrdp.dll");
    EXPECT_FALSE(tst::KeyExists(HKEY_CURRENT_USER, kKelp32));
}

TEST_F(Machine, RemoveDeletesOnlyKeysNamingThisPlugin) {
    // No "RDP Support" on 32-bit Windows: KELP goes, KELP32 is not looked at.
    tst::DeleteValue(HKEY_LOCAL_MACHINE, install_.VersionKey(), L"RDP Support");
    install_.WriteAddin(kKelp, install_.NativePath());
    install_.WriteAddin(kKelp32, install_.NativePath());
    ASSERT_TRUE(CInstallSupport().RepairAddinRegistrations());
    EXPECT_EQ(std::make_pair(tst::KeyExists(HKEY_CURRENT_USER, kKelp), tst::KeyExists(HKEY_CURRENT_USER, kKelp32)),
              std::make_pair(false, true));
    install_.AsWow64();
    install_.SetRdpSupport(0);
    install_.WriteAddin(kKelp, install_.NativePath());
    install_.WriteAddin(kKelp32, install_.X86Path());
    ASSERT_TRUE(CInstallSupport().RepairAddinRegistrations());
    EXPECT_FALSE(tst::KeyExists(HKEY_CURRENT_USER, kKelp) || tst::KeyExists(HKEY_CURRENT_USER, kKelp32));
    // Another plug-in, and ours without "View Enabled", stay.
    install_.WriteAddin(kKelp, L"C:\\Other\\vcbrdp.dll");
    install_.WriteAddin(kKelp32, install_.X86Path(), -1);
    ASSERT_TRUE(CInstallSupport().RepairAddinRegistrations());
    EXPECT_TRUE(tst::KeyExists(HKEY_CURRENT_USER, kKelp) && tst::KeyExists(HKEY_CURRENT_USER, kKelp32));
}

TEST_F(Machine, CitrixReadsBothValuesInThe32BitView) {
    const std::wstring folder = tst::MakeScratchDir(L"citrix"), tooLong(260, L'x');
    ASSERT_TRUE(tst::CreateEmptyFile(folder + L"\\vcbica.dll"));
    const std::tuple<const char*, const wchar_t*, bool, REGSAM, const char*> cases[] = {
        // name, folder suffix (null: no InstallFolder), DriverName, view, state
        {"healthy", L"\\", true, v32, "1 1 1"},
        {"folder without separator", L"", true, v32, "1 1 0"},  // ...\citrixNvcbica.dll
        {"no DriverName", L"\\", false, v32, "1 0 1"},
        {"no client", nullptr, true, v32, "0 1 0"},
        {"64-bit view only", L"\\", true, v64, "0 0 0"},
        {"folder longer than 260 units", tooLong.c_str(), true, v32, "0 1 0"}};
    for (const auto& [name, suffix, driver, view, state] : cases) {
        SCOPED_TRACE(name);
        for (REGSAM v : {v32, v64}) tst::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Citrix", v);
        if (suffix) {
            ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, kCitrixInstallKey, L"InstallFolder", folder + suffix, view));
        }
        if (driver) {
            ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kCitrixModulesKey, L"DriverName", L"vcbica.dll", view));
        }
        const bool needsRepair = state[0] == '1' && std::strchr(state, '0');
        IcaComponent ica;
        EXPECT_EQ(ica.UpdateState(false, L""), needsRepair);
        EXPECT_EQ(State(ica), state);
        // No product code fails the repair before the installer is asked; a
        // client that is not installed is never repaired.
        EXPECT_EQ(ica.Repair(false, L""), needsRepair ? 0 : -1);
        if (!needsRepair) { EXPECT_EQ(ica.Repair(false, L"{6D1A3C25-0000-0000-0000-000000000001}"), -1); }
    }
    tst::RemoveTree(folder);
}

TEST_F(Machine, HorizonCountsOnlyNonzeroViewEnabledAndOnlyWithItsClientKey) {
    install_.CreatePluginFiles();
    install_.WriteAddin(kKelp, install_.NativePath(), 1);
    for (REGSAM view : {REGSAM(0), v64}) {  // no client key, or one in the wrong view
        if (view) { ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kHorizonClientKey, L"Version", L"8", view)); }
        HorizonComponent horizon;
        EXPECT_FALSE(horizon.UpdateState(false, L""));
        EXPECT_EQ(State(horizon) + " " + std::to_string(horizon.Repair(false, L"")), "0 0 0 -1") << view;
    }
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kHorizonClientKey, L"Version", L"8", v32));
    // The repair only wants the value to exist: with 0 it writes nothing and succeeds.
    for (int viewEnabled : {0, -1}) {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
        install_.WriteAddin(kKelp, install_.NativePath(), viewEnabled);
        HorizonComponent horizon;
        EXPECT_TRUE(horizon.UpdateState(false, L""));
        EXPECT_EQ(State(horizon) + " " + std::to_string(horizon.Repair(false, L"")), "1 0 1 1") << viewEnabled;
        EXPECT_EQ(tst::GetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled"), viewEnabled ? 1u : 0u);
        EXPECT_EQ(horizon.UpdateState(false, L""), viewEnabled == 0);
        EXPECT_EQ(horizon.IsRegistered(false), viewEnabled ? 1 : 0);
    }
}

// WorkSpaces: the client's command key and its "vchan_plugins" folder, and the
// host's Teradici plug-in key with its strict "dll" value. No product code is
// recorded, so the installer refuses every repair.
TEST_F(Machine, WorkSpacesClientFindsThePluginBesideTheRegisteredExecutable) {
    const std::wstring scratch = tst::MakeScratchDir(L"workspaces"), dir = scratch + L"\\Amazon WorkSpaces";
    const std::wstring plugins = dir + L"\\vchan_plugins", quoted = L"\"" + dir + L"\\workspaces.exe\" \"%1\"";
    enum { kPlugin, kEmpty, kNone, kFile };
    const std::tuple<const char*, std::wstring, int, const char*> cases[] = {
        // name, command (empty: no key), vchan_plugins, state
        {"quoted", quoted, kPlugin, "1 -1 1"}, {"unquoted", dir + L"\\workspaces.exe", kPlugin, "1 -1 1"},
        {"argument with a backslash", L"\"" + dir + L"\\workspaces.exe\" --log \"C:\\logs\"", kPlugin, "0 -1 0"},
        {"no plug-in", quoted, kEmpty, "1 -1 0"}, {"no folder", quoted, kNone, "0 -1 0"},
        {"a file instead", quoted, kFile, "0 -1 0"}, {"no command key", L"", kPlugin, "0 -1 0"}};
    for (const auto& [name, command, folder, state] : cases) {
        SCOPED_TRACE(name);
        tst::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\workspaces");
        tst::RemoveTree(plugins);
        if (!command.empty()) {
            ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kWorkSpacesCommandKey, nullptr, command));
        }
        if (folder == kFile) { ASSERT_TRUE(tst::CreateEmptyFile(plugins)); }
        if (folder == kPlugin) { ASSERT_TRUE(tst::CreateEmptyFile(plugins + L"\\vcbpco.dll")); }
        if (folder == kEmpty) ::SHCreateDirectoryExW(nullptr, plugins.c_str(), nullptr);
        const bool needsRepair = std::string(state) == "1 -1 0";
        AwsComponent aws;
        EXPECT_EQ(aws.UpdateState(false, L""), needsRepair);
        EXPECT_EQ(State(aws), state);
        EXPECT_EQ(aws.Repair(false, L""), needsRepair ? 0 : -1);
    }
    tst::RemoveTree(scratch);
}

TEST_F(Machine, WorkSpacesHostReadsAStrictDllValueInEitherView) {
    const std::wstring dir = tst::MakeScratchDir(L"pcoip"), plugin = dir + L"\\vcbpco.dll";
    ASSERT_TRUE(tst::CreateEmptyFile(plugin));
    auto set = [&](REGSAM view, const std::wstring& text, DWORD type = REG_SZ) {
        ASSERT_TRUE(tst::SetRaw(HKEY_LOCAL_MACHINE, tst::kTeradiciPluginKey, L"dll", type, text.c_str(),
                                DWORD(text.empty() ? 0 : (text.size() + 1) * 2), view));
    };
    ::SetEnvironmentVariableW(L"FARLINK_PCOIP_DIR", dir.c_str());
    const std::tuple<const char*, std::function<void()>, TriState, TriState> cases[] = {
        {"REG_SZ, 32-bit view", [&] { set(v32, plugin); }, 1, 1},
        // The 64-bit view is the default one except for a 32-bit process on 64-bit Windows.
        {"REG_SZ, 64-bit view only", [&] { set(v64, plugin); }, !install_.wow64, !install_.wow64},
        {"both views: the 32-bit one counts", [&] { set(v32, dir + L"\\gone.dll"), set(v64, plugin); }, 1, 0},
        {"REG_EXPAND_SZ unexpanded", [&] { set(v32, L"%FARLINK_PCOIP_DIR%\\vcbpco.dll", REG_EXPAND_SZ); }, 1, 0},
        {"empty", [&] { set(v32, L""); }, 1, 0},
        {"longer than 260 units", [&] { set(v32, std::wstring(300, L'x')); }, 0, 0},
        {"no key", [] {}, 0, 0}};
    for (const auto& [name, seed, registered, dll] : cases) {
        SCOPED_TRACE(name);
        for (REGSAM view : {v32, v64}) tst::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Teradici", view);
        seed();
        const bool needsRepair = registered == 0 || dll == 0;
        AwsComponent aws;
        EXPECT_EQ(aws.UpdateState(true, L""), needsRepair);
        EXPECT_EQ(State(aws, true), "-1 " + std::to_string(registered) + " " + std::to_string(dll));
        EXPECT_EQ(aws.Repair(true, L""), needsRepair ? 0 : -1);
    }
    ::SetEnvironmentVariableW(L"FARLINK_PCOIP_DIR", nullptr);
    tst::RemoveTree(dir);
}

// Every client installed: the detector lists each component with its own
// answers; the host side of all but WorkSpaces answers "does not apply".
TEST_F(Machine, AllSixChannelsOnBothSides) {
    const std::wstring dir = tst::MakeScratchDir(L"channels");
    install_.CreatePluginFiles();
    install_.WriteAddin(kKelp, install_.NativePath(), 1);
    if (install_.wow64) install_.WriteAddin(kKelp32, install_.X86Path(), 1);
    ASSERT_TRUE(tst::CreateEmptyFile(dir + L"\\vcbica.dll"));
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, kCitrixInstallKey, L"InstallFolder", dir + L"\\", v32));
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kCitrixModulesKey, L"DriverName", L"vcbica.dll", v32));
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kHorizonClientKey, L"Version", L"8", v32));
    ASSERT_TRUE(tst::CreateEmptyFile(dir + L"\\vchan_plugins\\vcbpco.dll"));
    ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kWorkSpacesCommandKey, nullptr, L"\"" + dir + L"\\workspaces.exe\" \"%1\""));
    auto enumerate = [](RemoteComponentDetector& detector) {
        std::string lines;
        for (bool first = true; detector.MoveNext(first, L"");)
            lines += std::to_string(detector.GetType()) + ": " + State(detector) + "|";
        return lines;
    };
    RemoteComponentDetector detector;
    EXPECT_EQ(enumerate(detector), "2: -1 1 1|1: 1 1 1|3: 1 1 1|5: 1 -1 1|4: 0 1 1|6: -1 1 1|");
    EXPECT_EQ(detector.Repair(false, L""), -1);
    // Citrix loses its module entry, WorkSpaces its plug-in: both need the
    // installer, and without a product code both repairs fail.
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, tst::kCitrixModulesKey, v32, 0);
    ::DeleteFileW((dir + L"\\vchan_plugins\\vcbpco.dll").c_str());
    EXPECT_EQ(enumerate(detector), "2: -1 1 1|1: 1 0 1|3: 1 1 1|5: 1 -1 0|4: 0 1 1|6: -1 1 1|");
    EXPECT_EQ(detector.Repair(false, L""), 0);

    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
    for (int type : {RemoteTypeRdp, RemoteTypeIca, RemoteTypeHorizon, RemoteTypeGlass, RemoteTypeAzure}) {
        ComponentHolder c, copy;
        ASSERT_TRUE(FindByType(type, c));
        EXPECT_FALSE(c->UpdateState(true, L""));
        EXPECT_EQ(State(*c, true) + " " + std::to_string(c->Repair(true, L"")), "-1 -1 -1 -1") << type;
        // Citrix reads its values on the host side too: they travel with a copy.
        ASSERT_TRUE(CloneComponent(type, *c, copy));
        if (type == RemoteTypeIca) { EXPECT_EQ(State(*copy), "1 0 1"); }
    }
    EXPECT_FALSE(tst::KeyExists(HKEY_CURRENT_USER, kKelp));
    tst::RemoveTree(dir);
}

// A 32-bit test program runs under WOW64 and meets the 64-bit doubles as the
// shipped server meets 64-bit clients; a 64-bit one is made to read every
// process that way.
struct ReadLikeWow64 {
    explicit ReadLikeWow64(bool on) { ReadModulesThroughCompanionForTesting(on && !SystemIsWow64()); }
    ~ReadLikeWow64() { ReadModulesThroughCompanionForTesting(false); }
};

// The scan over real processes: the client double under client names, with
// or without a DLL named like a plug-in; 64-bit clients as 32-bit ones.
TEST(ProcessScan, EachClientAttributedToItsComponentWithOrWithoutItsPlugin) {
    tst::ScratchHive hive;
    tst::ClientDoubles clients;
    const std::tuple<const wchar_t*, const wchar_t*, int, const wchar_t*, int> rows[] = {
        // exe, DLL loaded, type, its plug-in, loaded
        {L"mstsc.exe", L"vcbrdp.dll", RemoteTypeRdp, L"vcbrdp.dll", 1},
        {L"msrdc.exe", nullptr, RemoteTypeAzure, L"vcbrdp.dll", 0},
        {L"WORKSPACES.EXE", L"VcbPco.Dll", RemoteTypeAws, L"vcbpco.dll", 1},
        {L"WORKSPACES.EXE", L"vcbrdp.dll", RemoteTypeAws, L"vcbpco.dll", 0},  // not its own
        {L"wfica32.exe", L"vcbica.dll", RemoteTypeIca, L"vcbica.dll", 1},
        {L"vmware-remotemks.exe", L"vcbrdp.dll", RemoteTypeHorizon, L"vcbrdp.dll", 1}};
    for (bool x64 : {true, false}) {
        ReadLikeWow64 wow64(x64);
        RemoteComponentDetector detector;  // one throughout: every scan starts afresh
        for (const auto& [exe, loaded, type, plugin, dllLoaded] : rows) {
            SCOPED_TRACE(testing::Message() << exe << " with " << (loaded ? loaded : L"-") << (x64 ? ", 64-bit" : ""));
            clients.StopAll();
            ASSERT_TRUE(clients.Start(exe, loaded, x64));
            EXPECT_TRUE(detector.FindClientProcess());
            std::wstring dll;
            EXPECT_TRUE(detector.GetChannelDll(false, dll));
            EXPECT_EQ(std::make_tuple(detector.multipleClients, detector.GetType(), dll, detector.dllLoaded),
                      std::make_tuple(false, type, std::wstring(plugin), dllLoaded));
        }
        // A process that is no client does not count, whatever it loads.
        clients.StopAll();
        ASSERT_TRUE(clients.Start(L"notepad-like.exe", L"vcbrdp.dll", x64));
        EXPECT_FALSE(detector.FindClientProcess() || detector.multipleClients);
        // Two clients are no answer, whatever their kinds.
        ASSERT_TRUE(clients.Start(L"mstsc.exe", L"vcbrdp.dll", x64));
        ASSERT_TRUE(clients.Start(L"mstsc.exe", L"vcbrdp.dll"));
        EXPECT_FALSE(detector.FindClientProcess());
        EXPECT_EQ(std::make_tuple(detector.multipleClients, detector.GetType(), detector.dllLoaded),
                  std::make_tuple(true, int(RemoteTypeRdp), 1));
    }
}

// The companion starts with the first scan that needs it, serves the later
// ones and ends with its detector. Whatever else runs as the companion, a scan
// waits for it a bounded time, once, leaves none behind, and then sees no
// 64-bit client, as before there was a companion.
TEST(ProcessScan, OneCompanionPerDetectorAndOneThatFailsLeavesTheClientUnseen) {
    ReadLikeWow64 wow64(true);
    tst::ClientDoubles clients;
    {
        RemoteComponentDetector detector;
        EXPECT_FALSE(detector.FindClientProcess());  // nothing to read
        EXPECT_TRUE(tst::PidsOf(L"FarlinkScan64.exe").empty());
        ASSERT_TRUE(clients.Start(L"mstsc.exe", L"vcbrdp.dll", true));
        for (int scan = 0; scan < 2; ++scan) {
            EXPECT_TRUE(detector.FindClientProcess() && detector.dllLoaded == 1);
            EXPECT_EQ(tst::PidsOf(L"FarlinkScan64.exe").size(), 1u);
        }
    }
    EXPECT_TRUE(tst::PidsOf(L"FarlinkScan64.exe").empty());
    const std::wstring dir = tst::MakeScratchDir(L"companions"), hung = dir + L"\\hung-companion.exe";
    ::CopyFileW(tst::BesideExe(L"client_double.exe").c_str(), hung.c_str(), FALSE);  // never answers
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);  // hostname.exe answers with its own words
    ASSERT_TRUE(clients.Start(L"msrdc.exe", nullptr, true));
    for (const std::wstring& companion : {dir + L"\\FarlinkScan64.exe", std::wstring(system) + L"\\hostname.exe", hung}) {
        SCOPED_TRACE(testing::Message() << companion);
        ScopedOverride<const wchar_t> path(g_testCompanionPath, companion.c_str());
        RemoteComponentDetector detector;
        for (DWORD most : {9000u, 2000u}) {  // one wait of 5 s at most, then none
            const DWORD start = ::GetTickCount();
            EXPECT_FALSE(detector.FindClientProcess());
            EXPECT_LT(::GetTickCount() - start, most);
            EXPECT_EQ(std::make_tuple(detector.multipleClients, detector.GetType()), std::make_tuple(false, int(RemoteTypeNone)));
        }
        EXPECT_TRUE(tst::PidsOf(L"hung-companion.exe").empty());
    }
    clients.StopAll();
    tst::RemoveTree(dir);
}

// Seeded values of any type and length where the session cache lives, read by
// every rule: each answers what its rule makes of the bytes the registry holds.
TEST(RegistryReadsFuzz, EveryRuleAnswersWhatTheStoredBytesMake) {
    tst::Mutator mutator(2);
    tst::ScratchHive hive(nullptr);
    win::RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, tst::kCacheKey, KEY_ALL_ACCESS), ERROR_SUCCESS);
    auto show = [](bool found, const std::wstring& text) { return found ? L"[" + text + L"]" : std::wstring(L"-"); };
    const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_QWORD, REG_NONE};
    const std::string seeds[] = {std::string("L\0o\0c\0a\0l\0\0\0", 12), std::string("A\0W\0S\0", 6),
                                 std::string(520, 'x'), std::string(40, 'y'), std::string("\1\0\0\0", 4)};
    for (int round = 0, rounds = mutator.Rounds(2000); round < rounds; ++round) {
        std::string data = seeds[mutator.Below(5)];
        mutator.Mutate(data, data.size());
        data.resize(std::min<size_t>(data.size(), 600));
        const DWORD type = types[mutator.Below(7)], written = DWORD(data.size());
        data += "zz";  // Wine looks one unit past a string for a NUL to add
        ASSERT_EQ(::RegSetValueExW(key.Get(), L"Server", 0, type, (const BYTE*)data.data(), written), ERROR_SUCCESS);
        wchar_t stored[512] = {};
        DWORD n = sizeof stored, number = 0;
        ASSERT_EQ(::RegQueryValueExW(key.Get(), L"Server", nullptr, nullptr, (BYTE*)stored, &n), ERROR_SUCCESS);
        // What a zero-filled buffer of `bytes` holds, as text up to a NUL.
        auto text = [&](DWORD bytes) { return std::wstring(stored, ::wcsnlen(stored, bytes / 2)); };
        const bool strict = (type == REG_SZ || type == REG_EXPAND_SZ) && (n == 0 || (n % 2 == 0 && !stored[n / 2 - 1]));
        std::memcpy(&number, stored, std::min<DWORD>(n, 4));
        const std::wstring expected = show(strict && n <= 520, text(520)) + show(n <= 520, text(520)) +
            show(n <= 4, std::to_wstring(number)) + std::to_wstring(n <= 40 && text(40).size() < 20 ? ParseRemoteType(text(40).c_str()) : -1);
        std::wstring strictText, looseText;
        int cached = -1;
        const bool strictRead = win::ReadStrictString(key.Get(), L"Server", &strictText);
        const bool looseRead = win::ReadLooseString(key.Get(), L"Server", &looseText);
        const bool numberRead = win::ReadLooseDword(key.Get(), L"Server", &(number = 0));
        ReadCachedSessionType(&cached);
        EXPECT_EQ(show(strictRead, strictText) + show(looseRead, looseText) + show(numberRead, std::to_wstring(number)) +
                  std::to_wstring(cached), expected) << "round " << round << ", type " << type << ", " << n << " bytes";
        EXPECT_TRUE(win::LooseValueExists(key.Get(), L"Server"));
    }
}

}  // namespace
