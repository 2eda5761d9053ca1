// The Citrix component over a scratch HKLM whose 32-bit view is kept apart,
// with a scratch Citrix folder holding the plug-in file. Repairs that reach
// the installer are in ChannelRepairTest.cpp, the host side in ChannelDetectorTest.cpp.
#include <gtest/gtest.h>

#include "common/RegistryOverride.h"
#include "common/TestPaths.h"
#include "shared/Farlink/IcaComponent.h"
#include "shared/SeededRegistry.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

class CitrixComponent : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SplitRegistryViews());
        folder_ = testing_support::MakeScratchDir(L"citrix");
        ASSERT_TRUE(CreateEmptyFile(folder_ + L"\\vcbica.dll"));
    }
    void TearDown() override { testing_support::RemoveTree(folder_); }

    testing_support::RegistryOverride registry_;
    std::wstring folder_;  // without a trailing separator
};

enum class Folder { WithSeparator, WithoutSeparator, TooLongForTheBuffer, Missing };

struct CitrixCase {
    const char* name;
    Folder folder;
    bool driver;
    REGSAM view;
    TriState installed, registered, dllInstalled;
    bool needsRepair;
};

TEST_F(CitrixComponent, ClientSideReadsBothValuesInThe32BitView) {
    const REGSAM v32 = KEY_WOW64_32KEY, v64 = KEY_WOW64_64KEY;
    const CitrixCase cases[] = {
        {"healthy", Folder::WithSeparator, true, v32, 1, 1, 1, false},
        // C:\Citrix + vcbica.dll is C:\Citrixvcbica.dll, which does not exist.
        {"folder without separator", Folder::WithoutSeparator, true, v32, 1, 1, 0, true},
        {"no DriverName", Folder::WithSeparator, false, v32, 1, 0, 1, true},
        {"no client", Folder::Missing, true, v32, 0, 1, 0, false},
        {"values in the 64-bit view only", Folder::WithSeparator, true, v64, 0, 0, 0, false},
        {"folder longer than 260 units", Folder::TooLongForTheBuffer, true, v32, 0, 1, 0, false},
    };
    for (const CitrixCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (REGSAM view : {v32, v64})
            testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Citrix", view);
        std::wstring folder;
        switch (c.folder) {
            case Folder::WithSeparator: folder = folder_ + L"\\"; break;
            case Folder::WithoutSeparator: folder = folder_; break;
            case Folder::TooLongForTheBuffer: folder = folder_ + std::wstring(260, L'x'); break;
            case Folder::Missing: break;
        }
        if (c.folder != Folder::Missing) {
            ASSERT_TRUE(SeedCitrix(folder, c.driver, c.view));
        } else {
            ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kCitrixModulesKey, L"DriverName", L"x", v32));
        }

        IcaComponent ica;
        EXPECT_EQ(ica.UpdateState(false, L""), c.needsRepair);
        EXPECT_EQ(ica.IsClientInstalled(false), c.installed);
        EXPECT_EQ(ica.IsRegistered(false), c.registered);
        EXPECT_EQ(ica.IsDllInstalled(false), c.dllInstalled);
        // An empty product code fails the repair before the installer is
        // asked; a client that is not installed is never repaired at all.
        EXPECT_EQ(ica.Repair(false, L""), c.needsRepair ? 0 : -1);
        if (!c.needsRepair) {
            EXPECT_EQ(ica.Repair(false, L"{6D1A3C25-0000-0000-0000-000000000001}"), -1);
        }
    }
}

}  // namespace
}  // namespace detection_tests
