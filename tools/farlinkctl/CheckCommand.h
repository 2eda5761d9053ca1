#pragma once
// farlinkctl check | repair: the Remote Desktop dialog's detection, and its
// Repair, run in this process for the current user and session, with no
// server and no display, for administrators' scripts.
//
//   farlinkctl check  [--json] [--language LANG] [--product-code CODE]
//   farlinkctl repair [--json] [--language LANG] [--product-code CODE]
//
// check prints one line per channel in the dialog's words and order; repair
// first prints the dialog's message for the repair's result (nothing when
// there was nothing to do). --json prints one object instead (README).
// Exit codes: 0 every listed channel works, 1 some channel needs repair,
// 2 usage error, could not run (reason on stderr) or the repair failed.
namespace farlinkctl {

// True when `command` is "check" or "repair".
bool IsCheckCommand(const wchar_t* command);

// Runs the command named by argv[1]; the process exit code.
int RunCheckCommand(int argc, wchar_t** argv);

}  // namespace farlinkctl
