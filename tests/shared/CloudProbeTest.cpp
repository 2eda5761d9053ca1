// The cloud instance probe: the product UUID rule, the metadata check against a
// loopback server, the metadata URLs the test build allows, and WMI and the COM
// apartment as Wine really answers them. No request ever leaves 127.0.0.1.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/LoopbackHttpServer.h"
#include "shared/Farlink/CAwsSupport.h"
#include "shared/SessionTestSupport.h"

namespace {

using sharedfarlink::CAwsSupport;
using sharedfarlink::ScopedMetadataOriginOverride;

TEST(CloudProbe, Ec2UuidAndReachableMetadataMakeAws) {
    const HRESULT kWmiFailure = static_cast<HRESULT>(0x80041001);
    const struct {
        const wchar_t* uuid;  // null: the property had no text
        HRESULT hr;
        int check;  // CheckEc2Uuid
        bool served, aws;
    } rows[] = {
        {L"EC2A1F3B-97C4-5E1D-0B22-3F0D8C6A7B11", S_OK, 0, true, true},
        {L"EC2A1F3B-97C4-5E1D-0B22-3F0D8C6A7B11", S_OK, 0, false, false},
        {L"EC2", S_OK, 0, true, true},
        {L"ec2a1f3b-97c4-5e1d-0b22-3f0d8c6a7b11", S_OK, 1, true, false},
        {L"Ec2A1F3B", S_OK, 1, true, false},
        {L"EC", S_OK, 1, true, false},
        {L"", S_OK, 1, true, false},
        {L" EC2", S_OK, 1, true, false},
        {L"4C4C4544-0032-3010-8044-B2C04F4D3632", S_OK, 1, true, false},
        {nullptr, S_OK, 1, true, false},
        {L"EC2", kWmiFailure, static_cast<int>(kWmiFailure), true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.uuid ? row.uuid : L"(no text)");
        session_testing::FakeUuid uuid(row.uuid, row.hr);
        sharedfarlink::ScopedProductUuidOverride uuidOverride(uuid);
        testing_support::LoopbackHttpServer server;
        ASSERT_TRUE(!row.served || server.Start());
        std::wstring origin = server.Url(L"");
        ScopedMetadataOriginOverride originOverride(origin.c_str());
        EXPECT_EQ(row.check, CAwsSupport().CheckEc2Uuid());
        EXPECT_EQ(0, server.Requests());
        EXPECT_EQ(row.aws, CAwsSupport().IsAwsInstance());
        EXPECT_EQ(row.aws ? 1 : 0, server.Requests());
        if (row.aws) {
            EXPECT_EQ("GET /latest/dynamic/instance-identity/document HTTP/1.1",
                      server.FirstRequestLine());
        }
    }
}

TEST(CloudProbe, MetadataUrlStaysOnLoopback) {
    // Never opened here: only the URL the check would use is looked at.
    wchar_t url[sharedfarlink::kMetadataUrlChars];
    ASSERT_TRUE(sharedfarlink::GetMetadataUrl(url)) << "the test build's dead loopback origin";
    EXPECT_STREQ(L"http://127.0.0.1:9/latest/dynamic/instance-identity/document", url);

    ScopedMetadataOriginOverride loopback(L"http://127.0.0.1:8123");
    ASSERT_TRUE(sharedfarlink::GetMetadataUrl(url));
    EXPECT_STREQ(L"http://127.0.0.1:8123/latest/dynamic/instance-identity/document", url);

    const std::wstring tooLong = L"http://127.0.0.1/" + std::wstring(60, L'x');
    ScopedMetadataOriginOverride longOrigin(tooLong.c_str());
    EXPECT_FALSE(sharedfarlink::GetMetadataUrl(url));

    ScopedMetadataOriginOverride elsewhere(L"http://10.0.0.1");
    EXPECT_FALSE(sharedfarlink::GetMetadataUrl(url));
    EXPECT_EQ(L'\0', url[0]);
}

TEST(CloudProbe, LoopbackUrlRecognition) {
    for (const wchar_t* url : {L"http://127.0.0.1", L"http://127.0.0.1:8080/x", L"http://127.0.0.1/x"})
        EXPECT_TRUE(sharedfarlink::IsLoopbackHttpUrl(url)) << url;
    for (const wchar_t* url :
         {L"http://127.0.0.10", L"http://127.0.0.1.example.com", L"http://127.0.0.1:80@169.254.169.254",
          L"http://127.0.0.1:", L"https://127.0.0.1", L"http://169.254.169.254", L"http://localhost"})
        EXPECT_FALSE(sharedfarlink::IsLoopbackHttpUrl(url)) << url;
}

// The real WMI path: the UUID arrives as text, and a property no object has
// leaves the variant empty with S_OK.
TEST(CloudProbeWmi, ReadsProductUuid) {
    sharedfarlink::CWmiSupport wmi;
    const win::Bstr query(L"SELECT UUID FROM Win32_ComputerSystemProduct");
    win::Variant early, uuid, missing;
    EXPECT_LT(wmi.QueryProperty(query, L"UUID", early.Get()), 0) << "before Connect";
    ASSERT_EQ(S_OK, wmi.Connect(win::Bstr(L"ROOT\\CIMV2")));
    ASSERT_EQ(S_OK, wmi.QueryProperty(query, L"UUID", uuid.Get()));
    ASSERT_EQ(VT_BSTR, uuid.Ref().vt);
    EXPECT_EQ(36u, ::SysStringLen(uuid.Ref().bstrVal));
    EXPECT_EQ(S_OK, wmi.QueryProperty(query, L"NoSuchProperty", missing.Get()));
    EXPECT_EQ(VT_EMPTY, missing.Ref().vt);
}

// The apartment is released only when this object's own initialisation counted.
TEST(CloudProbeWmi, BalancesTheApartment) {
    const DWORD kNone = ~0u;
    const std::pair<DWORD, HRESULT> rows[] = {  // apartment held before, later MTA init
        {kNone, S_OK}, {COINIT_MULTITHREADED, S_FALSE}, {COINIT_APARTMENTTHREADED, RPC_E_CHANGED_MODE}};
    for (const auto& [before, expected] : rows) {
        HRESULT afterwards = E_FAIL;
        std::thread([&, before = before] {
            if (before != kNone) ::CoInitializeEx(nullptr, before);
            { sharedfarlink::CWmiSupport wmi; }
            afterwards = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(afterwards)) ::CoUninitialize();
            if (before != kNone) ::CoUninitialize();
        }).join();
        EXPECT_EQ(expected, afterwards) << before;
    }
}

}  // namespace
