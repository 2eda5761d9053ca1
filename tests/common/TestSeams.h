#pragma once
// The test programs' definitions of the product's seams (TestSeams.cpp, the
// library farlink_test_seams, linked in place of farlink_system_seams) and
// the switches over them. Without a switch they answer as the system does,
// except the metadata origin: a dead loopback port, and never an address off
// 127.0.0.1, so no test can reach the real metadata service.
#include "detection/CloudProbeSeams.h"
#include "detection/IsWow64.h"
#include "detection/ModuleCompanion.h"
#include "detection/SessionFacts.h"

namespace sharedfarlink {

// The switches' slots (null: the system's answer) and a scoped swap of one;
// not thread-safe, restored last in, first out. An origin must outlive its
// swap; one off 127.0.0.1 sends no request at all.
extern SessionFacts* g_testSessionFacts;
extern ProductUuidSource* g_testUuidSource;
extern const wchar_t* g_testMetadataOrigin;
extern const wchar_t* g_testCompanionPath;  // the program the scan runs as its companion

template <typename T>
class ScopedOverride {
public:
    ScopedOverride(T*& slot, T* value) : slot_(slot), previous_(slot) { slot = value; }
    ~ScopedOverride() { slot_ = previous_; }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    T*& slot_;
    T* previous_;
};

// Tests run as a 64-bit process, where the answer is always false; this lets
// them walk the 64-bit-Windows paths as well. 1 or 0 forces the answer, -1
// returns to the real one.
void OverrideIsWow64ForTesting(int answer);

// A 64-bit test cannot meet a module list it cannot read: true sends every
// process's name and modules the way a WOW64 server reads a 64-bit process's.
void ReadModulesThroughCompanionForTesting(bool on);

// True for "http://127.0.0.1", optionally with a port, followed by '/' or the end.
bool IsLoopbackHttpUrl(const wchar_t* url);

}  // namespace sharedfarlink
