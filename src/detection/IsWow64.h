#pragma once
// Whether this process is a 32-bit process on 64-bit Windows.
namespace sharedfarlink {

// IsWow64Process on the own process; false when the call fails.
bool SystemIsWow64();

// Seam: the answer the installation paths use (SystemSeams.cpp in the shipped
// programs; the tests, a 64-bit process, can also walk the 64-bit-Windows paths).
bool IsWow64();

}  // namespace sharedfarlink
