#include "support/LocaleFolder.h"

#include <windows.h>
#include <shlobj.h>

#include "win/CoTaskMem.h"
#include "win/FileVersion.h"
#include "win/NumberText.h"
#include "win/ProgramFolder.h"

namespace support {

namespace {

// The program formats these paths into fixed buffers of MAX_PATH characters;
// a longer one could not be formed and counts as absent.
bool IsDirectory(const std::wstring& path) {
    if (path.size() >= MAX_PATH) return false;
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) {
    return path.size() < MAX_PATH && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ProgramDataFolder() {
    // Freed on failure too: the call may hand back a buffer either way.
    win::CoTaskMem<wchar_t> folder;
    HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, folder.Put());
    return SUCCEEDED(hr) && folder ? folder.Get() : L"";
}

// "<ProgramData>\Corvane\<domain>\<major>.<minor>\locale", else the same with
// the major version alone; empty when neither is a folder.
std::wstring ProgramDataCandidate(const std::wstring& domain) {
    std::wstring programData = ProgramDataFolder();
    if (programData.empty()) return {};
    unsigned major = 0, minor = 0;
    ProgramProductVersion(&major, &minor);
    std::wstring base = programData + L"\\Corvane\\" + domain + L"\\";
    std::wstring exact =
        base + win::NumberText(major) + L"." + win::NumberText(minor) + L"\\locale";
    if (IsDirectory(exact)) return exact;
    std::wstring majorOnly = base + win::NumberText(major) + L"\\locale";
    if (IsDirectory(majorOnly)) return majorOnly;
    return {};
}

}  // namespace

void ProgramProductVersion(unsigned* major, unsigned* minor) {
    VS_FIXEDFILEINFO info;
    bool known = win::ReadProgramFixedVersion(&info);
    // The product version, not the file version: the catalogue folders are
    // named after the release the program belongs to.
    *major = known ? HIWORD(info.dwProductVersionMS) : 0;
    *minor = known ? LOWORD(info.dwProductVersionMS) : 0;
}

LocaleFolderResult FindLocaleFolder(const wchar_t* languageCode,
                                    const std::vector<std::wstring>& domains) {
    LocaleFolderResult result;
    const std::wstring language = languageCode ? languageCode : L"";

    // Beside the program wins outright, catalogue or not: an installation that
    // ships its own catalogues must never pick up another release's.
    std::wstring beside = win::ProgramFolder() + L"\\Locale";
    if (IsDirectory(beside)) {
        result.folder = beside;
        for (const std::wstring& domain : domains) {
            if (Exists(beside + L"\\" + language + L"\\lc_messages\\" + domain + L".mo")) {
                result.foundDomain = domain;
                break;
            }
        }
        result.found = true;
        return result;
    }

    for (const std::wstring& domain : domains) {
        std::wstring candidate = ProgramDataCandidate(domain);
        if (!candidate.empty()) {
            result.folder = candidate;
            result.foundDomain = domain;
            result.found = true;
            return result;
        }
    }
    return result;
}

}  // namespace support
