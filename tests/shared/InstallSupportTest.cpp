// CInstallSupport against a scratch registry and real files in the prefix.
#include <gtest/gtest.h>

#include "common/RegistryOverride.h"
#include "shared/Farlink/CInstallSupport.h"
#include "shared/InstallFixture.h"
#include "shared/WriteBlockedKey.h"

using sharedfarlink::CInstallSupport;

namespace detection_tests {
namespace {

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
