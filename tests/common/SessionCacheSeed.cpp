#include "common/SessionCacheSeed.h"

#include "win/RegKey.h"

namespace testing_support {

namespace {
const wchar_t kCacheKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kCacheValue[] = L"Server";
}  // namespace

SessionCacheSeed::SessionCacheSeed(const wchar_t* session) {
    win::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kCacheKey, KEY_QUERY_VALUE) == ERROR_SUCCESS) {
        wchar_t text[260] = {};
        DWORD bytes = sizeof text - sizeof(wchar_t);
        hadValue_ = ::RegQueryValueExW(key.Get(), kCacheValue, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(text), &bytes) == ERROR_SUCCESS;
        if (hadValue_) previous_ = text;
    }
    seeded_ = Set(session);
}

SessionCacheSeed::~SessionCacheSeed() {
    win::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kCacheKey, KEY_SET_VALUE) != ERROR_SUCCESS) return;
    if (hadValue_) {
        ::RegSetValueExW(key.Get(), kCacheValue, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(previous_.c_str()),
                         static_cast<DWORD>((previous_.size() + 1) * sizeof(wchar_t)));
    } else {
        ::RegDeleteValueW(key.Get(), kCacheValue);
    }
}

bool SessionCacheSeed::Set(const wchar_t* session) {
    win::RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kCacheKey, KEY_SET_VALUE) != ERROR_SUCCESS) return false;
    std::wstring text = session;
    return ::RegSetValueExW(key.Get(), kCacheValue, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace testing_support
