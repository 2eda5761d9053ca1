// Where the server puts its log, and that each run starts it afresh.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/TestPaths.h"
#include "server/ServerProcess.h"

namespace {

TEST(LogFile, EachRunTruncatesTheLogInTheMajorVersionFolder) {
    unsigned major = server_testing::ServerMajorVersion();
    ASSERT_NE(major, 0xFFFFu) << "the server carries no version resource";
    std::wstring path = server_testing::ServerLogPath();
    EXPECT_NE(path.find(L"\\Corvane\\Shared\\Farlink\\" + std::to_wstring(major) + L"\\RemoteDesktop.txt"),
              std::wstring::npos);
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
