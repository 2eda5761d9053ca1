// The component list, the rules every component shares, the detector over
// real session probes (the per-user cache decides under Wine), the Remote
// Desktop family over real add-in keys and plug-in files, and CInstallSupport
// against a scratch registry and real files in the prefix.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "common/RegistryOverride.h"
#include "shared/Farlink/CInstallSupport.h"
#include "shared/Farlink/RdpComponent.h"
#include "shared/Farlink/RdpGlassComponent.h"
#include "shared/Farlink/RemoteBaseComponent.h"
#include "shared/Farlink/RemoteComponentDetector.h"
#include "shared/Farlink/RemoteComponentList.h"
#include "shared/Farlink/RepairResult.h"
#include "shared/InstallFixture.h"
#include "shared/WriteBlockedKey.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

// The component list's lookups, and the rules every component and the
// detector share.
TEST(ComponentList, ProcessNamesMatchWithoutCaseAndListOrderBreaksTies) {
    const std::tuple<bool, const wchar_t*, int> rows[] = {  // host side, name, type (-1: none)
        {false, L"MSTSC.EXE", RemoteTypeRdp},  // Glass has the same client
        {false, L"msrdc.exe", RemoteTypeAzure},
        {false, L"WorkSpaces.exe", RemoteTypeAws},
        {true, L"PCOIP_SERVER_WIN32.EXE", RemoteTypeAws},  // the only host-side name
        {true, L"mstsc.exe", -1},
        {true, L"", -1},
        {false, L"", -1},
        {false, L"mstsc", -1},
    };
    ComponentHolder c;
    for (const auto& [host, name, type] : rows) {
        const IRemoteComponent* before = c.get();
        EXPECT_EQ(FindByProcessName(host, name, c), type != -1) << name;
        EXPECT_EQ(type != -1 ? c->GetType() : -1, type) << name;
        EXPECT_TRUE(type != -1 || c.get() == before) << name;
    }
    ASSERT_TRUE(FindByType(RemoteTypeGlass, c));
    const IRemoteComponent* before = c.get();
    for (int type : {-1, 0, 7, 100}) {
        EXPECT_FALSE(FindByType(type, c)) << type;
        EXPECT_FALSE(CloneComponent(type, GetComponentList().At(0), c)) << type;
    }
    EXPECT_EQ(c.get(), before);
}

// A component whose three queries answer what the test says.
class ScriptedComponent : public RemoteBaseComponent {
public:
    ScriptedComponent(TriState client, TriState files, TriState registration)
        : client_(client), files_(files), registration_(registration) {}
    TriState IsClientInstalled(bool) const override { return client_; }
    TriState IsDllInstalled(bool) const override { return files_; }
    TriState IsRegistered(bool) const override { return registration_; }

private:
    TriState client_, files_, registration_;
};

TEST(NeedsRepairRule, OnlyAZeroFromFilesOrRegistrationOfAnInstalledClient) {
    // {client, files, registration} -> needs repair
    const std::tuple<int, int, int, bool> cases[] = {
        {0, 0, 0, false},   {-1, 1, 1, false}, {1, 1, 1, false},  {-1, -1, -1, false},
        {-1, 0, 1, true},   {1, 1, 0, true},   {-1, -1, 0, true}, {1, 0, -1, true},
    };
    for (const auto& [client, files, registration, expected] : cases) {
        ScriptedComponent c(client, files, registration);
        EXPECT_EQ(c.UpdateState(false, L""), expected)
            << client << " " << files << " " << registration;
    }
}

TEST(RepairCombination, AnyFailureWinsThenAnyRepair) {
    auto combine = [](std::initializer_list<TriState> answers) {
        TriState total = -1;
        for (TriState r : answers) total = CombineRepairResult(total, r);
        return total;
    };
    EXPECT_EQ(combine({-1, 1, 0}), 0);
    EXPECT_EQ(combine({0, 1, -1}), 0);
    EXPECT_EQ(combine({-1, -1, 1}), 1);
    EXPECT_EQ(combine({-1, -1, -1}), -1);
}

