#pragma once
// The plain-text log "RemoteDesktop.txt": every line the dialogs list, and
// nothing else. One per user and product major version, truncated each run.
#include <windows.h>

#include <string>

#include "win/ScopedHandle.h"

namespace support {

class DiagnosticLog {
public:
    DiagnosticLog() = default;
    ~DiagnosticLog() { Close(); }
    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;

    // Opens (truncating) the log in the roaming application-data folder, or in
    // the current directory when that folder is unknown. A failure leaves the
    // log closed and every later line is dropped silently.
    void Open();

    // Opens the log at an explicit path; for tests.
    void OpenAt(const std::wstring& path);

    // Writes the line and a CR LF to the file at once. Characters above
    // U+00FF cannot be narrowed to one byte; they are written as "?" so the
    // rest of the log survives.
    void WriteLine(const std::wstring& text);

    // Safe to call more than once.
    void Close();

    bool IsOpen() const { return file_.IsValid(); }

    // "<folder>\Corvane\Shared\Farlink\<major>\RemoteDesktop.txt".
    static std::wstring PathFor(const std::wstring& appDataFolder, unsigned majorVersion);

    // The high word of the product version of this process's executable; 0
    // when the version resource cannot be read.
    static unsigned ProductMajorVersion();

private:
    win::ScopedHandle file_;
};

}  // namespace support
