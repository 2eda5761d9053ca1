#pragma once
// In the scratch hive of RegistryOverride the 32-bit and the default registry
// view are one key, so a read in the wrong view would still pass. Wine keeps
// the views apart below any key that has a "Wow6432Node" child, as 64-bit
// Windows does below HKLM\Software; this gives the scratch HKLM that child.
namespace detection_tests {

// Call with the override in place. True when a key written in the 32-bit view
// is then missing from the default one, i.e. the split took.
bool SplitRegistryViews();

}  // namespace detection_tests
