// The Citrix, Horizon and WorkSpaces components and the detector over all six,
// in scratch hives whose 32-bit view is kept apart. Repairs that reach the
// installer are in ChannelRepairTest.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "common/RegistryOverride.h"
#include "common/TestPaths.h"
#include "shared/Farlink/AwsComponent.h"
#include "shared/Farlink/HorizonComponent.h"
#include "shared/Farlink/IcaComponent.h"
#include "shared/Farlink/RemoteComponentDetector.h"
#include "shared/Farlink/RemoteComponentList.h"
#include "shared/InstallFixture.h"
#include "shared/SeededRegistry.h"
#include "win/RegKey.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

// Citrix, with a scratch Citrix folder holding the plug-in file; its host side
// is with the detector below.
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

TEST_F(CitrixComponent, ClientSideReadsBothValuesInThe32BitView) {
    const REGSAM v32 = KEY_WOW64_32KEY, v64 = KEY_WOW64_64KEY;
    const std::wstring tooLong(260, L'x');
    const struct {
        const char* name;
        const wchar_t* folder;  // appended to the scratch folder; null: no InstallFolder
        bool driver;
        REGSAM view;
        TriState installed, registered, dllInstalled;
    } cases[] = {
        {"healthy", L"\\", true, v32, 1, 1, 1},
        // C:\Citrix + vcbica.dll is C:\Citrixvcbica.dll, which does not exist.
        {"folder without separator", L"", true, v32, 1, 1, 0},
        {"no DriverName", L"\\", false, v32, 1, 0, 1},
        {"no client", nullptr, true, v32, 0, 1, 0},
        {"values in the 64-bit view only", L"\\", true, v64, 0, 0, 0},
        {"folder longer than 260 units", tooLong.c_str(), true, v32, 0, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (REGSAM view : {v32, v64})
            testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Citrix", view);
        if (c.folder) {
            ASSERT_TRUE(SeedCitrix(folder_ + c.folder, c.driver, c.view));
        } else {
            ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kCitrixModulesKey, L"DriverName", L"x", v32));
        }
        const bool needsRepair = c.installed == 1 && (c.registered == 0 || c.dllInstalled == 0);
        IcaComponent ica;
        EXPECT_EQ(ica.UpdateState(false, L""), needsRepair);
        EXPECT_EQ(ica.IsClientInstalled(false), c.installed);
        EXPECT_EQ(ica.IsRegistered(false), c.registered);
        EXPECT_EQ(ica.IsDllInstalled(false), c.dllInstalled);
        // An empty product code fails the repair before the installer is
        // asked; a client that is not installed is never repaired at all.
        EXPECT_EQ(ica.Repair(false, L""), needsRepair ? 0 : -1);
        if (!needsRepair) {
            EXPECT_EQ(ica.Repair(false, L"{6D1A3C25-0000-0000-0000-000000000001}"), -1);
        }
    }
}

// The Horizon component: the Remote Desktop add-in keys, counted only with a
// nonzero "View Enabled", and only once the Horizon client key exists.
class HorizonClient : public InstallFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(SplitRegistryViews());
        CreatePluginFiles();
    }
    // The Horizon client writes its key in the 32-bit view.
    void InstallClient(REGSAM view = KEY_WOW64_32KEY) {
        ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kHorizonClientKey, L"Version", L"8", view));
    }
};

TEST_F(HorizonClient, WithoutTheClientKeyNothingElseIsReadNorRepaired) {
    // Keys that would count as registered, were they read.
    WriteAddin(kKelp, NativePath(), 1);
    for (bool keyIn64BitView : {false, true}) {
        SCOPED_TRACE(keyIn64BitView ? "key in the 64-bit view" : "no key");
        if (keyIn64BitView) InstallClient(KEY_WOW64_64KEY);
        HorizonComponent horizon;
        EXPECT_FALSE(horizon.UpdateState(false, L""));
        EXPECT_EQ(horizon.IsClientInstalled(false), 0);
        EXPECT_EQ(horizon.IsRegistered(false), 0);
        EXPECT_EQ(horizon.IsDllInstalled(false), 0);
        EXPECT_EQ(horizon.Repair(false, L""), -1);
    }
}

