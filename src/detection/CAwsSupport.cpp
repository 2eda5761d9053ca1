#include "detection/CAwsSupport.h"

#include <urlmon.h>

#include <string>
#include <utility>

#include "detection/CloudProbeSeams.h"

namespace sharedfarlink {

namespace {

const char kUuidQuery[] = "SELECT UUID FROM Win32_ComputerSystemProduct";

// The query is ASCII; widening it byte by byte is exact.
win::Bstr AsciiToBstr(const char* text) {
    std::wstring wide;
    for (const char* p = text; *p; ++p) wide.push_back(static_cast<wchar_t>(*p));
    return win::Bstr(wide);
}

bool BeginsWithEc2(const VARIANT& uuid) {
    if (uuid.vt != VT_BSTR || !uuid.bstrVal) return false;
    // One by one: a shorter text stops at its terminator.
    const wchar_t* text = uuid.bstrVal;
    return text[0] == L'E' && text[1] == L'C' && text[2] == L'2';
}

class WmiProductUuidSource final : public ProductUuidSource {
public:
    HRESULT ReadProductUuid(VARIANT* uuid) override {
        CWmiSupport wmi;
        win::Bstr nameSpace(L"ROOT\\CIMV2");
        if (nameSpace.IsNull()) return E_OUTOFMEMORY;
        HRESULT hr = wmi.Connect(std::move(nameSpace));
        if (FAILED(hr)) return hr;
        win::Bstr query = AsciiToBstr(kUuidQuery);
        if (query.IsNull()) return E_OUTOFMEMORY;
        return wmi.QueryProperty(query, L"UUID", uuid);
    }
};

}  // namespace

ProductUuidSource& SystemProductUuidSource() {
    static WmiProductUuidSource source;
    return source;
}

CAwsSupport::~CAwsSupport() = default;

bool CAwsSupport::IsAwsInstance() {
    if (CheckEc2Uuid() != 0) return false;
    return CheckInstanceMetadata() == 0;
}

int CAwsSupport::CheckEc2Uuid() {
    win::Variant uuid;
    HRESULT hr = CurrentProductUuidSource().ReadProductUuid(uuid.Get());
    if (FAILED(hr)) return hr;
    return BeginsWithEc2(uuid.Ref()) ? 0 : 1;
}

int CAwsSupport::CheckInstanceMetadata() {
    wchar_t url[kMetadataUrlChars];
    if (!GetMetadataUrl(url)) return 1;
    win::ComPtr<IStream> stream;
    HRESULT hr = ::URLOpenBlockingStreamW(nullptr, url, stream.Put(), 0, nullptr);
    // Opening is the whole test: the document is not read.
    return FAILED(hr) ? 1 : 0;
}

}  // namespace sharedfarlink
