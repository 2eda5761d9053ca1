#include "common/TestSeams.h"

#include <atomic>
#include <cwchar>

namespace sharedfarlink {

namespace {

// Port 9 (discard): nothing listens there, so a forgotten switch fails fast.
const wchar_t kDeadOrigin[] = L"http://127.0.0.1:9";

std::atomic<int> g_wow64{-1};
std::atomic<bool> g_throughCompanion{false};

}  // namespace

SessionFacts* g_testSessionFacts = nullptr;
ProductUuidSource* g_testUuidSource = nullptr;
const wchar_t* g_testMetadataOrigin = nullptr;
const wchar_t* g_testCompanionPath = nullptr;

SessionFacts& CurrentSessionFacts() { return g_testSessionFacts ? *g_testSessionFacts : SystemSessionFacts(); }

ProductUuidSource& CurrentProductUuidSource() { return g_testUuidSource ? *g_testUuidSource : SystemProductUuidSource(); }

const wchar_t* MetadataOrigin() {
    const wchar_t* origin = g_testMetadataOrigin ? g_testMetadataOrigin : kDeadOrigin;
    return IsLoopbackHttpUrl(origin) ? origin : nullptr;
}

bool IsWow64() {
    int forced = g_wow64.load();
    return forced >= 0 ? forced != 0 : SystemIsWow64();
}

void OverrideIsWow64ForTesting(int answer) { g_wow64.store(answer < 0 ? -1 : (answer != 0 ? 1 : 0)); }

bool ModulesNeedCompanion(HANDLE process) { return g_throughCompanion.load() || SystemModulesNeedCompanion(process); }

std::wstring CompanionPath() { return g_testCompanionPath ? g_testCompanionPath : SystemCompanionPath(); }

void ReadModulesThroughCompanionForTesting(bool on) { g_throughCompanion.store(on); }

bool IsLoopbackHttpUrl(const wchar_t* url) {
    static const wchar_t kPrefix[] = L"http://127.0.0.1";
    const size_t prefixLength = std::wcslen(kPrefix);
    if (!url || std::wcsncmp(url, kPrefix, prefixLength) != 0) return false;
    const wchar_t* rest = url + prefixLength;
    // Only a port may follow the address: "127.0.0.1:80@elsewhere" names
    // another host, "127.0.0.1.example" another name.
    if (*rest == L':') {
        const wchar_t* digits = ++rest;
        while (*rest >= L'0' && *rest <= L'9') ++rest;
        if (rest == digits) return false;
    }
    return *rest == L'\0' || *rest == L'/';
}

}  // namespace sharedfarlink
