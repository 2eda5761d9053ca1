// The WorkSpaces component on both ends: the client's command key and its
// "vchan_plugins" folder, and the host's Teradici plug-in key with its strict
// "dll" value. Repairs that reach a real package are in ChannelRepairTest.cpp;
// here no product code is recorded, so the installer refuses every repair.
#include <gtest/gtest.h>

#include <functional>

#include "common/RegistryOverride.h"
#include "common/TestPaths.h"
#include "shared/Farlink/AwsComponent.h"
#include "shared/SeededRegistry.h"
#include "win/RegKey.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

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

}  // namespace
}  // namespace detection_tests
