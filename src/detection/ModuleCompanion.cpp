#include "detection/ModuleCompanion.h"

#include <cwchar>

#include "detection/IsWow64.h"
#include "detection/ModuleSearch.h"
#include "win/ScopedHandle.h"

namespace sharedfarlink {

namespace {

// Long enough for a process start on a busy machine; the scan runs on the
// dialog thread, so a hung companion must not hold it for long.
constexpr DWORD kCompanionWaitMs = 5000;

// Digits of `value` in `base`, at least `width` of them. By hand: the C
// library's formatted output would bring its printf engine into the image.
std::wstring Digits(unsigned long value, unsigned base, size_t width = 1) {
    std::wstring text;
    do {
        text.insert(text.begin(), L"0123456789ABCDEF"[value % base]);
        value /= base;
    } while (value != 0 || text.size() < width);
    return text;
}

void TraceFailure(const wchar_t* where, HRESULT hr) {
    const std::wstring line = std::wstring(L"FarlinkUI: scan companion: ") + where + L": 0x" +
                              Digits(static_cast<unsigned long>(hr), 16, 8) + L"\n";
    ::OutputDebugStringW(line.c_str());
}

}  // namespace

bool SystemModulesNeedCompanion(HANDLE process) {
    if (!SystemIsWow64()) return false;
    BOOL wow64 = TRUE;
    return ::IsWow64Process(process, &wow64) && !wow64;
}

std::wstring SystemCompanionPath() {
    wchar_t path[MAX_PATH] = {};
    std::wstring self(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of(L"\\/") + 1) + kCompanionName;
}

bool ReadImageBaseName(HANDLE process, wchar_t* name, DWORD units) {
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!::QueryFullProcessImageNameW(process, 0, path, &length)) return false;
    const wchar_t* base = std::wcsrchr(path, L'\\');
    base = base ? base + 1 : path;
    // Truncated as a module name read into the same buffer would be.
    std::wcsncpy(name, base, units - 1);
    name[units - 1] = L'\0';
    return true;
}

bool AskCompanion(DWORD processId, const std::wstring& dllName, bool* loaded) {
    const std::wstring exe = CompanionPath();
    std::wstring command = L"\"" + exe + L"\" " + Digits(processId, 10) + L" \"" + dllName + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // No handles inherited: nothing of the server's leaks into it.
    if (!::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &info)) {
        TraceFailure(L"start", HRESULT_FROM_WIN32(::GetLastError()));
        return false;
    }
    win::ScopedHandle process(info.hProcess), thread(info.hThread);
    if (::WaitForSingleObject(process.Get(), kCompanionWaitMs) != WAIT_OBJECT_0) {
        // Ended and waited for, so no companion outlives the scan.
        ::TerminateProcess(process.Get(), ERROR_TIMEOUT);
        ::WaitForSingleObject(process.Get(), kCompanionWaitMs);
        TraceFailure(L"no answer", HRESULT_FROM_WIN32(ERROR_TIMEOUT));
        return false;
    }
    DWORD code = 0;
    if (!::GetExitCodeProcess(process.Get(), &code) ||
        (code != kCompanionLoaded && code != kCompanionNotLoaded)) {
        TraceFailure(L"answer", code & 0x80000000 ? HRESULT(code) : E_UNEXPECTED);
        return false;
    }
    *loaded = code == kCompanionLoaded;
    return true;
}

}  // namespace sharedfarlink
