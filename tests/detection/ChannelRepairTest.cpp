// Repairs through the real Windows Installer: the channel test package
// (tests/doubles/msi, installed here unless it was already) has a feature
// "RASClient" with the Citrix and PCoIP plug-in doubles. A test deletes one and
// the repair must bring it back. The installer finds the product under the real
// HKLM, so every repair runs after the scratch hive is gone.
#include <gtest/gtest.h>
#include <windows.h>
#include <msi.h>

#include <cstdio>
#include <optional>
#include <tuple>

#include "common/Testing.h"
#include "detection/AwsComponent.h"
#include "detection/IcaComponent.h"
#include "detection/ReinstallFeature.h"

using namespace sharedfarlink;
using tst::FileExists;

namespace {

const wchar_t kCode[] = L"{63158CD2-BCD6-4F8E-8221-9E35F6B21EB5}";  // fixed in the package source
const wchar_t kUnknownCode[] = L"{0B1E7A55-4C1D-4E0F-9A3B-000000000000}";
std::wstring folder;  // the package's, with the trailing separator as Citrix records it

std::wstring CitrixPlugin() { return folder + L"vcbica.dll"; }
std::wstring PcoipPlugin() { return folder + L"vchan_plugins\\vcbpco.dll"; }
bool Installed() { return ::MsiQueryProductStateW(kCode) == INSTALLSTATE_DEFAULT; }

class PackageEnvironment : public testing::Environment {
    void Msiexec(const std::wstring& arguments) {
        DWORD start = ::GetTickCount(), code = tst::RunAndWait(L"msiexec " + arguments + L" /qn", 120000);
        std::printf("[ package  ] msiexec %ls took %lu ms, exit code %lu\n", arguments.substr(0, 2).c_str(),
                    ::GetTickCount() - start, code);
    }
    void SetUp() override {
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);  // as the server does at start-up
        if (!Installed()) {
            Msiexec(L"/i " + tst::Quote(tst::BesideExe(L"farlink_channel_package.msi")));
            installedHere_ = Installed();
        }
        // The component of "Core" whose key file is package.txt.
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (::MsiGetComponentPathW(kCode, L"{3B96C106-A982-4A82-94C0-3965650429A3}", path, &size) ==
            INSTALLSTATE_LOCAL)
            folder = std::wstring(path).substr(0, std::wstring(path).find_last_of(L'\\') + 1);
    }
    void TearDown() override { if (installedHere_) Msiexec(L"/x " + std::wstring(kCode)); }
    bool installedHere_ = false;
};
testing::Environment* const kPackage = testing::AddGlobalTestEnvironment(new PackageEnvironment);

class PackageRepair : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(!folder.empty() && Installed()) << "the channel test package is not installed";
        // Every test starts from a whole feature, whatever the last one left.
        if (!FileExists(CitrixPlugin()) || !FileExists(PcoipPlugin())) {
            ASSERT_EQ(ReinstallFeature(kCode, L"RASClient"), 1);
        }
    }
    void Enter() {
        hive_.emplace(L"Local", true);
        ASSERT_TRUE(hive_->ViewsSplit());
    }
    std::optional<tst::ScratchHive> hive_;
};

TEST_F(PackageRepair, ReinstallFeatureBringsBackARemovedFeatureAndFailsForWhatTheInstallerRefuses) {
    ASSERT_EQ(::MsiConfigureFeatureW(kCode, L"RASClient", INSTALLSTATE_ABSENT), ERROR_SUCCESS);
    ASSERT_FALSE(FileExists(CitrixPlugin()));
    EXPECT_EQ(ReinstallFeature(kCode, L"RASClient"), 1);
    EXPECT_TRUE(FileExists(CitrixPlugin()) && FileExists(PcoipPlugin()));
    // Why, as the installer says it; a malformed code (Unknown here) is refused
    // as invalid by Windows and as an unknown product by Wine.
    const std::tuple<const wchar_t*, const wchar_t*, FaultKind> refused[] = {
        {L"", L"RASClient", FaultKind::Unknown}, {kUnknownCode, L"RASClient", FaultKind::ProductUnknown},
        {L"not a product code", L"RASClient", FaultKind::Unknown},
        {kCode, L"NoSuchFeature", FaultKind::FeatureAbsent}};
    for (const auto& [code, feature, why] : refused) {
        ChannelFault fault;
        EXPECT_EQ(ReinstallFeature(code, feature, &fault), 0) << code;
        if (why == FaultKind::Unknown) EXPECT_NE(fault.kind, FaultKind::None) << code;
        else EXPECT_EQ(fault.kind, why) << code << " " << fault.code;
    }
    EXPECT_TRUE(Installed());
}

TEST_F(PackageRepair, BrokenCitrixChannelIsReinstalledForTheCallersProduct) {
    ::DeleteFileW(CitrixPlugin().c_str());
    IcaComponent ica;
    for (bool repaired : {false, true}) {
        Enter();
        ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, L"Software\\Citrix\\Install\\ICA Client", L"InstallFolder",
                                   folder, KEY_WOW64_32KEY));
        ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kCitrixModulesKey, L"DriverName", L"vcbica.dll",
                                   KEY_WOW64_32KEY));
        EXPECT_EQ(ica.UpdateState(false, L""), !repaired);
        EXPECT_EQ(ica.IsDllInstalled(false), repaired ? 1 : 0);
        hive_.reset();
        if (repaired) continue;
        EXPECT_EQ(ica.Repair(false, L""), 0);
        EXPECT_EQ(ica.RepairFault().kind, FaultKind::NoProductCode);
        EXPECT_EQ(ica.Repair(false, kCode), 1);
    }
    // The other feature, and with it the product, stays.
    EXPECT_TRUE(FileExists(folder + L"package.txt"));
    EXPECT_TRUE(Installed());
}

TEST_F(PackageRepair, BrokenWorkSpacesChannelIsReinstalledOnBothSides) {
    for (bool host : {false, true}) {
        SCOPED_TRACE(host ? "host" : "client");
        ::DeleteFileW(PcoipPlugin().c_str());
        Enter();
        ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, tst::kProductKey, L"Version", L"7.4"));
        ASSERT_TRUE(tst::SetString(HKEY_LOCAL_MACHINE, std::wstring(tst::kProductKey) + L"\\7.4", L"ProductCode", kCode));
        ASSERT_TRUE(host ? tst::SetString(HKEY_LOCAL_MACHINE, tst::kTeradiciPluginKey, L"dll", PcoipPlugin(), KEY_WOW64_32KEY)
                         : tst::SetString(HKEY_LOCAL_MACHINE, tst::kWorkSpacesCommandKey, nullptr,
                                          L"\"" + folder + L"workspaces.exe\" \"%1\""));
        AwsComponent aws;
        EXPECT_TRUE(aws.UpdateState(host, L""));
        EXPECT_EQ(host ? aws.IsRegistered(true) : aws.IsClientInstalled(false), 1);
        EXPECT_EQ(aws.IsDllInstalled(host), 0);
        hive_.reset();
        // The caller's code plays no part: the package is the one recorded.
        EXPECT_EQ(aws.Repair(host, L""), 1);
        EXPECT_TRUE(FileExists(PcoipPlugin()));
    }
}

}  // namespace
