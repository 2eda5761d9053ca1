// Where the server puts its log, and that each run starts it afresh.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "common/TestPaths.h"
#include "server/ServerProcess.h"

namespace {

unsigned ServerMajorVersion() {
    std::wstring exe = server_testing::ServerPath();
    DWORD ignored = 0;
    std::vector<BYTE> data(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (data.empty() || !::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length))
        return 0xFFFF;
    return HIWORD(info->dwProductVersionMS);
}

std::wstring LogPath() {
    PWSTR appData = nullptr;
    ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &appData);
    std::wstring path = std::wstring(appData) + L"\\Corvane\\Shared\\Farlink\\" +
                        std::to_wstring(ServerMajorVersion()) + L"\\RemoteDesktop.txt";
    ::CoTaskMemFree(appData);
    return path;
}

TEST(LogFile, EachRunTruncatesTheLogInTheMajorVersionFolder) {
    ASSERT_NE(ServerMajorVersion(), 0xFFFFu) << "the server carries no version resource";
    std::wstring path = LogPath();
    ASSERT_EQ(server_testing::RunServer(L"/RegServer"), 0u);
    ASSERT_TRUE(testing_support::FileExists(path));

    // Lines of an earlier run are gone after the next start, even when that
    // start only registers.
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, "old run\r\n", 9, &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(server_testing::RunServer(L"/RegServer"), 0u);
    EXPECT_TRUE(testing_support::FileExists(path));
    EXPECT_EQ(testing_support::ReadFileBytes(path), "");
}

}  // namespace