TEST_F(HorizonClient, RepairWritesAMissingViewEnabledButLeavesAZero) {
    InstallClient();
    // The repair's own test only wants the value to exist: with 0 it finds the
    // key right, writes nothing and calls that a success.
    for (int viewEnabled : {0, -1}) {
        SCOPED_TRACE(viewEnabled);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
        WriteAddin(kKelp, NativePath(), viewEnabled);
        HorizonComponent horizon;
        EXPECT_TRUE(horizon.UpdateState(false, L""));
        EXPECT_EQ(horizon.IsClientInstalled(false), 1);
        EXPECT_EQ(horizon.IsRegistered(false), 0);
        EXPECT_EQ(horizon.IsDllInstalled(false), 1);
        EXPECT_EQ(horizon.Repair(false, L""), 1);
        DWORD after = 7;
        ASSERT_TRUE(GetDword(HKEY_CURRENT_USER, kKelp, L"View Enabled", &after));
        EXPECT_EQ(after, viewEnabled ? 1u : 0u);
        EXPECT_EQ(horizon.UpdateState(false, L""), viewEnabled == 0);
        EXPECT_EQ(horizon.IsRegistered(false), viewEnabled ? 1 : 0);
    }
}

// WorkSpaces on both ends: the client's command key and its "vchan_plugins"
// folder, and the host's Teradici plug-in key with its strict "dll" value. No
// product code is recorded here, so the installer refuses every repair.
class WorkSpaces : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SplitRegistryViews());
        scratch_ = testing_support::MakeScratchDir(L"workspaces");
        // A blank in the folder, as under Program Files.
        appDir_ = scratch_ + L"\\Amazon WorkSpaces";
        ASSERT_TRUE(::CreateDirectoryW(appDir_.c_str(), nullptr));
    }
    void TearDown() override { testing_support::RemoveTree(scratch_); }

    testing_support::RegistryOverride registry_;
    std::wstring scratch_;
    std::wstring appDir_;
};

enum class Plugins { FolderWithPlugin, EmptyFolder, NoFolder, FileInsteadOfFolder };

struct ClientCase {
    const char* name;
    const wchar_t* command;  // {dir} is the client's folder; null: no command key
    Plugins plugins;
    TriState installed, dllInstalled;
    bool needsRepair;
};

TEST_F(WorkSpaces, ClientSideFindsThePluginBesideTheRegisteredExecutable) {
    const wchar_t quoted[] = L"\"{dir}\\workspaces.exe\" \"%1\"";
    const ClientCase cases[] = {
        {"quoted command line", quoted, Plugins::FolderWithPlugin, 1, 1, false},
        {"unquoted command line", L"{dir}\\workspaces.exe", Plugins::FolderWithPlugin, 1, 1, false},
        {"argument holding a backslash", L"\"{dir}\\workspaces.exe\" --log \"C:\\logs\"",
         Plugins::FolderWithPlugin, 0, 0, false},
        {"folder without the plug-in", quoted, Plugins::EmptyFolder, 1, 0, true},
        {"no vchan_plugins folder", quoted, Plugins::NoFolder, 0, 0, false},
        {"a file named vchan_plugins", quoted, Plugins::FileInsteadOfFolder, 0, 0, false},
        {"no command key", nullptr, Plugins::FolderWithPlugin, 0, 0, false},
    };
    const std::wstring plugins = appDir_ + L"\\vchan_plugins";
    for (const ClientCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\workspaces");
        testing_support::RemoveTree(plugins);
        if (c.command) {
            std::wstring command = c.command;
            ASSERT_TRUE(SeedWorkSpacesCommand(command.replace(command.find(L"{dir}"), 5, appDir_)));
        }
        if (c.plugins == Plugins::FileInsteadOfFolder) {
            ASSERT_TRUE(CreateEmptyFile(plugins));
        } else if (c.plugins != Plugins::NoFolder) {
            ASSERT_TRUE(::CreateDirectoryW(plugins.c_str(), nullptr));
            if (c.plugins == Plugins::FolderWithPlugin) {
                ASSERT_TRUE(CreateEmptyFile(plugins + L"\\vcbpco.dll"));
            }
        }

        AwsComponent aws;
        EXPECT_EQ(aws.UpdateState(false, L""), c.needsRepair);
        EXPECT_EQ(aws.IsClientInstalled(false), c.installed);
        EXPECT_EQ(aws.IsDllInstalled(false), c.dllInstalled);
        EXPECT_EQ(aws.IsRegistered(false), -1);
        EXPECT_EQ(aws.Repair(false, L""), c.needsRepair ? 0 : -1);
    }
}

struct HostCase {
    const char* name;
    std::function<void()> seed;
    TriState registered, dllInstalled;
};

