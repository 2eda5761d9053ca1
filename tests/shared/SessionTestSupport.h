#pragma once
// What the session and cloud probe tests share. Every program that links
// SessionTestSupport.cpp routes every address but 127.0.0.1 to a dead
// loopback proxy; the test seams already refuse metadata origins off it.
#include <windows.h>

#include <string>

#include "common/TestSeams.h"
#include "win/RegKey.h"

namespace session_testing {

// A product UUID source that answers a fixed text (or a failure) and counts reads.
class FakeUuid : public sharedfarlink::ProductUuidSource {
public:
    explicit FakeUuid(const wchar_t* text, HRESULT hr = S_OK) : text_(text), hr_(hr) {}
    HRESULT ReadProductUuid(VARIANT* uuid) override {
        ++reads;
        if (SUCCEEDED(hr_) && text_) {
            uuid->vt = VT_BSTR;
            uuid->bstrVal = ::SysAllocString(text_);
        }
        return hr_;
    }
    int reads = 0;

private:
    const wchar_t* text_;  // null: no text value (VT_EMPTY)
    HRESULT hr_;
};

inline std::wstring GetVariable(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
    return n < 1024 ? std::wstring(value, n) : std::wstring();
}

// Writes a value, creating the key.
inline bool WriteValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type,
                       const void* data, DWORD bytes) {
    win::RegKey key;
    return key.Create(root, path, KEY_ALL_ACCESS) == ERROR_SUCCESS &&
           ::RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes) ==
               ERROR_SUCCESS;
}

}  // namespace session_testing
