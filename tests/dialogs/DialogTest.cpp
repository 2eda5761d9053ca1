// The dialogs: their texts in process (no language selected, so every lookup
// gives its message id), then end to end in the built server started by COM
// and driven by farlinkdrive, with the machine state in the prefix's real
// registry and files (a server cannot see a test's scratch hive).
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>

#include "common/Testing.h"
#include "dialogs/RemoteDialogBase.h"
#include "support/TextFormat.h"
#include "resources/resource.h"

namespace {

using Strings = std::vector<std::string>;
std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

TEST(DialogTexts, TimeAgoShowsTheLargestWholeUnitOnly) {
    const long long m = 60, h = 3600, d = 86400;
    const std::pair<long long, const wchar_t*> rows[] = {
        {0, L"1 second"}, {2, L"2 seconds"}, {59, L"59 seconds"}, {m, L"1 minute"}, {2 * m - 1, L"1 minute"},
        {2 * m, L"2 minutes"}, {h - 1, L"59 minutes"}, {2 * h - 1, L"1 hour"}, {2 * h, L"2 hours"}, {d - 1, L"23 hours"},
        {2 * d - 1, L"1 day"}, {2 * d, L"2 days"}, {-5, L"1 second"}, {-3 * d, L"1 second"}};
    for (const auto& [seconds, text] : rows) { EXPECT_EQ(dialogs::TimeAgoText(seconds), text) << seconds; }
}

// A dialog-like window with the controls the base writes to.
class DialogBase : public testing::Test {
protected:
    DialogBase() {
        window_ = ::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                    nullptr, nullptr, nullptr);
        Child(L"Static", IDC_DESCRIPTION);
    }
    ~DialogBase() override { ::DestroyWindow(window_); }
    HWND Child(const wchar_t* cls, int id) {
        return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 20, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    tst::ScratchHive hive_;  // the base's detector probes the session
    dialogs::RemoteDialogBase base_;
    HWND window_;
};

TEST_F(DialogBase, TextsLeaveOutWhatIsUnknownAndFormatsCannotReadPastTheirArguments) {
    std::wstring all, text;
    for (VARIANT_BOOL value : {VARIANT_TRUE, VARIANT_BOOL(1), VARIANT_BOOL(0x7FFF)})
        base_.GetAuthorizationText(value, text), all += text + L"|";  // only all bits set is true
    for (int type : {0, -1, 7, 100}) base_.GetChannelName(type, text), all += text + L"|";
    for (int loaded : {-1, 2}) all += base_.GetDriverLoadText(loaded, text) ? text + L"|" : L"-|";
    for (int status : {0, 3}) all += base_.GetConnectionStatusText(OverallConnectionStatus(status), text) ? text + L"|" : L"-|";
    EXPECT_EQ(all, L"Enabled|Disabled|Disabled|||||-|-|-|-|");
    EXPECT_TRUE(!base_.GetTimeAgoText(0, text) && text.empty()) << "time 0 means never";
    // Formats from a catalogue cannot read past their arguments (the report
    // shows them filled as they should be).
    using support::FormatText;
    EXPECT_EQ(FormatText(L"%s and %s", {L"one"}), L"one and ");
    EXPECT_EQ(FormatText(L"100%% %n %d %", {}), L"100% %n %d %");
    EXPECT_EQ(FormatText(L"%u days", {L"text"}), L"0 days");
}

// farlinkdrive's report of one run.
struct ClientRun {
    DWORD exitCode = 0;
    std::string output;
    // Every value printed after "<key>=" at the start of a line, in order.
    Strings Values(const std::string& key) const {
        Strings values;
        for (size_t at = output.find(key + "="); at != std::string::npos; at = output.find(key + "=", at + 1)) {
            if (at != 0 && output[at - 1] != '\n') continue;
            std::string value = output.substr(at + key.size() + 1, output.find('\n', at) - at - key.size() - 1);
            if (!value.empty() && value.back() == '\r') value.pop_back();
            values.push_back(value);
        }
        return values;
    }
    Strings Lines() const { return Values("line"); }  // with \r and \n escaped as farlinkdrive writes them
    unsigned long StatusAfterMs() const { return std::strtoul(Value("dialog status visible after").c_str(), nullptr, 10); }
    std::string Value(const std::string& key) const {
        Strings values = Values(key);
        return values.empty() ? "" : values.front();
    }
};

class Dialogs : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(tst::RunServer(L"/RegServer"), 0u); }
    // Each test gets a server of its own: language, log and session type are
    // fixed per server process.
    void SetUp() override { ASSERT_TRUE(tst::WaitForNoServer(15000)); }
    void TearDown() override {
        if (tst::WaitForNoServer(15000)) return;
        ADD_FAILURE() << "the server outlived the test";  // a dialog left open waits for a user
        tst::KillServers();
    }
    ClientRun Run(const std::wstring& args) {
        ClientRun run;
        run.exitCode = tst::RunClient(args, &run.output);
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        return run;
    }
    ClientRun ShowAndRead(const std::wstring& testers, const std::wstring& steps = L"") {
        return Run(testers + L" connect show wait-dialog:desktop read:desktop " + steps +
                   L" click:desktop:close wait-gone:desktop release");
    }
    // Opens the Connection Status dialog, reads its report, runs `steps`, closes both.
    ClientRun StatusReport(const std::wstring& testers, const std::wstring& steps = L"") {
        return Run(testers + L" connect show wait-dialog:desktop click:desktop:test wait-dialog:status"
                             L" read:status " + steps + L" click:status:close wait-gone:status"
                             L" click:desktop:close wait-gone:desktop release");
    }
    void InstallWorkingRdp() {
        install_.CreatePluginFiles();
        install_.WriteAddin(tst::kKelp, install_.NativePath(), -1);
        if (install_.wow64) install_.WriteAddin(tst::kKelp32, install_.X86Path(), -1);
    }
    // The lines of the last report between its two stamps, after checking them.
    static Strings Body(const ClientRun& run) {
        const Strings lines = run.Lines();
        auto start = std::find_if(lines.rbegin(), lines.rend(),
                                  [](const std::string& l) { return l.rfind("Test started: ", 0) == 0; });
        EXPECT_TRUE(start != lines.rend() && start->size() > 14) << run.output;
        EXPECT_TRUE(!lines.empty() && lines.back().rfind("Test completed: ", 0) == 0 && lines.back().size() > 16) << run.output;
        if (start == lines.rend() || start == lines.rbegin()) return {};
        return Strings(start.base(), lines.end() - 1);
    }

    tst::SavedValue cache_{HKEY_CURRENT_USER, tst::kCacheKey, L"Server", L"Local"};
    tst::Install install_;  // 64-bit Windows for the i686 build, 32-bit Windows for x86_64
    tst::ClientDoubles clients_;
};

