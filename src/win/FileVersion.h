#pragma once
// The fixed part of a file's version resource (VS_FIXEDFILEINFO).
#include <windows.h>

#include <vector>

namespace win {

// False when the file has no readable version resource.
inline bool ReadFixedFileVersion(const wchar_t* path, VS_FIXEDFILEINFO* info) {
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return false;
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(path, 0, size, data.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        !fixed || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    *info = *fixed;
    return true;
}

// The same for this process's executable.
inline bool ReadProgramFixedVersion(VS_FIXEDFILEINFO* info) {
    wchar_t path[MAX_PATH] = {};
    if (::GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) return false;
    return ReadFixedFileVersion(path, info);
}

}  // namespace win
