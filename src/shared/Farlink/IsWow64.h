#pragma once
// Whether this process is a 32-bit process on 64-bit Windows.
namespace sharedfarlink {

// IsWow64Process on the own process; false when the call fails.
bool IsWow64();

// Tests run as a 64-bit process, where the answer is always false; this lets
// them walk the 64-bit-Windows paths as well. 1 or 0 forces the answer, -1
// returns to the real one. Not for production code.
void OverrideIsWow64ForTesting(int answer);

}  // namespace sharedfarlink
