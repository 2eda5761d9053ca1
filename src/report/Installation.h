#pragma once
// Whether the product is installed on this machine at all, as the installer
// records it: the product key, its "Version", and that version's key. Without
// them there is no channel to check or repair.
#include <string>

namespace report {

struct Installation {
    bool installed = false;
    std::wstring version;  // empty when not recorded
    std::wstring reason;   // translated; why it counts as not installed
};

Installation ReadInstallation();

}  // namespace report
