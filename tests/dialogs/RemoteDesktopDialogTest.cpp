// The Remote Desktop dialog in the server, as the product's user meets it:
// the authorization value, the channel lines, Repair and its messages, the
// Repair button's state, a second request while it is open, and the log.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/TestPaths.h"
#include "dialogs/DialogFixture.h"
#include "server/ServerProcess.h"
#include "shared/WriteBlockedKey.h"

namespace dialog_tests {
namespace {

const wchar_t kKelp[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP";

class RemoteDesktopDialogTest : public DialogTest {
protected:
    RdpInstall install_;
};

TEST_F(RemoteDesktopDialogTest, ClientMachineListsEachInstalledClientsChannelInAlphabeticalOrder) {
    OtherClients others;
    install_.CreatePluginFile();
    install_.Register();
    ClientRun run = ShowAndRead(L"--tester name=T");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    // Enumeration order is RDP, Citrix, Horizon, AWS, (Glass: never on a
    // client machine), Azure; the sorted list box orders them by text.
    std::vector<std::string> expected = {
        "AWS channel not working\\r\\n",     "Azure channel working\\r\\n",
        "Citrix channel not working\\r\\n",  "Horizon channel not working\\r\\n",
        "RDP channel working\\r\\n",
    };
    EXPECT_EQ(run.Lines(), expected) << run.output;
    EXPECT_EQ(run.Value("repair"), "enabled") << run.output;
    // The list has the focus when the dialog opens.
    EXPECT_EQ(run.Value("description"), "Status of the Corvane remote channels.") << run.output;
}

TEST_F(RemoteDesktopDialogTest, ClientsNotInstalledGetNoLineAndAllWorkingTurnsRepairOff) {
    install_.CreatePluginFile();
    install_.Register();
    ClientRun run = Run(L"--tester name=T connect show wait-dialog:desktop read:desktop"
                        L" focus:desktop:test sleep:300 read:desktop"
                        L" click:desktop:close wait-gone:desktop release");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    // Remote Desktop and Azure count as installed everywhere; Glass never
    // shows on a client machine.
    std::vector<std::string> expected = {"Azure channel working\\r\\n", "RDP channel working\\r\\n"};
    EXPECT_EQ(run.Lines(), (std::vector<std::string>{expected[0], expected[1], expected[0],
                                                     expected[1]}))
        << run.output;
    EXPECT_EQ(run.Values("repair"), (std::vector<std::string>{"disabled", "disabled"}))
        << run.output;
    // The description follows the focus as the buttons repaint.
    EXPECT_EQ(run.Values("description"),
              (std::vector<std::string>{
                  "Status of the Corvane remote channels.",
                  "Opens a dialog box that tests the connection status. This may take a minute."}))
        << run.output;
}

TEST_F(RemoteDesktopDialogTest, AuthorizationComesFromTheFirstLiveTesterOnlyWhenItAnswers) {
    const struct {
        const wchar_t* testers;
        const char* shown;
    } rows[] = {
        {L"--tester name=A,auth=true", "Enabled"},
        {L"--tester name=A,auth=false", "Disabled"},
        // Only VARIANT_TRUE is true.
        {L"--tester name=A,auth=1", "Disabled"},
        {L"--tester name=A,auth=true,auth-hr=0x80004005", ""},
        {L"--tester name=A,auth=true,auth-hr=1", ""},
        {L"", ""},
        {L"--tester name=A,auth=false --tester name=B,auth=true", "Disabled"},
        // A tester that does not answer its name is skipped.
        {L"--tester name=A,auth=false,name-hr=0x80004005 --tester name=B,auth=true", "Enabled"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(server_testing::WaitForNoServer(15000));
        ClientRun run = ShowAndRead(row.testers);
        ASSERT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_TRUE(run.Has("authorization=")) << run.output;
        EXPECT_EQ(run.Value("authorization"), row.shown) << run.output;
    }
}

TEST_F(RemoteDesktopDialogTest, RepairWritesTheAddinKeyReportsItAndRefillsTheList) {
    install_.CreatePluginFile();
    ClientRun run = Run(L"--tester name=T connect show wait-dialog:desktop read:desktop"
                        L" focus:desktop:repair sleep:300 click:desktop:repair message-box"
                        L" sleep:500 read:desktop click:desktop:close wait-gone:desktop release");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.Value("message"), "The remote channels have been repaired.") << run.output;
    std::wstring name;
    ASSERT_TRUE(install_.ReadRegisteredName(&name));
    EXPECT_EQ(name, install_.PluginPath());
    // Before the repair the RDP channel did not work; after the refill it does.
    std::vector<std::string> lines = run.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RDP channel not working\\r\\n"), 1) << run.output;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RDP channel working\\r\\n"), 1) << run.output;
    // Nothing is left to repair: the button goes off, and the focus it had
    // moves to the list first.
    EXPECT_EQ(run.Values("repair"), (std::vector<std::string>{"enabled", "disabled"})) << run.output;
    EXPECT_EQ(run.Values("description").back(), "Status of the Corvane remote channels.")
        << run.output;
}

TEST_F(RemoteDesktopDialogTest, AFailedRepairShowsTheErrorAndKeepsRepairEnabled) {
    install_.CreatePluginFile();
    // The add-in key exists without a name and refuses to be written.
    detection_tests::WriteBlockedKey blocked(HKEY_CURRENT_USER, kKelp);
    ASSERT_TRUE(blocked.Blocked());
    ClientRun run = Run(L"--tester name=T connect show wait-dialog:desktop"
                        L" click:desktop:repair message-box sleep:500 read:desktop"
                        L" click:desktop:close wait-gone:desktop release");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.Value("message"), "An error occurred trying to repair the remote channels.")
        << run.output;
    std::vector<std::string> lines = run.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RDP channel not working\\r\\n"), 1) << run.output;
    EXPECT_EQ(run.Value("repair"), "enabled") << run.output;
}

