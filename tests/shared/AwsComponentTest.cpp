// The WorkSpaces component on both ends: the client's command key and its
// "vchan_plugins" folder, and the host's Teradici plug-in key with its strict
// "dll" value. Repairs that reach a real package are in ChannelRepairTest.cpp;
// here no product code is recorded, so the installer refuses every repair.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/RegistryOverride.h"
#include "common/TestPaths.h"
#include "shared/ChannelSeeds.h"
#include "shared/Farlink/AwsComponent.h"
#include "shared/SeededRegistry.h"
#include "shared/SplitRegistryViews.h"
#include "win/RegKey.h"

using namespace sharedfarlink;

namespace detection_tests {
namespace {

std::wstring Replace(std::wstring text, const std::wstring& from, const std::wstring& to) {
    for (size_t at = text.find(from); at != std::wstring::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

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
            ASSERT_TRUE(SeedWorkSpacesCommand(Replace(c.command, L"{dir}", appDir_)));
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

// Writes the "dll" value of the plug-in's subkey in one registry view.
void SetPluginDll(REGSAM view, DWORD type, const void* data, DWORD bytes) {
    win::RegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, kTeradiciPluginKey, KEY_SET_VALUE | view),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.Get(), L"dll", 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
}

// What the registry holds, so a case cannot pass because the value was
// stored other than the test meant (Wine adds a NUL to a REG_SZ written
// without one when the caller's buffer happens to have it next).
DWORD StoredBytes(REGSAM view) {
    win::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kTeradiciPluginKey, KEY_QUERY_VALUE | view) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    DWORD bytes = 0;
    ::RegQueryValueExW(key.Get(), L"dll", nullptr, nullptr, nullptr, &bytes);
    return bytes;
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
    const std::wstring missing = appDir_ + L"\\gone.dll";
    // The path followed by a non-NUL unit, so Wine stores exactly the count.
    const std::wstring unterminated = plugin + L"X";
    const DWORD pathBytes = static_cast<DWORD>(plugin.size() * sizeof(wchar_t));
    auto sz = [](REGSAM view, const std::wstring& text) {
        SetPluginDll(view, REG_SZ, text.c_str(),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    };
    ::SetEnvironmentVariableW(L"FARLINK_PCOIP_DIR", appDir_.c_str());

    const HostCase cases[] = {
        {"REG_SZ in the 32-bit view", [&] { sz(v32, plugin); }, 1, 1},
        {"REG_SZ in the default view only", [&] { sz(v64, plugin); }, 1, 1},
        {"both views: the 32-bit one counts",
         [&] {
             sz(v32, missing);
             sz(v64, plugin);
         },
         1, 0},
        {"REG_EXPAND_SZ is taken unexpanded",
         [&] {
             std::wstring text = L"%FARLINK_PCOIP_DIR%\\vcbpco.dll";
             SetPluginDll(v32, REG_EXPAND_SZ, text.c_str(),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
         },
         1, 0},
        {"empty value", [&] { SetPluginDll(v32, REG_SZ, L"", 0); }, 1, 0},
        {"REG_DWORD",
         [&] {
             DWORD one = 1;
             SetPluginDll(v32, REG_DWORD, &one, sizeof one);
         },
         0, 0},
        {"odd byte length",
         [&] {
             // Terminated within the whole units, plus one stray byte.
             std::wstring odd = plugin + std::wstring(1, L'\0') + L"X";
             const DWORD bytes = pathBytes + sizeof(wchar_t) + 1;
             SetPluginDll(v32, REG_SZ, odd.c_str(), bytes);
             EXPECT_EQ(StoredBytes(v32), bytes);
         },
         0, 0},
        {"no terminating NUL",
         [&] {
             SetPluginDll(v32, REG_SZ, unterminated.c_str(), pathBytes);
             EXPECT_EQ(StoredBytes(v32), pathBytes);
         },
         0, 0},
        {"longer than 260 units", [&] { sz(v32, std::wstring(300, L'x')); }, 0, 0},
        {"plug-in key without the subkey",
         [&] { ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kTeradiciPluginsKey, L"x", L"", v32)); },
         0, 0},
        {"no plug-in key", [] {}, 0, 0},
    };
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Teradici", v32);
        testing_support::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Teradici", v64);
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