// The detector over real session probes (the per-user cache decides under
// Wine) and the real registry.
TEST(DetectorEnumeration, LocalListsAllSixRemoteOnlyItsOwnDisconnectedNone) {
    const struct {
        const wchar_t* session;
        int sessionType;
        std::vector<int> types;
    } rows[] = {
        {L"Local", -1, {2, 1, 3, 5, 4, 6}},
        {L"rdp", RemoteTypeRdp, {RemoteTypeRdp}},
        {L"Disconnected", RemoteTypeDisconnected, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.session);
        SeededRegistry registry(row.session);
        RemoteComponentDetector detector;
        EXPECT_EQ(detector.inRemoteSession, row.sessionType != -1);
        EXPECT_EQ(detector.SessionType(), row.sessionType);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<int> types;
            for (bool first = true; detector.MoveNext(first, L"");) {
                EXPECT_FALSE(first);
                types.push_back(detector.GetType());
            }
            EXPECT_EQ(types, row.types);
        }
        // Past the end the fields keep the last component's answers.
        EXPECT_EQ(detector.GetType(), row.types.empty() ? -1 : row.types.back());
        EXPECT_EQ(detector.Repair(true, L""), -1) << "the host side has nothing to repair";
        EXPECT_TRUE(!row.types.empty() || !detector.FindClientProcess()) << "scanned anyway";
    }
}

using DetectorRepair = InstallFixture;

TEST_F(DetectorRepair, WritesMissingKeysThenHasNothingLeftToDo) {
    RemoteComponentDetector detector;
    ASSERT_FALSE(detector.inRemoteSession);
    EXPECT_EQ(detector.Repair(false, L""), 1);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKelp));
    // The other clients are not installed here, so they ask for no repair.
    CreatePluginFiles();
    EXPECT_EQ(detector.Repair(false, L""), -1);
}

TEST_F(DetectorRepair, OneFailureFailsTheWholeRepair) {
    WriteAddin(kKelp, L"C:\\other\\vcbrdp.dll");
    WriteBlockedKey blocked(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(blocked.Blocked());
    EXPECT_EQ(RemoteComponentDetector().Repair(false, L""), 0);
}

// The Remote Desktop family's state check and repair over real add-in keys and
// plug-in files.
using RdpFamily = InstallFixture;

TEST_F(RdpFamily, ClientWithoutKeysIsRepairedThenReadsRegistered) {
    CreatePluginFiles();
    // Azure shares every behaviour of Remote Desktop but its identity.
    for (int type : {RemoteTypeRdp, RemoteTypeAzure}) {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
        ComponentHolder c;
        ASSERT_TRUE(FindByType(type, c));
        EXPECT_TRUE(c->UpdateState(false, L""));
        EXPECT_EQ(c->IsClientInstalled(false), -1);
        EXPECT_EQ(c->IsRegistered(false), 0);
        EXPECT_EQ(c->IsDllInstalled(false), 1);
        EXPECT_EQ(c->Repair(false, L""), 1);

        ASSERT_TRUE(FindByType(type, c));
        EXPECT_FALSE(c->UpdateState(false, L""));
        EXPECT_EQ(c->IsRegistered(false), 1);
        EXPECT_EQ(c->Repair(false, L""), -1);
    }
}

TEST_F(RdpFamily, TheFileTestedIsTheOneTheKeyNamesInAnyCase) {
    CreatePluginFiles();
    std::wstring upper = NativePath();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    const struct {
        std::wstring name;
        TriState registered, dllInstalled;
    } rows[] = {
        {upper, 1, 1},
        {L"C:\\windows\\system32\\kernel32.dll", 0, 1},  // exists, but not ours
        {L"C:\\nowhere\\vcbrdp.dll", 0, 0},              // ours exists, this does not
    };
    for (const auto& row : rows) {
        WriteAddin(kKelp, row.name);
        RdpComponent c;
        EXPECT_EQ(c.UpdateState(false, L""), row.registered == 0 || row.dllInstalled == 0);
        EXPECT_EQ(c.IsRegistered(false), row.registered);
        EXPECT_EQ(c.IsDllInstalled(false), row.dllInstalled);
    }
}

TEST_F(RdpFamily, On64BitWindowsAMissingKelp32KeyIsNotRegistered) {
    AsWow64();
    CreatePluginFiles();
    WriteAddin(kKelp, NativePath());
    RdpComponent c;
    EXPECT_TRUE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsRegistered(false), 0);
    EXPECT_EQ(c.IsDllInstalled(false), 1);
}

