#include "shared/Farlink/CAwsSupport.h"

#include <urlmon.h>

#include <string>
#include <utility>

#include "shared/Farlink/CloudProbeOverrides.h"

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

}  // namespace

CAwsSupport::~CAwsSupport() = default;

bool CAwsSupport::IsAwsInstance() {
    if (CheckEc2Uuid() != 0) return false;
    return CheckInstanceMetadata() == 0;
}

HRESULT CAwsSupport::ReadProductUuid(VARIANT* uuid) {
    if (ProductUuidSource* source = ProductUuidOverride()) return source->ReadProductUuid(uuid);
    win::Bstr nameSpace(L"ROOT\\CIMV2");
    if (nameSpace.IsNull()) return E_OUTOFMEMORY;
    HRESULT hr = Connect(std::move(nameSpace));
    if (FAILED(hr)) return hr;
    win::Bstr query = AsciiToBstr(kUuidQuery);
    if (query.IsNull()) return E_OUTOFMEMORY;
    return QueryProperty(query, L"UUID", uuid);
}

int CAwsSupport::CheckEc2Uuid() {
    win::Variant uuid;
    HRESULT hr = ReadProductUuid(uuid.Get());
    int result = 1;
    if (FAILED(hr)) result = hr;
    else if (BeginsWithEc2(uuid.Ref())) result = 0;
    Disconnect();
    return result;
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