TEST_F(Dialogs, ClientMachineListsEachInstalledClientsChannelSortedAndRepairFollowsThem) {
    InstallWorkingRdp();
    // Remote Desktop and Azure count as installed everywhere; Glass never
    // shows on a client machine; the description follows the focus.
    ClientRun run = ShowAndRead(L"--tester name=T", L"focus:desktop:test sleep:1000 read:desktop");
    EXPECT_EQ(run.Lines(), (Strings{"Azure channel working\\r\\n", "RDP channel working\\r\\n",
                                  "Azure channel working\\r\\n", "RDP channel working\\r\\n"})) << run.output;
    EXPECT_EQ(run.Values("repair"), (Strings{"disabled", "disabled"})) << run.output;
    EXPECT_EQ(run.Values("description"), (Strings{"Status of the Corvane remote channels.",
        "Opens a dialog box that tests the connection status. This may take a minute."})) << run.output;

    // Citrix, Horizon and WorkSpaces present, each with a broken channel.
    const std::wstring workspaces = tst::MakeScratchDir(L"workspaces");
    ::CreateDirectoryW((workspaces + L"\\vchan_plugins").c_str(), nullptr);
    tst::SetString(HKEY_LOCAL_MACHINE, L"Software\\Citrix\\Install\\ICA Client", L"InstallFolder",
                   L"C:\\farlink-no-citrix\\", KEY_WOW64_32KEY);
    tst::SetString(HKEY_LOCAL_MACHINE, tst::kHorizonClientKey, L"Version", L"8.0", KEY_WOW64_32KEY);
    tst::SetString(HKEY_LOCAL_MACHINE, tst::kWorkSpacesCommandKey, L"", L"\"" + workspaces + L"\\workspaces.exe\" \"%1\"");
    run = ShowAndRead(L"--tester name=T");
    // farlinkctl lists the same channels, in the dialog's log order, each broken one with its reason.
    std::string check;
    EXPECT_EQ(tst::RunClient(L"check", &check, L"farlinkctl.exe"), 1u) << check;
    EXPECT_EQ(check, "RDP channel working\nCitrix channel not working\n  The plug-in file C:\\farlink-no-citrix\\vcbica.dll is missing.\n"
                     "Horizon channel not working\n  The add-in key HKEY_CURRENT_USER\\" + Narrow(tst::kKelp) +
                     " has no nonzero \"View Enabled\" value.\nAWS channel not working\n  The plug-in file " +
                     Narrow(workspaces) + "\\vchan_plugins\\vcbpco.dll is missing.\nAzure channel working\n");
    tst::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Citrix", KEY_WOW64_32KEY);
    tst::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\VMware, Inc.", KEY_WOW64_32KEY);
    tst::DeleteKeyTree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\workspaces");
    tst::RemoveTree(workspaces);
    EXPECT_EQ(run.Lines(), (Strings{"AWS channel not working\\r\\n", "Azure channel working\\r\\n",
                                  "Citrix channel not working\\r\\n", "Horizon channel not working\\r\\n",
                                  "RDP channel working\\r\\n"})) << run.output;
    EXPECT_EQ(run.Value("repair"), "enabled") << run.output;
    EXPECT_EQ(run.Value("description"), "Status of the Corvane remote channels.") << run.output;
}

