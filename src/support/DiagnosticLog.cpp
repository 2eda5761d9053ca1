#include "support/DiagnosticLog.h"

#include <shlobj.h>

#include "win/NumberText.h"
#include "win/CoTaskMem.h"
#include "win/FileVersion.h"

namespace support {

std::wstring DiagnosticLog::PathFor(const std::wstring& appDataFolder, unsigned majorVersion) {
    return appDataFolder + L"\\Corvane\\Shared\\Farlink\\" + win::NumberText(majorVersion) +
           L"\\RemoteDesktop.txt";
}

unsigned DiagnosticLog::ProductMajorVersion() {
    VS_FIXEDFILEINFO info;
    return win::ReadProgramFixedVersion(&info) ? HIWORD(info.dwProductVersionMS) : 0;
}

void DiagnosticLog::Open() {
    // Freed on failure too: the call may hand back a buffer either way.
    win::CoTaskMem<wchar_t> appData;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, appData.Put()))) {
        std::wstring path = PathFor(appData.Get(), ProductMajorVersion());
        std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
        // Errors are ignored: an existing folder is fine, and one that cannot
        // be made shows up as the open below failing.
        ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        OpenAt(path);
    } else {
        OpenAt(L"RemoteDesktop.txt");
    }
}

void DiagnosticLog::OpenAt(const std::wstring& path) {
    Close();
    file_.Reset(::CreateFileW(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void DiagnosticLog::WriteLine(const std::wstring& text) {
    if (!IsOpen()) return;
    std::string line;
    line.reserve(text.size() + 2);
    // A text stream writes "\n" as CR LF; do the same for every LF in the text.
    for (wchar_t c : text) {
        if (c == L'\n') {
            line += "\r\n";
        } else {
            line += c <= 0xFF ? static_cast<char>(static_cast<unsigned char>(c)) : '?';
        }
    }
    line += "\r\n";
    // One write per line, straight to the file: a server that is killed or
    // crashes keeps every line it listed, which is when the log is wanted.
    DWORD written = 0;
    ::WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void DiagnosticLog::Close() { file_.Reset(); }

}  // namespace support
