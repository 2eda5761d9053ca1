#pragma once
// Running the built server and the bundled client from a test.
#include <windows.h>

#include <string>

#include "common/ChildProcess.h"

namespace server_testing {

// FarlinkUI.exe and farlinkctl.exe beside the test.
std::wstring ServerPath();
std::wstring ClientPath();

// Runs "FarlinkUI.exe <args>" (or `exe` instead) to its end; the exit code.
DWORD RunServer(const std::wstring& args, const std::wstring& exe = ServerPath());

// Runs "farlinkctl.exe <args>" to its end; its output in `output`.
DWORD RunClient(const std::wstring& args, std::string* output);

// Starts farlinkctl without waiting.
bool StartClient(testing_support::ChildProcess* child, const std::wstring& args);

// The number after "pid=" in a client's output; 0 when absent.
DWORD ReportedPid(const std::string& output);

// Counts the occurrences of `needle`.
size_t CountOf(const std::string& haystack, const std::string& needle);

// Ids of running processes whose image is named `name` (case-insensitive).
std::wstring ProcessImageName(DWORD pid);

// The high word of the server's product version; 0xFFFF when unreadable.
unsigned ServerMajorVersion();

// Where the server writes its log for this user:
// %APPDATA%\Corvane\Shared\Farlink\<major version>\RemoteDesktop.txt.
std::wstring ServerLogPath();

// Waits until no FarlinkUI.exe runs, at most `ms`; true when none is left.
bool WaitForNoServer(DWORD ms);

// Ends every FarlinkUI.exe of this prefix, for a test that left one behind.
void KillServers();

}  // namespace server_testing
