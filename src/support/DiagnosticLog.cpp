#include "support/DiagnosticLog.h"

#include <shlobj.h>

#include "win/CoTaskMem.h"
#include "win/FileVersion.h"

namespace support {

namespace {

DiagnosticLog* g_processLog = nullptr;

// Matches a buffered text stream: lines reach the file when this much is
// pending, and at the latest on Close.
constexpr size_t kFlushThreshold = 4096;

}  // namespace

std::wstring DiagnosticLog::PathFor(const std::wstring& appDataFolder, unsigned majorVersion) {
    return appDataFolder + L"\\Corvane\\Shared\\Farlink\\" + std::to_wstring(majorVersion) +
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
    // A text stream writes "\n" as CR LF; do the same for every LF in the text.
    for (wchar_t c : text) {
        if (c == L'\n') {
            buffer_ += "\r\n";
        } else {
            buffer_ += c <= 0xFF ? static_cast<char>(static_cast<unsigned char>(c)) : '?';
        }
    }
    buffer_ += "\r\n";
    if (buffer_.size() >= kFlushThreshold) Flush();
}

void DiagnosticLog::Flush() {
    if (!IsOpen() || buffer_.empty()) return;
    DWORD written = 0;
    ::WriteFile(file_.Get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &written, nullptr);
    buffer_.clear();
}

void DiagnosticLog::Close() {
    if (!IsOpen()) return;
    Flush();
    file_.Reset();
}

void LogLine(const std::wstring& text) {
    if (g_processLog) g_processLog->WriteLine(text);
}

void SetProcessLog(DiagnosticLog* log) { g_processLog = log; }

}  // namespace support