TEST_F(WorkSpaces, HostSideReadsAStrictDllValueInEitherView) {
    const REGSAM v32 = KEY_WOW64_32KEY, v64 = KEY_WOW64_64KEY;
    const std::wstring plugin = appDir_ + L"\\vcbpco.dll";
    ASSERT_TRUE(CreateEmptyFile(plugin));
    const DWORD pathBytes = static_cast<DWORD>(plugin.size() * sizeof(wchar_t));
    // Writes "dll" and checks the registry holds exactly that many bytes, so a
    // case cannot pass because Wine stored the value otherwise (it adds a NUL
    // to a REG_SZ written without one when the caller's buffer has it next).
    auto set = [&](REGSAM view, const std::wstring& text, DWORD type = REG_SZ, DWORD bytes = ~0u) {
        if (bytes == ~0u) bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        ASSERT_TRUE(SetRaw(HKEY_LOCAL_MACHINE, kTeradiciPluginKey, L"dll", type, text.c_str(), bytes, view));
        win::RegKey key;
        DWORD stored = 0;
        key.Open(HKEY_LOCAL_MACHINE, kTeradiciPluginKey, KEY_QUERY_VALUE | view);
        ::RegQueryValueExW(key.Get(), L"dll", nullptr, nullptr, nullptr, &stored);
        EXPECT_EQ(stored, bytes);
    };
    ::SetEnvironmentVariableW(L"FARLINK_PCOIP_DIR", appDir_.c_str());
    const HostCase cases[] = {
        {"REG_SZ in the 32-bit view", [&] { set(v32, plugin); }, 1, 1},
        {"REG_SZ in the default view only", [&] { set(v64, plugin); }, 1, 1},
        {"both views: the 32-bit one counts", [&] { set(v32, appDir_ + L"\\gone.dll"), set(v64, plugin); }, 1, 0},
        {"REG_EXPAND_SZ is taken unexpanded",
         [&] { set(v32, L"%FARLINK_PCOIP_DIR%\\vcbpco.dll", REG_EXPAND_SZ); }, 1, 0},
        {"empty value", [&] { set(v32, L"", REG_SZ, 0); }, 1, 0},
        {"REG_DWORD", [&] { set(v32, std::wstring(L"\x1\0", 2), REG_DWORD, 4); }, 0, 0},
        // Terminated within the whole units, plus one stray byte.
        {"odd byte length", [&] { set(v32, plugin + L'\0' + L"X", REG_SZ, pathBytes + 3); }, 0, 0},
        // Followed by a non-NUL unit, so Wine stores exactly the count.
        {"no terminating NUL", [&] { set(v32, plugin + L"X", REG_SZ, pathBytes); }, 0, 0},
        {"longer than 260 units", [&] { set(v32, std::wstring(300, L'x')); }, 0, 0},
        {"plug-in key without the subkey",
         [&] { ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kTeradiciPluginsKey, L"x", L"", v32)); }, 0, 0},
        {"no plug-in key", [] {}, 0, 0},
    };
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (REGSAM view : {v32, v64})
            testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Teradici", view);
        c.seed();
        const bool needsRepair = c.registered == 0 || c.dllInstalled == 0;
        AwsComponent aws;
        EXPECT_EQ(aws.UpdateState(true, L""), needsRepair);
        EXPECT_EQ(aws.IsClientInstalled(true), -1);
        EXPECT_EQ(aws.IsRegistered(true), c.registered);
        EXPECT_EQ(aws.IsDllInstalled(true), c.dllInstalled);
        EXPECT_EQ(aws.Repair(true, L""), needsRepair ? 0 : -1);
    }
    ::SetEnvironmentVariableW(L"FARLINK_PCOIP_DIR", nullptr);
}

// The detector over all six real components, with every client installed on
// a scratch client machine; and the host side of the five that have none.
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

// The host side has nothing to say for every component but WorkSpaces, though
// Citrix reads its values there too: they travel with a copy.
TEST_F(AllChannels, HostSideAnswersDoesNotApplyAndNeverRepairs) {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kCitrixModulesKey, KEY_WOW64_32KEY, 0);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kKelp);
    for (int type : {RemoteTypeRdp, RemoteTypeIca, RemoteTypeHorizon, RemoteTypeGlass,
                     RemoteTypeAzure}) {
        SCOPED_TRACE(type);
        ComponentHolder c, copy;
        ASSERT_TRUE(FindByType(type, c));
        EXPECT_FALSE(c->UpdateState(true, L""));
        EXPECT_EQ(c->IsClientInstalled(true), -1);
        EXPECT_EQ(c->IsRegistered(true), -1);
        EXPECT_EQ(c->IsDllInstalled(true), -1);
        EXPECT_EQ(c->Repair(true, L""), -1);
        ASSERT_TRUE(CloneComponent(type, *c, copy));
        if (type == RemoteTypeIca) {
            EXPECT_EQ(copy->IsClientInstalled(false), 1);
            EXPECT_EQ(copy->IsRegistered(false), 0);
            EXPECT_EQ(copy->IsDllInstalled(false), 1);
        }
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKelp));
}

}  // namespace
}  // namespace detection_tests
