#pragma once
// The last reading of one Remote Desktop add-in key.
#include <string>

namespace sharedfarlink {

struct AddinEntry {
    bool found = false;        // "Name" was read
    bool viewEnabled = false;  // "View Enabled" nonzero; only read when asked for
    std::wstring name;         // the text of "Name"
    std::wstring expectedPath; // where this installation's plug-in must be
};

}  // namespace sharedfarlink