TEST_F(RdpFamily, GlassOnTheClientIsNeverRepaired) {
    RdpGlassComponent c;
    EXPECT_FALSE(c.UpdateState(false, L""));
    EXPECT_EQ(c.IsClientInstalled(false), 0);
    EXPECT_EQ(c.Repair(false, L""), -1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

TEST_F(RdpFamily, ACopyCarriesTheLastReading) {
    ComponentHolder updated, copy;
    ASSERT_TRUE(FindByType(RemoteTypeRdp, updated));
    EXPECT_TRUE(updated->UpdateState(false, L""));
    // Cloned from an updated component, not the prototype: the copy repairs
    // without reading again.
    ASSERT_TRUE(CloneComponent(RemoteTypeRdp, *updated, copy));
    EXPECT_EQ(copy->Repair(false, L""), 1);
    CreatePluginFiles();
    EXPECT_FALSE(updated->UpdateState(false, L""));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(CloneComponent(RemoteTypeRdp, *updated, copy));
    EXPECT_EQ(copy->IsRegistered(false), 1);
}

// CInstallSupport against a scratch registry and real files in the prefix.
using InstallSupport = InstallFixture;

DWORD ViewEnabled(const wchar_t* key) {
    DWORD view = 7;
    return GetDword(HKEY_CURRENT_USER, key, L"View Enabled", &view) ? view : 7;
}

TEST_F(InstallSupport, PluginPathsOn32And64BitWindows) {
    CInstallSupport install;
    EXPECT_EQ(install.ExpectedPluginPath(0), L"C:\\Program Files\\Corvane\\Shared\\Farlink\\" +
                                                 version_ + L"\\vcbrdp.dll");
    EXPECT_EQ(install.ExpectedPluginPath(1), install.ExpectedPluginPath(0));
    AsWow64();
    EXPECT_EQ(install.ExpectedPluginPath(0), native64Root_ + L"\\Corvane\\Shared\\Farlink\\" +
                                                 version_ + L"\\vcbrdp.dll");
    EXPECT_EQ(install.ExpectedPluginPath(1), X86Path());
}

TEST_F(InstallSupport, MissingVersionJoinsTheSeparatorsAndSwitchesRdpOff) {
    SetString(HKEY_LOCAL_MACHINE, VersionKey(), L"ProductCode", L"{CODE}");
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kProductKey, L"Version");
    CInstallSupport install;
    EXPECT_EQ(install.BuildPluginPath(false),
              L"C:\\Program Files\\Corvane\\Shared\\Farlink\\\\vcbrdp.dll");
    EXPECT_TRUE(install.IsRdpSupportDisabled());
    EXPECT_EQ(install.ReadProductCode(), L"");
    SetString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version_);
    install.RefreshVersion();
    EXPECT_EQ(install.ReadProductCode(), L"{CODE}");
}

TEST_F(InstallSupport, RdpSupportIsOnOnlyForANonzeroNumberOfAtMostFourBytes) {
    CInstallSupport install;
    EXPECT_FALSE(install.IsRdpSupportDisabled());
    SetRdpSupport(0);
    EXPECT_TRUE(install.IsRdpSupportDisabled());
    ULONGLONG wide = 1;
    SetRaw(HKEY_LOCAL_MACHINE, VersionKey(), L"RDP Support", REG_QWORD, &wide, sizeof wide);
    EXPECT_TRUE(install.IsRdpSupportDisabled());
}

TEST_F(InstallSupport, StateCheckReadsTheKeyOfItsEntry) {
    WriteAddin(kKelp, L"C:\\kelp.dll", 0);
    WriteAddin(kKelp32, L"C:\\kelp32.dll", 1);
    CInstallSupport install;
    std::wstring name;
    bool view = true;
    ASSERT_TRUE(install.ReadAddinRegistration(1, name, &view));  // 32-bit Windows: KELP
    EXPECT_EQ(name, L"C:\\kelp.dll");
    EXPECT_FALSE(view);
    AsWow64();
    ASSERT_TRUE(install.ReadAddinRegistration(1, name, &view));
    EXPECT_EQ(name, L"C:\\kelp32.dll");
    EXPECT_TRUE(view);
    // A "Name" too long for 260 units is not found, and the outputs stay.
    WriteAddin(kKelp, std::wstring(300, L'x'));
    name = L"before";
    EXPECT_FALSE(install.ReadAddinRegistration(0, name, &view));
    EXPECT_EQ(name, L"before");
}

