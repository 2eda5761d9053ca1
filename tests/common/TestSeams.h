#pragma once
// The test programs' definitions of the product's seams (TestSeams.cpp, the
// library farlink_test_seams, linked in place of farlink_system_seams) and
// the switches over them. Without a switch they answer as the system does,
// except the metadata origin: a dead loopback port, and never an address off
// 127.0.0.1, so no test can reach the real metadata service.
#include "shared/Farlink/CloudProbeSeams.h"
#include "shared/Farlink/IsWow64.h"
#include "shared/Farlink/SessionFacts.h"

namespace sharedfarlink {

// Each scoped switch is not thread-safe; restore order is last in, first out.
class ScopedSessionFactsOverride {
public:
    explicit ScopedSessionFactsOverride(SessionFacts& fake);
    ~ScopedSessionFactsOverride();
    ScopedSessionFactsOverride(const ScopedSessionFactsOverride&) = delete;
    ScopedSessionFactsOverride& operator=(const ScopedSessionFactsOverride&) = delete;

private:
    SessionFacts* previous_;
};

class ScopedProductUuidOverride {
public:
    explicit ScopedProductUuidOverride(ProductUuidSource& source);
    ~ScopedProductUuidOverride();
    ScopedProductUuidOverride(const ScopedProductUuidOverride&) = delete;
    ScopedProductUuidOverride& operator=(const ScopedProductUuidOverride&) = delete;

private:
    ProductUuidSource* previous_;
};

// Sends the metadata request to `origin` ("http://127.0.0.1:<port>", a loopback
// server of the test); any other origin leaves none, so no request is made.
// The text is kept by pointer and must outlive the switch.
class ScopedMetadataOriginOverride {
public:
    explicit ScopedMetadataOriginOverride(const wchar_t* origin);
    ~ScopedMetadataOriginOverride();
    ScopedMetadataOriginOverride(const ScopedMetadataOriginOverride&) = delete;
    ScopedMetadataOriginOverride& operator=(const ScopedMetadataOriginOverride&) = delete;

private:
    const wchar_t* previous_;
};

// Tests run as a 64-bit process, where the answer is always false; this lets
// them walk the 64-bit-Windows paths as well. 1 or 0 forces the answer, -1
// returns to the real one.
void OverrideIsWow64ForTesting(int answer);

// True for "http://127.0.0.1", optionally with a port, followed by '/' or the end.
bool IsLoopbackHttpUrl(const wchar_t* url);

}  // namespace sharedfarlink