TEST_F(Dialogs, AuthorizationComesFromTheFirstLiveTesterOnlyWhenItAnswers) {
    const std::pair<const wchar_t*, const char*> rows[] = {
        {L"--tester name=A,auth=true", "Enabled"}, {L"--tester name=A,auth=false", "Disabled"},
        {L"--tester name=A,auth=1", "Disabled"},  // only VARIANT_TRUE is true
        {L"--tester name=A,auth=true,auth-hr=0x80004005", ""}, {L"--tester name=A,auth=true,auth-hr=1", ""},
        {L"", ""}, {L"--tester name=A,auth=false --tester name=B,auth=true", "Disabled"},
        // A tester that does not answer its name is skipped.
        {L"--tester name=A,auth=false,name-hr=0x80004005 --tester name=B,auth=true", "Enabled"}};
    for (const auto& [testers, shown] : rows) {
        ASSERT_TRUE(tst::WaitForNoServer(15000));
        ClientRun run = ShowAndRead(testers);
        EXPECT_EQ(run.Values("authorization"), Strings{shown}) << run.output;
    }
}

TEST_F(Dialogs, RepairWritesTheAddinKeyReportsItAndRefillsTheList) {
    install_.CreatePluginFiles();
    ClientRun run = ShowAndRead(L"--tester name=T", L"focus:desktop:repair sleep:300 click:desktop:repair"
                                                    L" message-box sleep:500 read:desktop");
    EXPECT_EQ(run.Value("message"), "The remote channels have been repaired.") << run.output;
    // The keys' exact values are CInstallSupport's (DetectionTest); the list
    // shows them working: the native key, on 64-bit Windows the 32-bit one too.
    Strings lines = run.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RDP channel not working\\r\\n"), 1) << run.output;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RDP channel working\\r\\n"), 1) << run.output;
    // Nothing left to repair: the button goes off, its focus moves to the list.
    EXPECT_EQ(run.Values("repair"), (Strings{"enabled", "disabled"})) << run.output;
    EXPECT_EQ(run.Values("description").back(), "Status of the Corvane remote channels.") << run.output;
}

TEST_F(Dialogs, AFailedRepairShowsTheErrorAndKeepsRepairEnabled) {
    install_.CreatePluginFiles();
    tst::WriteBlockedKey blocked(HKEY_CURRENT_USER, tst::kKelp);  // no name, refuses writes
    ASSERT_TRUE(blocked.Blocked());
    ClientRun run = ShowAndRead(L"--tester name=T", L"click:desktop:repair message-box sleep:500 read:desktop");
    EXPECT_EQ(run.Value("message"), "An error occurred trying to repair the remote channels.") << run.output;
    Strings lines = run.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "RDP channel not working\\r\\n"), 2) << run.output;
    EXPECT_EQ(run.Values("repair"), (Strings{"enabled", "enabled"})) << run.output;
    // farlinkctl: the repair itself failed (exit code 2), and each channel says why.
    std::string out;
    EXPECT_EQ(tst::RunClient(L"repair", &out, L"farlinkctl.exe"), 2u) << out;
    EXPECT_EQ(tst::CountOf(out, "not working\n  The add-in key HKEY_CURRENT_USER\\Software\\Microsoft\\Terminal Server "
                                "Client\\Default\\Addins\\KELP is missing or has no \"Name\" value.\n  The Remote Desktop "
                                "add-in keys could not be written or removed.\n"), 2u) << out;
}

