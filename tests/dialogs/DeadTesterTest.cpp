// A tester whose client process dies stays listed until a probe meets it; the
// probe drops it, and the next pass counts only the live tester. The count of
// testers shows in the Connection Status report as header lines, which stand
// only when two or more testers are connected.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/ChildProcess.h"
#include "dialogs/DialogFixture.h"
#include "server/ServerProcess.h"
#include "shared/ClientDoubles.h"

namespace dialog_tests {
namespace {

// The report lines of each pass, split at its "Test started" stamp.
std::vector<std::vector<std::string>> Passes(const ClientRun& run) {
    std::vector<std::vector<std::string>> passes;
    for (const std::string& line : run.Lines()) {
        if (line.rfind("Test started: ", 0) == 0) passes.emplace_back();
        if (!passes.empty()) passes.back().push_back(line);
    }
    return passes;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class DeadTesterTest : public DialogTest {};

TEST_F(DeadTesterTest, AKilledClientsTesterIsDroppedWhileTheOtherStays) {
    RdpInstall install;
    detection_tests::ClientDoubles clients;
    ASSERT_TRUE(clients.Start(L"mstsc.exe", L"vcbrdp.dll"));

    // A holder keeps the server alive throughout. The doomed client lets go of
    // its FarlinkUI object before it dies (a reference held by a dead process
    // would keep the server alive beyond this test); its tester stays listed.
    testing_support::ChildProcess holder;
    ASSERT_TRUE(server_testing::StartClient(&holder, L"pid wait-input"));
    ASSERT_TRUE(holder.WaitForOutput("pid=", 30000)) << holder.Output();
    testing_support::ChildProcess doomed;
    ASSERT_TRUE(server_testing::StartClient(
        &doomed, L"--tester name=Doomed,status=LinkD/0/0/0 connect release wait-input"));
    ASSERT_TRUE(doomed.WaitForOutput("released", 30000)) << doomed.Output();

    // The survivor shows the dialogs and reads a pass, waits while the doomed
    // client is killed, then reads two more passes.
    testing_support::ChildProcess survivor;
    ASSERT_TRUE(server_testing::StartClient(
        &survivor,
        L"--tester name=Survivor,status=LinkS/0/0/0 connect show wait-dialog:desktop"
        L" click:desktop:test wait-dialog:status read:status wait-input"
        L" press:status:refresh read:status press:status:refresh read:status"
        L" click:status:close wait-gone:status click:desktop:close wait-gone:desktop release"));
    ASSERT_TRUE(survivor.WaitForOutput("LinkS:", 60000)) << survivor.Output();
    doomed.Kill();
    survivor.CloseInput();
    DWORD code = 1;
    ASSERT_TRUE(survivor.Wait(120000, &code)) << survivor.Output();
    ASSERT_EQ(code, 0u) << survivor.Output();
    holder.CloseInput();
    EXPECT_TRUE(holder.Wait(10000));

    ClientRun run{code, survivor.Output()};
    std::vector<std::vector<std::string>> passes = Passes(run);
    ASSERT_EQ(passes.size(), 3u) << run.output;
    // Both alive: a header for each.
    EXPECT_TRUE(Contains(passes[0], "--- Doomed ---")) << run.output;
    EXPECT_TRUE(Contains(passes[0], "--- Survivor ---")) << run.output;
    // The count is read before the probe meets the dead tester: still two,
    // but only the live one is reported.
    EXPECT_FALSE(Contains(passes[1], "--- Doomed ---")) << run.output;
    EXPECT_FALSE(Contains(passes[1], "LinkD:")) << run.output;
    EXPECT_TRUE(Contains(passes[1], "--- Survivor ---")) << run.output;
    // Dropped by that probe: one tester left, so no header at all.
    EXPECT_FALSE(Contains(passes[2], "--- Survivor ---")) << run.output;
    EXPECT_TRUE(Contains(passes[2], "LinkS:")) << run.output;
}

}  // namespace
}  // namespace dialog_tests
