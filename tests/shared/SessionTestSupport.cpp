#include "shared/SessionTestSupport.h"

#include <gtest/gtest.h>
#include <urlmon.h>

#include <cstring>

#include "common/LoopbackHttpServer.h"
#include "common/RegistryOverride.h"
#include "common/TestPaths.h"
#include "win/RegKey.h"
#include "win/ScopedHandle.h"

namespace session_testing {

namespace {

// Every test program that links this file refuses any metadata URL off
// 127.0.0.1, whatever the machine's UUID and whatever a test forgets.
[[maybe_unused]] const bool kLoopbackOnly = ::SetEnvironmentVariableW(L"FARLINK_TEST_LOOPBACK_ONLY", L"1");

// The prefix points the proxy at a dead loopback port, so nothing can leave
// the machine, and exempts nothing. The URL moniker reads the proxy settings
// once per process, at its first HTTP request. So the first request is made
// here, before any test, while a scratch HKCU holds the same dead proxy with
// only 127.0.0.1 exempted: the tests' own loopback servers become reachable
// and every other address still goes to the dead proxy.
class LoopbackProxyEnvironment : public testing::Environment {
public:
    void SetUp() override {
        testing_support::RegistryOverride registry;
        const wchar_t settings[] =
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
        WriteDword(HKEY_CURRENT_USER, settings, L"ProxyEnable", 1);
        WriteString(HKEY_CURRENT_USER, settings, L"ProxyServer", L"127.0.0.1:9");
        WriteString(HKEY_CURRENT_USER, settings, L"ProxyOverride", L"127.0.0.1");
        std::wstring url = L"http://127.0.0.1:" +
                           std::to_wstring(testing_support::UnusedLoopbackPort()) + L"/";
        IStream* stream = nullptr;
        if (SUCCEEDED(::URLOpenBlockingStreamW(nullptr, url.c_str(), &stream, 0, nullptr)))
            stream->Release();
    }
};

[[maybe_unused]] testing::Environment* const kLoopbackProxy =
    testing::AddGlobalTestEnvironment(new LoopbackProxyEnvironment);

const wchar_t* const kDoubleVariables[] = {L"FARLINK_WFAPI_ANSWER", L"FARLINK_WFAPI_LOG",
                                           L"FARLINK_VDP_ANSWER", L"FARLINK_VDP_LOG"};

}  // namespace

const wchar_t kWfapi[] = L"wfapi.dll";
const wchar_t kVdpBridge[] = L"vdp_rdpvcbridge.dll";
const wchar_t kWfapiDouble[] = L"double_wfapi.dll";
const wchar_t kWfapiNoExportsDouble[] = L"double_wfapi_noexports.dll";
const wchar_t kWfapiNoFreeDouble[] = L"double_wfapi_nofree.dll";
const wchar_t kVdpDouble[] = L"double_vdpbridge.dll";
const wchar_t kVdpNoFreeDouble[] = L"double_vdpbridge_nofree.dll";

const wchar_t kNotALibrary[] = L"<not a library>";

const wchar_t kCacheKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kTerminalServerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Terminal Server";

BOOL FakeSessionFacts::QueryTerminalSession(WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                                            DWORD* byteCount) {
    queried.push_back(static_cast<int>(infoClass));
    auto found = answers.find(static_cast<int>(infoClass));
    if (found == answers.end()) return FALSE;
    const TerminalAnswer& answer = found->second;
    if (answer.bytes >= 0) {
        BYTE* data = new BYTE[answer.bytes > 4 ? answer.bytes : 4]();
        std::memcpy(data, &answer.value, 4);
        live_.insert(data);
        *buffer = reinterpret_cast<LPWSTR>(data);
        *byteCount = static_cast<DWORD>(answer.bytes);
    }
    return answer.result;
}

void FakeSessionFacts::FreeTerminalMemory(void* memory) {
    if (live_.erase(memory) == 0) {
        ++foreignFrees;
        return;
    }
    delete[] static_cast<BYTE*>(memory);
}

BOOL FakeSessionFacts::SessionIdOfProcess(DWORD processId, DWORD* id) {
    if (processId != ::GetCurrentProcessId()) return FALSE;
    if (sessionIdResult) *id = sessionId;
    return sessionIdResult;
}

HRESULT FakeUuid::ReadProductUuid(VARIANT* uuid) {
    ++reads;
    if (FAILED(hr_)) return hr_;
    if (text_) {
        uuid->vt = VT_BSTR;
        uuid->bstrVal = ::SysAllocString(text_);
    }
    return S_OK;
}

VendorLibraryFolder::VendorLibraryFolder() {
    for (const wchar_t* name : kDoubleVariables) SetVariable(name, nullptr);
    folder_ = testing_support::MakeScratchDir(L"vendor");
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    previousDirectory_ = current;
    ::SetCurrentDirectoryW(folder_.c_str());
}

VendorLibraryFolder::~VendorLibraryFolder() {
    ::SetCurrentDirectoryW(previousDirectory_.c_str());
    testing_support::RemoveTree(folder_);
    for (const wchar_t* name : kDoubleVariables) SetVariable(name, nullptr);
}

bool VendorLibraryFolder::Install(const wchar_t* builtName, const wchar_t* vendorName) {
    std::wstring target = folder_ + L"\\" + vendorName;
    if (builtName == kNotALibrary) {
        win::ScopedHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        return file && ::WriteFile(file.Get(), "not a library\r\n", 15, &written, nullptr);
    }
    return ::CopyFileW(testing_support::BesideExe(builtName).c_str(), target.c_str(), FALSE) != 0;
}

void SetVariable(const wchar_t* name, const wchar_t* value) {
    ::SetEnvironmentVariableW(name, value);
}

std::wstring GetVariable(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
    return n < 1024 ? std::wstring(value, n) : std::wstring();
}

bool CreateKey(HKEY root, const wchar_t* path) {
    win::RegKey key;
    return key.Create(root, path, KEY_ALL_ACCESS) == ERROR_SUCCESS;
}

bool WriteValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type,
                const void* data, DWORD bytes) {
    win::RegKey key;
    return key.Create(root, path, KEY_ALL_ACCESS) == ERROR_SUCCESS &&
           ::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes) ==
               ERROR_SUCCESS;
}

bool WriteString(HKEY root, const wchar_t* path, const wchar_t* name, const wchar_t* text) {
    return WriteValue(root, path, name, REG_SZ, text,
                      static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
}

bool WriteDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD value) {
    return WriteValue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool ReadValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD* type,
               std::vector<BYTE>* data) {
    win::RegKey key;
    DWORD bytes = 0;
    if (key.Open(root, path, KEY_READ) != ERROR_SUCCESS ||
        ::RegQueryValueExW(key.Get(), name, nullptr, type, nullptr, &bytes) != ERROR_SUCCESS)
        return false;
    data->assign(bytes, 0);
    return ::RegQueryValueExW(key.Get(), name, nullptr, type, data->data(), &bytes) ==
           ERROR_SUCCESS;
}

}  // namespace session_testing