// The channel line follows the first test, with the status it completed
// with; a tester that cannot start shows nothing; without exactly one client
// process the client machine line stands alone and no test runs. A progress
// report restarts the ten-second wait: the last row gives up after ten.
TEST_F(Dialogs, TheReportListsEachTestersStatusesUnderTheChannelLine) {
    const long long now = ::_time64(nullptr);
    // Clients, one letter each: 'p' 32-bit and 'P' 64-bit with the plug-in
    // loaded, 'N' 64-bit without it. A 32-bit server (under WOW64) must list
    // for a 64-bit client what a 64-bit server lists.
    const struct { std::wstring clients; std::wstring testers; Strings body; unsigned long shownAfterMs = 0; } rows[] = {
        {L"P", L"--tester name=T,outcome=2,status=Link/" + std::to_wstring(now - 2 * 3600 - 60) + L"/" +
                std::to_wstring(now - 3 * 86400 - 60) + L"/0x80004005",
         {"RDP channel - loaded, connected", "Link:", "- last message sent 2 hours ago",
          "- last message received 3 days ago", "- last error 2147500037 (80004005)"}},
        {L"p", L"--tester name=A,outcome=1,status=LinkA/0/0/0 --tester name=B,status=LinkB/0/0/5,status=LinkC/0/0/0",
         {"RDP channel - loaded, not connected", "--- A ---", "LinkA:", "--- B ---", "LinkB:", "- last error 5 (5)", "LinkC:"}},
        {L"N", L"--tester name=A,outcome=2", {"RDP channel - not loaded, connected"}},
        {L"p", L"--tester name=A,start-hr=0x80004005,status=LinkA/0/0/1 --tester name=B,status=LinkB/0/0/0",
         {"RDP channel - loaded, connected", "--- B ---", "LinkB:"}},
        {L"", L"--tester name=A,status=Link/0/0/0", {"Client machine with no remote host running"}},
        {L"pP", L"--tester name=A,status=Link/0/0/0", {"Client machine with multiple server hosts running."}},
        // Completed 12 s in after two progress reports; a wait not restarted would end at 10, "not connected".
        {L"p", L"--tester name=T,progress=2,progress-delay=6000,outcome=2", {"RDP channel - loaded, connected"}, 11000},
        {L"p", L"--tester name=T,progress=0,no-complete", {"RDP channel - loaded, not connected"}, 9000}};
    for (const auto& row : rows) {
        clients_.StopAll();
        for (wchar_t c : row.clients) { ASSERT_TRUE(clients_.Start(L"mstsc.exe", c == L'N' ? nullptr : L"vcbrdp.dll", c != L'p')); }
        ASSERT_TRUE(tst::WaitForNoServer(15000));
        ClientRun run = StatusReport(row.testers);
        EXPECT_EQ(Body(run), row.body) << run.output;
        EXPECT_GE(run.StatusAfterMs(), row.shownAfterMs) << run.output;
        if (row.clients.size() != 1 || row.testers.find(L"start-hr") != std::wstring::npos) {
            EXPECT_EQ(tst::CountOf(run.output, "[A] EnumStatus"), 0u) << run.output;
        }
        EXPECT_EQ(run.Value("description"), "Lists the connection status for all virtual channels used.") << run.output;
    }
}

