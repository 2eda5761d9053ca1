#pragma once
// The dialogs end to end: the built server started by COM, driven by
// farlinkctl, with the machine state the components read written into the
// prefix's real registry and file system (the server cannot see a test's
// registry override). Everything written is removed again.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/SessionCacheSeed.h"

namespace dialog_tests {

// farlinkctl's report of one run.
struct ClientRun {
    DWORD exitCode = 0;
    std::string output;

    // Every "line=" the reads printed, in order, with \r and \n as written.
    std::vector<std::string> Lines() const { return Values("line"); }
    // Every value printed after "<key>=" at the start of a line, in order.
    std::vector<std::string> Values(const std::string& key) const;
    // The text after the first "<key>=" at the start of a line; empty when none.
    std::string Value(const std::string& key) const;
    bool Has(const std::string& text) const { return output.find(text) != std::string::npos; }
};

// This installation of the product, with the RDP plug-in in the state a test
// asks for. The client doubles and the installation are the real thing.
class RdpInstall {
public:
    RdpInstall();
    ~RdpInstall();
    RdpInstall(const RdpInstall&) = delete;
    RdpInstall& operator=(const RdpInstall&) = delete;

    std::wstring PluginPath() const;
    void CreatePluginFile();
    // The KELP add-in key naming the plug-in: the RDP channel then works.
    void Register();
    bool ReadRegisteredName(std::wstring* name) const;

private:
    std::wstring version_;
    bool hadVersion_ = false;
    std::wstring previousVersion_;
};

// The Citrix, Horizon and WorkSpaces clients present, each with a broken
// channel (no plug-in file, no registration).
class OtherClients {
public:
    OtherClients();
    ~OtherClients();
    OtherClients(const OtherClients&) = delete;
    OtherClients& operator=(const OtherClients&) = delete;

private:
    std::wstring workspacesDir_;
};

class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Runs farlinkctl with `args`; the run must close what it opened.
    ClientRun Run(const std::wstring& args);
    // A tester behaviour and the steps that show the Remote Desktop dialog, read
    // it and close it.
    ClientRun ShowAndRead(const std::wstring& testers, const std::wstring& language = L"enu");
    // Opens the Connection Status dialog, reads its first report, then runs
    // `steps` and closes both dialogs.
    ClientRun StatusReport(const std::wstring& testers, const std::wstring& steps = L"");

    testing_support::SessionCacheSeed cache_;
};

}  // namespace dialog_tests
