// The tester list with in-process testers: which tester a probe returns,
// which it skips and which it drops.
#include <gtest/gtest.h>

#include <string>

#include "server/TesterList.h"
#include "com/ComObject.h"

namespace {

using win::ComPtr;

// Answers GetName and GetProductCode as told, and counts the calls.
class FakeTester final : public com::NoDispatch<IConnectionTester> {
public:
    FakeTester(HRESULT nameResult, const wchar_t* productCode = nullptr)
        : nameResult_(nameResult), productCode_(productCode) {}

    // Lives on the test's stack: the count is only watched, never acted on.
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetName(BSTR* name) override {
        ++nameCalls;
        *name = nameResult_ == S_OK ? ::SysAllocString(L"fake") : nullptr;
        return nameResult_;
    }
    STDMETHODIMP GetRemoteAccessAuthorization(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP StartConnectionTest(ITestProgress*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumStatus(VARIANT_BOOL, IConnectionStatus**) override { return E_NOTIMPL; }
    STDMETHODIMP GetProductCode(BSTR* code) override {
        ++productCalls;
        *code = productCode_ ? ::SysAllocString(productCode_) : nullptr;
        return productCode_ ? S_OK : S_FALSE;
    }

    ULONG refs = 1;
    int nameCalls = 0;
    int productCalls = 0;

private:
    HRESULT nameResult_;
    const wchar_t* productCode_;
};

TEST(TesterList, ProbeSkipsFailuresAndDropsGoneClients) {
    FakeTester gone(server::kClientGone), failing(E_FAIL), alive(S_OK), alive2(S_OK);
    {
        server::TesterList list;
        list.Add(&gone);
        list.Add(&failing);
        list.Add(&alive);
        list.Add(&alive2);
        ASSERT_EQ(list.Count(), 4u);

        ComPtr<IConnectionTester> found;
        ASSERT_TRUE(list.FindFirst(&found));
        EXPECT_EQ(found.Get(), &alive);
        // The gone client was dropped and its reference given back; the one
        // that merely failed stays.
        EXPECT_EQ(list.Count(), 3u);
        EXPECT_EQ(gone.refs, 1u);

        ASSERT_TRUE(list.FindNext(&found));
        EXPECT_EQ(found.Get(), &alive2);
        EXPECT_FALSE(list.FindNext(&found));
        EXPECT_FALSE(list.FindNext(&found));  // past the end stays there

        // A second pass asks the failing tester again, never the gone one.
        ASSERT_TRUE(list.FindFirst(&found));
        EXPECT_EQ(found.Get(), &alive);
        EXPECT_EQ(gone.nameCalls, 1);
        EXPECT_EQ(failing.nameCalls, 2);
    }
    EXPECT_EQ(alive.refs, 1u);
    EXPECT_EQ(failing.refs, 1u);
}

TEST(TesterList, EmptyOrAllDeadFindsNothing) {
    server::TesterList list;
    ComPtr<IConnectionTester> found;
    EXPECT_FALSE(list.FindFirst(&found));
    EXPECT_FALSE(list.FindNext(&found));

    FakeTester gone(server::kClientGone);
    list.Add(&gone);
    list.Add(&gone);  // the same tester twice is listed twice
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_FALSE(list.FindFirst(&found));
    EXPECT_EQ(list.Count(), 0u);
    found.Reset();
    EXPECT_EQ(gone.refs, 1u);
}

TEST(TesterList, ProductCodeFromFirstTesterThatHasOneThenCached) {
    FakeTester none(S_OK), empty(S_OK, L""), coded(S_OK, L"{PRODUCT}"), later(S_OK, L"{LATER}");
    server::TesterList list;
    EXPECT_EQ(list.QueryProductCode(), L"");
    list.Add(&none);
    list.Add(&empty);
    list.Add(&coded);
    list.Add(&later);
    EXPECT_EQ(list.QueryProductCode(), L"{PRODUCT}");
    EXPECT_EQ(later.productCalls, 0);
    EXPECT_EQ(list.QueryProductCode(), L"{PRODUCT}");
    EXPECT_EQ(coded.productCalls, 1);
    // Kept even when every tester has gone.
    list.Clear();
    EXPECT_EQ(list.QueryProductCode(), L"{PRODUCT}");
}

}  // namespace