// farlinkctl check and repair without a server: the exit-code table, the
// report's lines and reasons, JSON, languages, usage errors that change
// nothing, no log and no server. They run in a folder where vendor libraries
// were planted, which never load.
TEST_F(Dialogs, FarlinkctlReportsEachChannelWithItsReasonAndAnExitCodeScriptsCanTrust) {
    const std::wstring planted = tst::MakeScratchDir(L"planted"), marker = planted + L"\\loaded.txt";
    for (auto [built, name] : {std::pair(L"double_wfapi.dll", L"\\wfapi.dll"), std::pair(L"double_vdpbridge.dll", L"\\vdp_rdpvcbridge.dll")})
        ASSERT_TRUE(::CopyFileW(tst::BesideExe(built).c_str(), (planted + name).c_str(), FALSE));
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(planted.c_str());
    ::SetEnvironmentVariableW(L"FARLINK_DOUBLE_MARKER", marker.c_str());
    const std::wstring log = tst::ServerLogPath(), logFolder = log.substr(0, log.find(L"\\Farlink\\") + 8);
    tst::RemoveTree(logFolder);
    const std::string plugin = Narrow(install_.NativePath()), kelp = "HKEY_CURRENT_USER\\" + Narrow(tst::kKelp);
    const std::string product = "HKEY_LOCAL_MACHINE\\" + Narrow(tst::kProductKey);
    std::string jsonKelp = kelp;  // each backslash escaped
    for (size_t at = jsonKelp.find('\\'); at != std::string::npos; at = jsonKelp.find('\\', at + 2)) jsonKelp.insert(at, 1, '\\');
    const std::string noFile = "  The plug-in file " + plugin + " is missing.\n";
    const auto noKey = [&](const char* name) {
        return "{\"type\":\"" + std::string(name) + "\",\"name\":\"" + name + " channel\",\"state\":\"not working\","
               "\"line\":\"" + name + " channel not working\",\"reason\":\"The add-in key " + jsonKelp + " is missing or has no \\\"Name\\\" value.\"}";
    };
    const std::string usage = "usage: farlinkctl check  [--json]";
    // Each step runs after `before`; an expected output that ends in a line
    // end is the whole output, any other a part of it.
    const struct { std::function<void()> before; const wchar_t* args; DWORD exitCode; std::string output; } steps[] = {
        {{}, L"", 2, usage}, {{}, L"frobnicate", 2, "unknown command: frobnicate"}, {{}, L"CHECK", 2, usage},
        {{}, L"check --bogus", 2, usage}, {{}, L"repair json", 2, usage},
        {{}, L"check --language --json", 2, "--language needs a value"},
        {{}, L"repair --product-code {00000000-0000-0000-0000-00000000000G}", 2, "braced GUID"},
        {{}, L"--help", 0, usage}, {{}, L"/?", 0, usage}, {{}, L"--version", 0, "farlinkctl 1.0.0.0\n"},
        // No plug-in files: writing the add-in key cannot make the channels work.
        {{}, L"check", 1, "RDP channel not working\n" + noFile + "Azure channel not working\n" + noFile},
        {{}, L"repair --json", 1, "\"repair\":{\"result\":\"incomplete\",\"message\":\"The repair ran, but some"},
        {[&] { install_.CreatePluginFiles(), tst::DeleteKeyTree(HKEY_CURRENT_USER, tst::kKelp); }, L"check --json", 1,
         "{\"schemaVersion\":1,\"toolVersion\":\"1.0.0.0\",\"productVersion\":\"" + Narrow(install_.version) +
             "\",\"command\":\"check\",\"installed\":true,\"session\":\"Local\",\"allWorking\":false,\"channels\":[" +
             noKey("RDP") + "," + noKey("Azure") + "]}\n"},
        {{}, L"repair --language deu", 0, "Die Remotekan\xc3\xa4le wurden repariert.\nRDP-Kanal funktioniert\nAzure-Kanal funktioniert\n"},
        {{}, L"check", 0, "RDP channel working\nAzure channel working\n"},
        {{}, L"repair", 0, "RDP channel working\nAzure channel working\n"},  // no message: nothing done
        {{}, L"check --language xyz", 0, "warning: no catalogue for the language \"xyz\""},
        {[&] { tst::DeleteKeyTree(HKEY_CURRENT_USER, tst::kKelp); }, L"check --language de", 1, "texts are in English"},
        {{}, L"check --language fra", 1, "Canal RDP non op\xc3\xa9rationnel\n  La cl\xc3\xa9 de compl\xc3\xa9ment HKEY_CURRENT_USER"},
        {[&] { tst::SetString(HKEY_LOCAL_MACHINE, tst::kProductKey, L"Version", L""); }, L"check", 3,
         "The product is not installed here: The product key " + product + " has no \"Version\" value.\n"},
        {[&] { tst::SetString(HKEY_LOCAL_MACHINE, tst::kProductKey, L"Version", L"0.0.404"); }, L"repair --json", 3,
         "\"productVersion\":\"0.0.404\",\"command\":\"repair\",\"installed\":false,\"reason\":\"The version key"}};
    for (const auto& step : steps) {
        if (step.before) step.before();
        std::string out;
        EXPECT_EQ(tst::RunClient(step.args, &out, L"farlinkctl.exe"), step.exitCode) << out;
        if (step.output.back() == '\n') EXPECT_EQ(out, step.output);
        else EXPECT_NE(out.find(step.output), std::string::npos) << step.output << "\n" << out;
        if (step.exitCode >= 2) { EXPECT_EQ(install_.ReadName(tst::kKelp), L"<missing>") << out; }
    }
    ::SetCurrentDirectoryW(previous);
    ::SetEnvironmentVariableW(L"FARLINK_DOUBLE_MARKER", nullptr);
    EXPECT_FALSE(tst::FileExists(marker)) << "a planted library was loaded";
    tst::RemoveTree(planted);
    EXPECT_TRUE(tst::ServerPids().empty());  // only the driver starts a server
    EXPECT_FALSE(tst::FileExists(logFolder));  // the dialogs' log is the server's alone
}

