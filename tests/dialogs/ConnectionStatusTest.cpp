// The Connection Status dialog in the server: the report of a pass for the
// client processes found and the testers connected, the wait for each test,
// and Refresh.
#include <gtest/gtest.h>

#include <ctime>
#include <cstdlib>

#include "dialogs/DialogFixture.h"
#include "server/ServerProcess.h"
#include "shared/ClientDoubles.h"

namespace dialog_tests {
namespace {

using server_testing::CountOf;

bool IsStamp(const std::string& line, const char* label) {
    return line.rfind(std::string(label) + ": ", 0) == 0 && line.size() > strlen(label) + 2;
}

// The lines between the two time stamps, after checking the stamps.
std::vector<std::string> Body(const ClientRun& run) {
    std::vector<std::string> lines = run.Lines();
    EXPECT_GE(lines.size(), 2u) << run.output;
    if (lines.size() < 2) return {};
    EXPECT_TRUE(IsStamp(lines.front(), "Test started")) << run.output;
    EXPECT_TRUE(IsStamp(lines.back(), "Test completed")) << run.output;
    return std::vector<std::string>(lines.begin() + 1, lines.end() - 1);
}

unsigned long VisibleAfterMs(const ClientRun& run) {
    size_t at = run.output.find("dialog status visible after=");
    return at == std::string::npos ? 0 : std::strtoul(run.output.c_str() + at + 28, nullptr, 10);
}

class ConnectionStatusTest : public DialogTest {
protected:
    // The Remote Desktop client runs with the plug-in loaded.
    void StartRdpClient() { ASSERT_TRUE(clients_.Start(L"mstsc.exe", L"vcbrdp.dll")); }

    RdpInstall install_;
    detection_tests::ClientDoubles clients_;
};

TEST_F(ConnectionStatusTest, TheCompleteReportForOneTester) {
    StartRdpClient();
    long long now = ::_time64(nullptr);
    std::wstring status = L"Link/" + std::to_wstring(now - 2 * 3600 - 60) + L"/" +
                          std::to_wstring(now - 3 * 86400 - 60) + L"/0x80004005";
    ClientRun run = StatusReport(L"--tester name=T,outcome=2,status=" + status);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    std::vector<std::string> expected = {
        "RDP channel - loaded, connected",
        "Link:",
        "- last message sent 2 hours ago",
        "- last message received 3 days ago",
        "- last error 2147500037 (80004005)",
    };
    EXPECT_EQ(Body(run), expected) << run.output;
    EXPECT_EQ(run.Value("description"), "Lists the connection status for all virtual channels used.");
}

TEST_F(ConnectionStatusTest, TwoTestersEachGetAHeaderAndZeroValuesNoLines) {
    StartRdpClient();
    ClientRun run = StatusReport(L"--tester name=A,outcome=1,status=LinkA/0/0/0"
                                 L" --tester name=B,status=LinkB/0/0/5,status=LinkC/0/0/0");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    // The channel line follows the first test, with the status it completed with.
    std::vector<std::string> expected = {
        "RDP channel - loaded, not connected", "--- A ---", "LinkA:",
        "--- B ---", "LinkB:", "- last error 5 (5)", "LinkC:",
    };
    EXPECT_EQ(Body(run), expected) << run.output;
}

TEST_F(ConnectionStatusTest, ATesterWhoseTestCannotStartContributesNothing) {
    StartRdpClient();
    ClientRun run = StatusReport(L"--tester name=A,start-hr=0x80004005,status=LinkA/0/0/1"
                                 L" --tester name=B,status=LinkB/0/0/0");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    std::vector<std::string> expected = {"RDP channel - loaded, connected", "--- B ---", "LinkB:"};
    EXPECT_EQ(Body(run), expected) << run.output;
    EXPECT_EQ(CountOf(run.output, "[A] EnumStatus"), 0u) << run.output;
}

TEST_F(ConnectionStatusTest, WithoutOneClientProcessTheClientMachineLineStandsAlone) {
    const struct {
        int clients;
        const char* line;
    } rows[] = {{0, "Client machine with no remote host running"},
                {2, "Client machine with multiple server hosts running."}};
    for (const auto& row : rows) {
        detection_tests::ClientDoubles clients;
        for (int i = 0; i < row.clients; ++i) ASSERT_TRUE(clients.Start(L"mstsc.exe", L"vcbrdp.dll"));
        ASSERT_TRUE(server_testing::WaitForNoServer(15000));
        ClientRun run = StatusReport(L"--tester name=T,status=Link/0/0/0");
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_EQ(Body(run), std::vector<std::string>{row.line}) << run.output;
        EXPECT_EQ(CountOf(run.output, "[T] StartConnectionTest"), 0u) << run.output;
    }
}

TEST_F(ConnectionStatusTest, InsideARemoteSessionTheChannelLineHasNoDriverPart) {
    ASSERT_TRUE(cache_.Set(L"RDP"));
    ClientRun run = StatusReport(L"--tester name=T,outcome=1");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(Body(run), std::vector<std::string>{"RDP channel not connected"}) << run.output;
}

TEST_F(ConnectionStatusTest, ProgressRestartsTheWaitAndCompletionEndsIt) {
    StartRdpClient();
    // Completed comes 12 seconds in, two progress reports before it: a wait
    // that had not restarted would have given up at 10 and shown the status
    // before completion, "not connected".
    ClientRun run = StatusReport(L"--tester name=T,progress=2,progress-delay=6000,outcome=2");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(Body(run), std::vector<std::string>{"RDP channel - loaded, connected"}) << run.output;
    EXPECT_GE(VisibleAfterMs(run), 11000ul) << run.output;
}

TEST_F(ConnectionStatusTest, ASilentTestEndsTheWaitAfterTenSeconds) {
    StartRdpClient();
    ClientRun run = StatusReport(L"--tester name=T,progress=0,no-complete");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(Body(run), std::vector<std::string>{"RDP channel - loaded, not connected"})
        << run.output;
    unsigned long after = VisibleAfterMs(run);
    EXPECT_GE(after, 9000ul) << run.output;
    EXPECT_LT(after, 60000ul) << run.output;
}

TEST_F(ConnectionStatusTest, RefreshRunsAFreshPassAndIgnoresClicksDuringOne) {
    StartRdpClient();
    // Each test completes after two seconds. The second click arrives while
    // the first click's pass waits; the press comes after that pass.
    ClientRun run = StatusReport(
        L"--tester name=T,complete-delay=2000,outcome=2,status=Link/0/0/0",
        L"click:status:refresh sleep:500 click:status:refresh sleep:3500"
        L" press:status:refresh read:status");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(CountOf(run.output, "[T] StartConnectionTest"), 3u) << run.output;
    // The list was emptied before the last pass: one report, not two.
    std::vector<std::string> lines = run.Lines();
    ASSERT_EQ(lines.size(), 8u) << run.output;
    EXPECT_TRUE(IsStamp(lines[4], "Test started")) << run.output;
    EXPECT_EQ(lines[5], "RDP channel - loaded, connected") << run.output;
    EXPECT_EQ(lines[6], "Link:") << run.output;
    EXPECT_TRUE(IsStamp(lines[7], "Test completed")) << run.output;
}

}  // namespace
}  // namespace dialog_tests
