#include "detection/VendorLibrary.h"

#include <windows.h>

#include <string>
#include <vector>

#include "win/ProgramFolder.h"
#include "win/Trace.h"

namespace sharedfarlink {

namespace {

// "C:\..." or "\\server\...": anything else resolves against the current directory.
bool IsAbsolute(const std::wstring& folder) {
    if (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/'))
        return true;
    return folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
}

std::vector<std::wstring> SearchFolders() {
    std::vector<std::wstring> folders;
    std::wstring program = win::ProgramFolder();
    if (!program.empty()) folders.push_back(program);
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = ::GetSystemDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) folders.emplace_back(buffer, n);
    DWORD size = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(size, L'\0');
    path.resize(size ? ::GetEnvironmentVariableW(L"PATH", &path[0], size) : 0);
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find(L';', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring folder = path.substr(start, end - start);
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        if (IsAbsolute(folder)) folders.push_back(folder);
        start = end + 1;
    }
    return folders;
}

HMODULE LoadFullPath(const std::wstring& file) {
    // Its own dependencies from its folder and the system's, never the current directory.
    HMODULE module = ::LoadLibraryExW(
        file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    // Windows 7 without KB2533623 knows no LOAD_LIBRARY_SEARCH_ flags.
    if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
        module = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) win::Trace(L"session", file.c_str(), win::LastErrorResult());
    return module;
}

}  // namespace

win::ScopedLibrary LoadVendorLibrary(const wchar_t* name) {
    for (std::wstring file : SearchFolders()) {
        if (!file.empty() && file.back() != L'\\') file += L'\\';
        file += name;
        DWORD attributes = ::GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        // The first one found is the one; a copy that does not load is not
        // passed over for another.
        return win::ScopedLibrary(LoadFullPath(file));
    }
    return win::ScopedLibrary();
}

}  // namespace sharedfarlink