TEST_F(Dialogs, RefreshRunsAFreshPassAndIgnoresClicksDuringOne) {
    ASSERT_TRUE(clients_.Start(L"mstsc.exe", L"vcbrdp.dll"));
    // Each test completes after 2 s; the second click comes while the first
    // click's pass waits, the press after that pass.
    ClientRun run = StatusReport(L"--tester name=T,complete-delay=2000,outcome=2,status=Link/0/0/0",
                                 L"click:status:refresh sleep:500 click:status:refresh sleep:3500"
                                 L" press:status:refresh read:status");
    EXPECT_EQ(tst::CountOf(run.output, "[T] StartConnectionTest"), 3u) << run.output;
    // The list was emptied before the last pass: one report, not two.
    ASSERT_EQ(run.Lines().size(), 8u) << run.output;
    EXPECT_EQ(Body(run), (Strings{"RDP channel - loaded, connected", "Link:"})) << run.output;
}

// A tester whose client dies stays listed until a probe meets it; the count
// of testers shows as header lines, which stand only for two or more.
TEST_F(Dialogs, AKilledClientsTesterIsDroppedWhileTheOtherStays) {
    ASSERT_TRUE(clients_.Start(L"mstsc.exe", L"vcbrdp.dll"));
    // A holder keeps the server alive. The doomed client releases its object
    // before it dies (a reference held by a dead process would keep the server
    // beyond this test); its tester stays listed.
    tst::ChildProcess holder, doomed, survivor;
    ASSERT_TRUE(tst::StartClient(&holder, L"pid wait-input") && holder.WaitForOutput("pid=", 30000)) << holder.Output();
    ASSERT_TRUE(tst::StartClient(&doomed, L"--tester name=Doomed,status=LinkD/0/0/0 connect release wait-input") &&
                doomed.WaitForOutput("released", 30000)) << doomed.Output();
    ASSERT_TRUE(tst::StartClient(&survivor,
        L"--tester name=Survivor,status=LinkS/0/0/0 connect show wait-dialog:desktop click:desktop:test"
        L" wait-dialog:status read:status wait-input press:status:refresh read:status press:status:refresh"
        L" read:status click:status:close wait-gone:status click:desktop:close wait-gone:desktop release"));
    ASSERT_TRUE(survivor.WaitForOutput("LinkS:", 60000)) << survivor.Output();
    doomed.Kill();
    survivor.CloseInput();
    DWORD code = 1;
    ASSERT_TRUE(survivor.Wait(120000, &code) && code == 0) << survivor.Output();
    holder.CloseInput();
    EXPECT_TRUE(holder.Wait(10000));
    Strings passes;  // each pass's headers and links, joined
    for (const std::string& line : ClientRun{0, survivor.Output()}.Lines()) {
        if (line.rfind("Test started: ", 0) == 0) passes.emplace_back();
        if (!passes.empty() && (line.rfind("---", 0) == 0 || line.rfind("Link", 0) == 0)) passes.back() += line + "|";
    }
    // Both alive: a header each. Then the count is read before the probe meets
    // the dead tester: still two, only the live one reported. Then one: no header.
    EXPECT_EQ(passes, (Strings{"--- Doomed ---|LinkD:|--- Survivor ---|LinkS:|", "--- Survivor ---|LinkS:|", "LinkS:|"}))
        << survivor.Output();
}

