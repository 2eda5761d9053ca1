#include "shared/SeededRegistry.h"

#include "win/RegKey.h"

namespace detection_tests {

SeededRegistry::SeededRegistry(const wchar_t* session) {
    SetString(HKEY_CURRENT_USER, L"Software\\Corvane\\Farlink", L"Server", session);
}

bool SetRaw(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
            DWORD bytes) {
    win::RegKey k;
    if (k.Create(root, key.c_str(), KEY_SET_VALUE) != ERROR_SUCCESS) return false;
    return ::RegSetValueExW(k.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes) ==
           ERROR_SUCCESS;
}

bool SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text,
               REGSAM view) {
    win::RegKey k;
    if (k.Create(root, key.c_str(), KEY_SET_VALUE | view) != ERROR_SUCCESS) return false;
    return ::RegSetValueExW(k.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

bool SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD number,
              REGSAM view) {
    win::RegKey k;
    if (k.Create(root, key.c_str(), KEY_SET_VALUE | view) != ERROR_SUCCESS) return false;
    return ::RegSetValueExW(k.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof number) == ERROR_SUCCESS;
}

bool GetString(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* text) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, buffer, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    *text = buffer;
    return true;
}

bool GetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD* number) {
    DWORD bytes = sizeof *number;
    return ::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, number, &bytes) ==
           ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    win::RegKey k;
    return k.Open(root, key.c_str(), KEY_READ) == ERROR_SUCCESS;
}

}  // namespace detection_tests
