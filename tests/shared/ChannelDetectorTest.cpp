// The detector over all six real components, with every client installed on
// a scratch client machine.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "common/TestPaths.h"
#include "shared/ChannelSeeds.h"
#include "shared/Farlink/RemoteComponentDetector.h"
#include "shared/InstallFixture.h"
#include "shared/SplitRegistryViews.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

// {type, IsClientInstalled, IsRegistered, IsDllInstalled} per enumerated step.
using Line = std::tuple<int, TriState, TriState, TriState>;

std::vector<Line> Enumerate(RemoteComponentDetector& detector, bool side) {
    std::vector<Line> lines;
    bool first = true;
    while (detector.MoveNext(first, L""))
        lines.emplace_back(detector.GetType(), detector.IsClientInstalled(side),
                           detector.IsRegistered(side), detector.IsDllInstalled(side));
    return lines;
}

class AllChannels : public InstallFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(SplitRegistryViews());
        scratch_ = testing_support::MakeScratchDir(L"channels");
        CreatePluginFiles();
        WriteAddin(kKelp, NativePath(), 1);
        ASSERT_TRUE(CreateEmptyFile(scratch_ + L"\\vcbica.dll"));
        ASSERT_TRUE(SeedCitrix(scratch_ + L"\\", true));
        ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kHorizonClientKey, L"Version", L"8",
                              KEY_WOW64_32KEY));
        ASSERT_TRUE(::CreateDirectoryW((scratch_ + L"\\vchan_plugins").c_str(), nullptr));
        ASSERT_TRUE(CreateEmptyFile(scratch_ + L"\\vchan_plugins\\vcbpco.dll"));
        ASSERT_TRUE(SeedWorkSpacesCommand(L"\"" + scratch_ + L"\\workspaces.exe\" \"%1\""));
    }
    void TearDown() override { testing_support::RemoveTree(scratch_); }

    std::wstring scratch_;
};

TEST_F(AllChannels, ClientMachineListsEveryComponentWithItsOwnAnswers) {
    RemoteComponentDetector detector;
    ASSERT_FALSE(detector.inRemoteSession);
    const std::vector<Line> healthy = {
        {RemoteTypeRdp, -1, 1, 1},  {RemoteTypeIca, 1, 1, 1},   {RemoteTypeHorizon, 1, 1, 1},
        {RemoteTypeAws, 1, -1, 1},  {RemoteTypeGlass, 0, 1, 1}, {RemoteTypeAzure, -1, 1, 1},
    };
    EXPECT_EQ(Enumerate(detector, false), healthy);
    EXPECT_EQ(detector.Repair(false, L""), -1);

    // Citrix loses its module entry, WorkSpaces its plug-in file: both need the
    // installer, and without a product code both repairs fail.
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kCitrixModulesKey, KEY_WOW64_32KEY, 0);
    ::DeleteFileW((scratch_ + L"\\vchan_plugins\\vcbpco.dll").c_str());
    std::vector<Line> broken = healthy;
    std::get<2>(broken[1]) = 0;
    std::get<3>(broken[3]) = 0;
    EXPECT_EQ(Enumerate(detector, false), broken);
    EXPECT_EQ(detector.Repair(false, L""), 0);
}

}  // namespace
}  // namespace detection_tests
