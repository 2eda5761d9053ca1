#include "shared/SessionTestSupport.h"

#include <gtest/gtest.h>
#include <urlmon.h>

#include "common/LoopbackHttpServer.h"
#include "common/RegistryOverride.h"

namespace session_testing {

namespace {

// The prefix points the proxy at a dead loopback port and exempts nothing. The
// URL moniker reads the proxy settings once per process, at its first HTTP
// request. So the first request is made here, before any test, while a
// scratch HKCU holds the same dead proxy with only 127.0.0.1 exempted: the
// tests' loopback servers become reachable, every other address still goes
// to the dead proxy.
class LoopbackProxyEnvironment : public testing::Environment {
public:
    void SetUp() override {
        testing_support::RegistryOverride registry;
        const wchar_t settings[] =
            L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
        const DWORD enable = 1;
        WriteValue(HKEY_CURRENT_USER, settings, L"ProxyEnable", REG_DWORD, &enable, 4);
        WriteValue(HKEY_CURRENT_USER, settings, L"ProxyServer", REG_SZ, L"127.0.0.1:9", 24);
        WriteValue(HKEY_CURRENT_USER, settings, L"ProxyOverride", REG_SZ, L"127.0.0.1", 20);
        IStream* stream = nullptr;
        if (SUCCEEDED(::URLOpenBlockingStreamW(
                nullptr, testing_support::LoopbackHttpServer().Url(L"/").c_str(), &stream, 0,
                nullptr)))
            stream->Release();
    }
};

[[maybe_unused]] testing::Environment* const kLoopbackProxy =
    testing::AddGlobalTestEnvironment(new LoopbackProxyEnvironment);

}  // namespace

}  // namespace session_testing
