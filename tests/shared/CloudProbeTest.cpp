// The cloud instance probe: the product UUID rule, the metadata check against a
// loopback server, the loopback-only guard, and WMI and the COM apartment as
// Wine really answers them. No request ever leaves 127.0.0.1.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/LoopbackHttpServer.h"
#include "shared/Farlink/CAwsSupport.h"
#include "shared/Farlink/CloudProbeOverrides.h"
#include "shared/SessionTestSupport.h"

namespace {

using session_testing::FakeUuid;
using sharedfarlink::CAwsSupport;
using sharedfarlink::ScopedMetadataOriginOverride;
using sharedfarlink::ScopedProductUuidOverride;

TEST(CloudProbe, Ec2UuidRule) {
    struct Row {
        const wchar_t* uuid;  // null: the property had no text
        HRESULT hr;
        int expected;
    };
    const Row rows[] = {
        {L"EC2A1F3B-97C4-5E1D-0B22-3F0D8C6A7B11", S_OK, 0},
        {L"EC2", S_OK, 0},
        {L"ec2a1f3b-97c4-5e1d-0b22-3f0d8c6a7b11", S_OK, 1},
        {L"Ec2A1F3B", S_OK, 1},
        {L"EC", S_OK, 1},
        {L"", S_OK, 1},
        {L"4C4C4544-0032-3010-8044-B2C04F4D3632", S_OK, 1},
        {L" EC2", S_OK, 1},
        {nullptr, S_OK, 1},
        {L"EC2", static_cast<HRESULT>(0x80041001), static_cast<int>(0x80041001)},
    };
    for (const Row& row : rows) {
        FakeUuid uuid(row.uuid, row.hr);
        ScopedProductUuidOverride override(uuid);
        CAwsSupport aws;
        EXPECT_EQ(row.expected, aws.CheckEc2Uuid()) << (row.uuid ? row.uuid : L"(no text)");
    }
}

enum class Metadata { kServed, kNobodyListens };

TEST(CloudProbe, IsAwsOnlyWithEc2UuidAndReachableMetadata) {
    struct Row {
        const wchar_t* uuid;
        HRESULT hr;
        Metadata metadata;
        bool aws;
        int requests;
    };
    const Row rows[] = {
        {L"EC2A1F3B-97C4", S_OK, Metadata::kServed, true, 1},
        {L"EC2A1F3B-97C4", S_OK, Metadata::kNobodyListens, false, 0},
        {L"ec2a1f3b-97c4", S_OK, Metadata::kServed, false, 0},
        {L"4C4C4544-0032", S_OK, Metadata::kServed, false, 0},
        {L"EC2A1F3B-97C4", E_ACCESSDENIED, Metadata::kServed, false, 0},
    };
    for (const Row& row : rows) {
        FakeUuid uuid(row.uuid, row.hr);
        ScopedProductUuidOverride uuidOverride(uuid);
        testing_support::LoopbackHttpServer server;
        std::wstring origin =
            L"http://127.0.0.1:" + std::to_wstring(testing_support::UnusedLoopbackPort());
        if (row.metadata == Metadata::kServed) {
            ASSERT_TRUE(server.Start());
            origin = server.Url(L"");
        }
        ScopedMetadataOriginOverride originOverride(origin.c_str());
        CAwsSupport aws;
        EXPECT_EQ(row.aws, aws.IsAwsInstance()) << row.uuid;
        EXPECT_EQ(row.requests, server.Requests()) << row.uuid;
        if (row.requests > 0) {
            EXPECT_EQ("GET /latest/dynamic/instance-identity/document HTTP/1.1",
                      server.FirstRequestLine());
        }
    }
}

TEST(CloudProbe, LoopbackOnlyGuardRefusesTheRealAddress) {
    // Never opened here: only the URL the check would use is looked at.
    wchar_t url[sharedfarlink::kMetadataUrlChars];
    ASSERT_EQ(L"1", session_testing::GetVariable(L"FARLINK_TEST_LOOPBACK_ONLY"));
    EXPECT_FALSE(sharedfarlink::GetMetadataUrl(url));
    EXPECT_EQ(L'\0', url[0]);

    session_testing::SetVariable(L"FARLINK_TEST_LOOPBACK_ONLY", nullptr);
    bool production = sharedfarlink::GetMetadataUrl(url);
    session_testing::SetVariable(L"FARLINK_TEST_LOOPBACK_ONLY", L"1");
    ASSERT_TRUE(production);
    EXPECT_STREQ(L"http://169.254.169.254/latest/dynamic/instance-identity/document", url);

    ScopedMetadataOriginOverride loopback(L"http://127.0.0.1:8123");
    ASSERT_TRUE(sharedfarlink::GetMetadataUrl(url));
    EXPECT_STREQ(L"http://127.0.0.1:8123/latest/dynamic/instance-identity/document", url);

    ScopedMetadataOriginOverride elsewhere(L"http://10.0.0.1");
    EXPECT_FALSE(sharedfarlink::GetMetadataUrl(url));
}

TEST(CloudProbe, LoopbackUrlRecognition) {
    struct Row {
        const wchar_t* url;
        bool loopback;
    };
    const Row rows[] = {
        {L"http://127.0.0.1", true},
        {L"http://127.0.0.1:8080", true},
        {L"http://127.0.0.1:8080/x", true},
        {L"http://127.0.0.1/x", true},
        {L"http://127.0.0.10", false},
        {L"http://127.0.0.1.example.com", false},
        {L"http://127.0.0.1:80@169.254.169.254", false},
        {L"http://127.0.0.1:", false},
        {L"https://127.0.0.1", false},
        {L"http://169.254.169.254", false},
        {L"http://localhost", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.loopback, sharedfarlink::IsLoopbackHttpUrl(row.url)) << row.url;
}

// The real WMI path: the UUID arrives as text, and a property no object has
// leaves the variant empty with S_OK.
TEST(CloudProbeWmi, ReadsProductUuid) {
    sharedfarlink::CWmiSupport wmi;
    ASSERT_EQ(S_OK, wmi.Connect(win::Bstr(L"ROOT\\CIMV2")));
    win::Variant uuid;
    ASSERT_EQ(S_OK, wmi.QueryProperty(win::Bstr(L"SELECT UUID FROM Win32_ComputerSystemProduct"),
                                      L"UUID", uuid.Get()));
    ASSERT_EQ(VT_BSTR, uuid.Ref().vt);
    EXPECT_EQ(36u, ::SysStringLen(uuid.Ref().bstrVal));

    win::Variant missing;
    EXPECT_EQ(S_OK, wmi.QueryProperty(win::Bstr(L"SELECT UUID FROM Win32_ComputerSystemProduct"),
                                      L"NoSuchProperty", missing.Get()));
    EXPECT_EQ(VT_EMPTY, missing.Ref().vt);

    // Checking the real UUID makes no request; the answer depends on the machine.
    CAwsSupport aws;
    int check = aws.CheckEc2Uuid();
    EXPECT_TRUE(check == 0 || check == 1) << std::hex << check;
}

TEST(CloudProbeWmi, QueryWithoutConnectionFails) {
    sharedfarlink::CWmiSupport wmi;
    win::Variant value;
    EXPECT_LT(wmi.QueryProperty(win::Bstr(L"SELECT UUID FROM Win32_ComputerSystemProduct"),
                                L"UUID", value.Get()),
              0);
}

// The apartment is released only when this object's own initialisation counted.
TEST(CloudProbeWmi, BalancesTheApartment) {
    struct Row {
        const char* name;
        DWORD before;        // COINIT_* the thread already holds, or ~0u for none
        HRESULT afterwards;  // what a new multithreaded init then answers
    };
    const DWORD kNone = ~0u;
    const Row rows[] = {
        {"no apartment", kNone, S_OK},
        {"multithreaded", COINIT_MULTITHREADED, S_FALSE},
        {"single-threaded", COINIT_APARTMENTTHREADED, RPC_E_CHANGED_MODE},
    };
    for (const Row& row : rows) {
        HRESULT afterwards = E_FAIL;
        std::thread([&] {
            if (row.before != kNone) ::CoInitializeEx(nullptr, row.before);
            { sharedfarlink::CWmiSupport wmi; }
            afterwards = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(afterwards)) ::CoUninitialize();
            if (row.before != kNone) ::CoUninitialize();
        }).join();
        EXPECT_EQ(row.afterwards, afterwards) << row.name;
    }
}

}  // namespace