TEST_F(RemoteDesktopDialogTest, InsideARemoteSessionTheSessionsOwnChannelAloneAndRepairIsOff) {
    // The host side cannot judge the plug-in: it counts as working, nothing
    // is left to repair, and the button is off from the start.
    ASSERT_TRUE(cache_.Set(L"RDP"));
    ClientRun run = ShowAndRead(L"--tester name=T");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.Lines(), std::vector<std::string>{"RDP channel working\\r\\n"}) << run.output;
    EXPECT_EQ(run.Value("repair"), "disabled") << run.output;
}

TEST_F(RemoteDesktopDialogTest, ASecondRequestMovesTheOpenDialogOverTheNewParent) {
    ClientRun run = Run(L"--tester name=T connect parent-window:100,120 show"
                        L" wait-dialog:desktop read:desktop parent-window:420,260 show sleep:1000"
                        L" read:desktop count:desktop click:desktop:close wait-gone:desktop release");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.Values("position"), (std::vector<std::string>{"100,120", "420,260"}))
        << run.output;
    EXPECT_TRUE(run.Has("count desktop=1")) << run.output;
    // Not refilled: the tester is asked once.
    EXPECT_EQ(server_testing::CountOf(run.output, "[T] GetRemoteAccessAuthorization"), 1u)
        << run.output;
}

// The channel lines as the detector enumerates them, which is the order they
// reach the log; the list box shows them sorted.
std::vector<std::string> InEnumerationOrder(const std::vector<std::string>& listed) {
    const char* order[] = {"RDP", "Citrix", "Horizon", "AWS", "Azure"};
    std::vector<std::string> lines;
    for (const char* name : order) {
        for (const std::string& line : listed)
            if (line.rfind(std::string(name) + " channel", 0) == 0) lines.push_back(line);
    }
    return lines;
}

std::string Unescaped(const std::string& line) {
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == 'r' || line[i + 1] == 'n')) {
            out += line[++i] == 'r' ? '\r' : '\n';
        } else {
            out += line[i];
        }
    }
    return out;
}

TEST_F(RemoteDesktopDialogTest, TheLogHoldsExactlyTheListedLines) {
    install_.CreatePluginFile();
    install_.Register();
    ClientRun run = Run(L"--tester name=T,status=Link/0/0/0 connect pid show wait-dialog:desktop"
                        L" read:desktop click:desktop:test wait-dialog:status read:status"
                        L" click:status:close wait-gone:status click:desktop:close"
                        L" wait-gone:desktop release watch-exit");
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    ASSERT_TRUE(run.Has("ended=yes")) << run.output;
    std::vector<std::string> listed = run.Lines();
    // No client runs: the report is the client-machine line between the stamps.
    ASSERT_EQ(listed.size(), InEnumerationOrder(listed).size() + 3) << run.output;
    std::string expected;
    for (const std::string& line : InEnumerationOrder(listed)) expected += Unescaped(line) + "\r\n";
    for (size_t i = listed.size() - 3; i < listed.size(); ++i) expected += listed[i] + "\r\n";
    // The log writes every LF as CR LF, so a channel line ends "\r\r\n\r\n".
    size_t at = 0;
    while ((at = expected.find("\r\n\r\n", at)) != std::string::npos) {
        expected.replace(at, 4, "\r\r\n\r\n");
        at += 5;
    }
    EXPECT_EQ(testing_support::ReadFileBytes(server_testing::ServerLogPath()), expected);
    EXPECT_EQ(listed[listed.size() - 2], "Client machine with no remote host running") << run.output;
}

}  // namespace
}  // namespace dialog_tests
