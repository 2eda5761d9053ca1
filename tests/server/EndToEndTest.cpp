// The server activated out of process by the bundled client, as the product
// would: activation, the process id, argument checks, late binding, testers
// whose process dies, and the server's end.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/SessionCacheSeed.h"
#include "server/ServerProcess.h"

namespace {

using server_testing::CountOf;
using server_testing::ReportedPid;
using server_testing::RunClient;
using server_testing::RunServer;

class EndToEndTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // Wine activates only classes registered for the whole machine.
        ASSERT_EQ(RunServer(L"/RegServer"), 0u);
    }
    void SetUp() override {
        ASSERT_TRUE(server_testing::WaitForNoServer(10000));
        // A dialog probes the session; the cache answers before the cloud check can.
        ASSERT_TRUE(cache_.Seeded());
    }

    testing_support::SessionCacheSeed cache_;
};

// Shows the dialog and closes it as a user would: an open dialog keeps the
// server running after the last release.
const wchar_t kShowAndClose[] =
    L" show wait-dialog:desktop click:desktop:close wait-gone:desktop ";

TEST_F(EndToEndTest, ActivatesOutOfProcessAndReportsTheServersPid) {
    testing_support::ChildProcess holder;
    ASSERT_TRUE(server_testing::StartClient(&holder, L"pid wait-input"));
    ASSERT_TRUE(holder.WaitForOutput("pid=", 30000)) << holder.Output();
    DWORD pid = ReportedPid(holder.Output());
    ASSERT_NE(pid, 0u);
    EXPECT_NE(pid, holder.Pid());
    EXPECT_EQ(server_testing::ProcessImageName(pid), L"FarlinkUI.exe");

    // Another object, from another client, lives in the same server.
    std::string second;
    ASSERT_EQ(RunClient(L"pid pid", &second), 0u) << second;
    EXPECT_EQ(CountOf(second, "pid=" + std::to_string(pid) + " -> 0x00000000"), 2u) << second;
    holder.CloseInput();
    EXPECT_TRUE(holder.Wait(10000));
}

TEST_F(EndToEndTest, ArgumentChecksAndInterfaces) {
    std::string out;
    ASSERT_EQ(RunClient(L"connect-null qi-dispatch pid late-pid testprogress", &out), 0u) << out;
    EXPECT_NE(out.find("connect-null -> 0x80004003"), std::string::npos) << out;
    // IDispatch is reached through the dual interface, not by QueryInterface.
    EXPECT_NE(out.find("qi-dispatch -> 0x80004002"), std::string::npos) << out;
    std::string pid = std::to_string(ReportedPid(out));
    EXPECT_NE(out.find("late-pid dispid=2 pid=" + pid + " -> 0x00000000"), std::string::npos) << out;
    EXPECT_NE(out.find("testprogress Progress -> 0x00000000"), std::string::npos) << out;
    EXPECT_NE(out.find("testprogress Completed -> 0x00000000"), std::string::npos) << out;
}

TEST_F(EndToEndTest, ServerExitsAboutASecondAfterTheLastRelease) {
    std::string out;
    ASSERT_EQ(RunClient(std::wstring(L"--tester name=T connect pid") + kShowAndClose +
                            L"release watch-exit",
                        &out), 0u);
    size_t at = out.find("server exit=0 ended=yes after=");
    ASSERT_NE(at, std::string::npos) << out;
    unsigned long after = std::strtoul(out.c_str() + at + 30, nullptr, 10);
    // The pause after the message loop is one second; the bounds are loose
    // on purpose, this is no timing test.
    EXPECT_GE(after, 800ul) << out;
    EXPECT_LT(after, 10000ul) << out;
}

}  // namespace
