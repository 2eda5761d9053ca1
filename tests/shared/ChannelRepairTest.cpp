// Repairs through the real Windows Installer: the channel test package is
// installed in the prefix, a test deletes a file of its "RASClient" feature,
// and the repair must bring it back.
//
// The components read their state inside a scratch hive; the installer runs
// in this process and finds the product under the real HKLM, so every repair
// happens after the hive is gone.
#include <gtest/gtest.h>
#include <windows.h>
#include <msi.h>

#include <optional>

#include "common/RegistryOverride.h"
#include "common/TestPaths.h"
#include "shared/ChannelPackage.h"
#include "shared/Farlink/AwsComponent.h"
#include "shared/Farlink/IcaComponent.h"
#include "shared/Farlink/ReinstallFeature.h"
#include "shared/SeededRegistry.h"

using namespace sharedfarlink;
using testing_support::FileExists;

namespace detection_tests {
namespace {

const wchar_t* const kCode = ChannelPackage::kProductCode;
const wchar_t kUnknownCode[] = L"{0B1E7A55-4C1D-4E0F-9A3B-000000000000}";

class PackageRepair : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ChannelPackage::Ready()) << "the channel test package is not installed";
        // Every test starts from a whole feature, whatever the last one left.
        if (!ChannelPackage::FeatureFilesPresent()) {
            ASSERT_EQ(ReinstallFeature(kCode, L"RASClient"), 1);
        }
    }

    // Enters a fresh scratch hive; Leave() drops it before the installer runs.
    void Enter() {
        hive_.emplace();
        ASSERT_TRUE(SplitRegistryViews());
    }
    void Leave() { hive_.reset(); }

    std::optional<testing_support::RegistryOverride> hive_;
};

TEST_F(PackageRepair, ReinstallFeatureInstallsAFeatureThatWasRemoved) {
    ASSERT_EQ(::MsiConfigureFeatureW(kCode, L"RASClient", INSTALLSTATE_ABSENT), ERROR_SUCCESS);
    ASSERT_FALSE(FileExists(ChannelPackage::CitrixPlugin()));
    EXPECT_EQ(ReinstallFeature(kCode, L"RASClient"), 1);
    EXPECT_TRUE(ChannelPackage::FeatureFilesPresent());
}

TEST_F(PackageRepair, ReinstallFeatureRefusedByTheInstallerGivesZero) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {  // product code, feature
        {L"", L"RASClient"}, {kUnknownCode, L"RASClient"}, {L"not a product code", L"RASClient"},
        {kCode, L"NoSuchFeature"}};
    for (const auto& [code, feature] : cases) EXPECT_EQ(ReinstallFeature(code, feature), 0) << code;
    EXPECT_TRUE(ChannelPackage::FeatureFilesPresent());
    EXPECT_EQ(::MsiQueryProductStateW(kCode), INSTALLSTATE_DEFAULT);
}

TEST_F(PackageRepair, BrokenCitrixChannelIsReinstalledForTheCallersProduct) {
    ::DeleteFileW(ChannelPackage::CitrixPlugin().c_str());
    IcaComponent ica;
    Enter();
    ASSERT_TRUE(SeedCitrix(ChannelPackage::Folder(), true));
    EXPECT_TRUE(ica.UpdateState(false, L""));
    EXPECT_EQ(ica.IsDllInstalled(false), 0);
    Leave();

    EXPECT_EQ(ica.Repair(false, kCode), 1);
    EXPECT_TRUE(FileExists(ChannelPackage::CitrixPlugin()));
    // The other feature, and with it the product, stays.
    EXPECT_TRUE(FileExists(ChannelPackage::CoreFile()));
    EXPECT_EQ(::MsiQueryProductStateW(kCode), INSTALLSTATE_DEFAULT);

    Enter();
    ASSERT_TRUE(SeedCitrix(ChannelPackage::Folder(), true));
    IcaComponent after;
    EXPECT_FALSE(after.UpdateState(false, L""));
    EXPECT_EQ(after.IsDllInstalled(false), 1);
}

TEST_F(PackageRepair, BrokenWorkSpacesClientChannelIsReinstalled) {
    ::DeleteFileW(ChannelPackage::PcoipPlugin().c_str());
    Enter();
    ASSERT_TRUE(SeedProductCode(kCode));
    ASSERT_TRUE(
        SeedWorkSpacesCommand(L"\"" + ChannelPackage::Folder() + L"workspaces.exe\" \"%1\""));
    AwsComponent aws;
    EXPECT_TRUE(aws.UpdateState(false, L""));
    EXPECT_EQ(aws.IsClientInstalled(false), 1);
    EXPECT_EQ(aws.IsDllInstalled(false), 0);
    Leave();

    // The caller's code plays no part: the package is the one recorded.
    EXPECT_EQ(aws.Repair(false, L""), 1);
    EXPECT_TRUE(FileExists(ChannelPackage::PcoipPlugin()));
}

TEST_F(PackageRepair, BrokenWorkSpacesHostChannelIsReinstalled) {
    ::DeleteFileW(ChannelPackage::PcoipPlugin().c_str());
    Enter();
    ASSERT_TRUE(SeedProductCode(kCode));
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kTeradiciPluginKey, L"dll",
                          ChannelPackage::PcoipPlugin(), KEY_WOW64_32KEY));
    AwsComponent aws;
    EXPECT_TRUE(aws.UpdateState(true, L""));
    EXPECT_EQ(aws.IsRegistered(true), 1);
    EXPECT_EQ(aws.IsDllInstalled(true), 0);
    Leave();

    EXPECT_EQ(aws.Repair(true, L""), 1);
    EXPECT_TRUE(FileExists(ChannelPackage::PcoipPlugin()));
}

TEST_F(PackageRepair, WorkSpacesRepairsThePackageRecordedWhenItWasBuilt) {
    const struct {
        const char* name;
        const wchar_t* recorded;  // at construction; null: none
        const wchar_t* later;     // in the registry by the time of the repair
        const wchar_t* caller;
        TriState result;
    } cases[] = {
        {"recorded, then changed", kCode, kUnknownCode, L"", 1},
        {"none recorded", nullptr, kCode, kCode, 0},
        {"unknown recorded", kUnknownCode, kCode, kCode, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Enter();
        if (c.recorded) {
            ASSERT_TRUE(SeedProductCode(c.recorded));
        }
        AwsComponent prototype;
        ASSERT_TRUE(SeedProductCode(c.later));
        AwsComponent copy(prototype);
        // No Teradici key: the host side always asks for a repair.
        ASSERT_TRUE(copy.UpdateState(true, L""));
        Leave();
        EXPECT_EQ(copy.Repair(true, c.caller), c.result);
    }
}

}  // namespace
}  // namespace detection_tests