// The language of the first request holds for the server's life; an unknown
// one shows the English texts.
TEST_F(Dialogs, TextsComeOutInTheFirstRequestedLanguage) {
    InstallWorkingRdp();
    const std::tuple<const wchar_t*, const char*, const char*, const char*> rows[] = {
        {L"deu", "Aktiviert", "RDP-Kanal funktioniert\\r\\n", "Clientcomputer ohne laufenden Remotehost"},
        {L"fra", "Activ\xC3\xA9" "e", "Canal RDP op\xC3\xA9rationnel\\r\\n",
         "Ordinateur client sans h\xC3\xB4te distant en cours d'ex\xC3\xA9" "cution"},
        {L"xyz", "Enabled", "RDP channel working\\r\\n", "Client machine with no remote host running"}};
    for (const auto& [language, authorization, rdpLine, noClient] : rows) {
        ASSERT_TRUE(tst::WaitForNoServer(15000));
        ClientRun run = Run(std::wstring(L"--tester name=T connect show:") + language +
                            L" wait-dialog:desktop read:desktop click:desktop:test wait-dialog:status read:status"
                            L" click:status:close wait-gone:status click:desktop:close wait-gone:desktop"
                            L" show:fra wait-dialog:desktop read:desktop click:desktop:close wait-gone:desktop release");
        EXPECT_EQ(run.Values("authorization"), (Strings{authorization, authorization})) << run.output;
        const Strings lines = run.Lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), rdpLine), lines.end()) << run.output;
        EXPECT_NE(std::find(lines.begin(), lines.end(), noClient), lines.end()) << run.output;
    }
}

// Client A releases its object with the dialog open: the dialog keeps the
// server, its class objects and its log. Client B joins that server; its Show
// moves the same dialog (in the language A chose). The log holds exactly the
// listed lines of both dialogs, channels in enumeration order (the list box
// sorts), each written as it was listed (a server killed then has lost none).
TEST_F(Dialogs, AClientAfterTheLastReleaseJoinsTheOpenDialogAndItsLog) {
    InstallWorkingRdp();
    std::string logged = "RDP channel working\r\r\n\r\nAzure channel working\r\r\n\r\n";
    ClientRun a = Run(L"--tester name=A connect pid show wait-dialog:desktop read:desktop release");
    EXPECT_EQ(tst::ReadFileBytes(tst::ServerLogPath()), logged);
    ClientRun b = Run(L"--tester name=B connect pid show:fra sleep:500 count:desktop read:desktop click:desktop:test"
                      L" wait-dialog:status read:status click:status:close wait-gone:status click:desktop:close"
                      L" wait-gone:desktop release watch-exit");
    EXPECT_EQ(b.Value("pid"), a.Value("pid")) << b.output;
    EXPECT_TRUE(b.Value("count desktop") == "1" && b.Value("server exit").rfind("0 ended=yes", 0) == 0) << b.output;
    const Strings lines = b.Lines();
    ASSERT_EQ(lines.size(), 5u) << b.output;
    EXPECT_EQ(Strings(lines.begin(), lines.begin() + 2), a.Lines()) << b.output;
    EXPECT_EQ(lines[3], "Client machine with no remote host running") << b.output;
    for (size_t i = 2; i < lines.size(); ++i) logged += lines[i] + "\r\n";
    EXPECT_EQ(tst::ReadFileBytes(tst::ServerLogPath()), logged);
}

// Shows and the release arrive before the dialog is up. A Show that lands
// while the dialog is being built shows it once more when it closes; the
// server stays for every showing asked for and ends after the last one.
TEST_F(Dialogs, ShowsRacingTheDialogsConstructionKeepTheServerUntilTheLastShowingCloses) {
    InstallWorkingRdp();
    for (DWORD gap : {0, 20, 60}) {
        ASSERT_TRUE(tst::WaitForNoServer(15000));
        Run(L"--tester name=T connect show sleep:" + std::to_wstring(gap) + L" show release");
        std::string once = "RDP channel working\r\r\n\r\nAzure channel working\r\r\n\r\n", all, out;
        // The next showing may be up before the last one is seen gone.
        while (tst::RunClient(L"--wait 5 wait-dialog:desktop click:desktop:close sleep:1000", &out) == 0)
            all += once;
        EXPECT_TRUE(all.size() == once.size() || all.size() == 2 * once.size()) << gap << out;
        EXPECT_TRUE(tst::WaitForNoServer(5000)) << gap;
        EXPECT_EQ(tst::ReadFileBytes(tst::ServerLogPath()), all) << gap;
    }
}

}  // namespace
