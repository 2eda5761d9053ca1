#pragma once
// farlinkctl check | repair: the Remote Desktop dialog's channel report, and
// its Repair, run in this process for the current user and session, with no
// server and no display, for administrators' scripts.
#include <string>

namespace farlinkctl {

// The exit codes, the same for text and JSON.
enum ExitCode {
    kAllWorking = 0,    // every channel that applies works
    kNeedsRepair = 1,   // some channel needs repair (after repair: still does)
    kCouldNotRun = 2,   // usage error, could not run, or the repair itself failed
    kNotInstalled = 3,  // the product is not installed here
};

struct CheckOptions {
    bool repair = false;
    bool json = false;
    std::wstring language = L"enu";
    std::wstring productCode;  // empty: the one the installation records
};

int RunCheck(const CheckOptions& options);

}  // namespace farlinkctl