TEST_F(InstallSupport, AddWritesKelpOn32BitWindowsAndBothKeysOn64Bit) {
    CInstallSupport install;
    ASSERT_TRUE(install.RepairAddinRegistrations());
    EXPECT_EQ(ReadName(kKelp), NativePath());
    EXPECT_EQ(ViewEnabled(kKelp), 1u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp32));

    AsWow64();
    ASSERT_TRUE(install.RepairAddinRegistrations());
    EXPECT_EQ(ReadName(kKelp), NativePath());
    EXPECT_EQ(ReadName(kKelp32), X86Path());
}

TEST_F(InstallSupport, AddRewritesWrongCaseAndMissingViewEnabledButKeepsAMatch) {
    AsWow64();
    std::wstring upper = NativePath();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    WriteAddin(kKelp, upper, 1);
    WriteAddin(kKelp32, X86Path(), -1);
    CInstallSupport install;
    ASSERT_TRUE(install.AddAddinRegistrations());
    EXPECT_EQ(ReadName(kKelp), NativePath());
    EXPECT_EQ(ViewEnabled(kKelp32), 1u);

    // Any "View Enabled", even 0, makes a match that is left as it is.
    SetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled", 0);
    ASSERT_TRUE(install.AddAddinRegistrations());
    EXPECT_EQ(ViewEnabled(kKelp), 0u);
}

TEST_F(InstallSupport, AFailedFirstWriteSkipsTheSecond) {
    AsWow64();
    WriteAddin(kKelp, L"C:\\other\\vcbrdp.dll");
    WriteBlockedKey blocked(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(blocked.Blocked());
    EXPECT_FALSE(CInstallSupport().RepairAddinRegistrations());
    EXPECT_EQ(ReadName(kKelp), L"C:\\other\\vcbrdp.dll");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp32));
}

TEST_F(InstallSupport, RemoveDeletesOnlyKeysNamingThisPlugin) {
    AsWow64();
    SetRdpSupport(0);
    WriteAddin(kKelp, NativePath());
    WriteAddin(kKelp32, X86Path());
    CInstallSupport install;
    ASSERT_TRUE(install.RepairAddinRegistrations());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp32));

    // Another plug-in, and ours without "View Enabled", stay.
    WriteAddin(kKelp, L"C:\\Other\\vcbrdp.dll");
    WriteAddin(kKelp32, X86Path(), -1);
    ASSERT_TRUE(install.RepairAddinRegistrations());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKelp));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKelp32));
}

TEST_F(InstallSupport, AbsentRdpSupportRemovesAndOn32BitWindowsSparesKelp32) {
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, VersionKey().c_str(), L"RDP Support");
    WriteAddin(kKelp, NativePath());
    WriteAddin(kKelp32, NativePath());
    ASSERT_TRUE(CInstallSupport().RepairAddinRegistrations());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKelp32));
}

// The installer writes the installation keys in the 64-bit view; the product
// (a 32-bit process) must not read its own Wow6432Node copy. Uses the real
// HKLM of the prefix, since the scratch hive has no views.
class InstallRegistryViews : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
            testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProductKey, view);
    }
};

TEST_F(InstallRegistryViews, VersionAndProductCodeComeFromThe64BitView) {
    std::wstring key = std::wstring(kProductKey) + L"\\8.1";
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"8.1", KEY_WOW64_32KEY));
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, key, L"ProductCode", L"{32}", KEY_WOW64_32KEY));
    EXPECT_EQ(CInstallSupport().Version(), L"");

    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"8.1", KEY_WOW64_64KEY));
    CInstallSupport install;
    EXPECT_EQ(install.Version(), L"8.1");
    EXPECT_EQ(install.ReadProductCode(), L"");
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, key, L"ProductCode", L"{64}", KEY_WOW64_64KEY));
    EXPECT_EQ(install.ReadProductCode(), L"{64}");
}

}  // namespace
}  // namespace detection_tests
