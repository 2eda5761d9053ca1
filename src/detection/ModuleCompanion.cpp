#include "detection/ModuleCompanion.h"

#include <cwchar>

#include "detection/IsWow64.h"
#include "detection/ModuleSearch.h"
#include "win/NumberText.h"
#include "win/ProgramFolder.h"
#include "win/Trace.h"

namespace sharedfarlink {

namespace {

// Long enough for a process start on a busy machine; the scan runs on the
// dialog thread, so a hung companion must not hold it for long.
constexpr DWORD kCompanionWaitMs = 5000;

}  // namespace

bool SystemModulesNeedCompanion(HANDLE process) {
    if (!SystemIsWow64()) return false;
    BOOL wow64 = TRUE;
    return ::IsWow64Process(process, &wow64) && !wow64;
}

std::wstring SystemCompanionPath() {
    return win::ProgramFolder() + L"\\" + kCompanionName;
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

ModuleCompanion::~ModuleCompanion() { End(false); }

bool ModuleCompanion::FindModule(DWORD processId, const std::wstring& dllName, bool* loaded) {
    if (failed_ || (!process_ && !Start())) return false;
    std::wstring request = win::NumberText(processId) + L" " + dllName + L"\n";
    char answer = 0;
    if (request.size() > kCompanionRequestUnits ||
        !Transfer(true, &request[0], static_cast<DWORD>(request.size() * sizeof(wchar_t))) ||
        !Transfer(false, &answer, 1))
        return false;
    if (answer != kCompanionLoaded && answer != kCompanionNotLoaded) {
        // The process went away, or the companion is something else.
        if (answer != kCompanionCannotOpen) Fail(L"answer", E_UNEXPECTED);
        return false;
    }
    *loaded = answer == kCompanionLoaded;
    return true;
}

bool ModuleCompanion::Start() {
    static LONG counter = 0;
    const std::wstring name = L"\\\\.\\pipe\\FarlinkScan64-" + win::NumberText(::GetCurrentProcessId()) +
                              L"-" + win::NumberText(static_cast<unsigned long>(::InterlockedIncrement(&counter)));
    // Our end overlapped, for bounded waits; one instance, so nobody else
    // connects. Its end the only handle the companion inherits from us.
    pipe_.Reset(::CreateNamedPipeW(name.c_str(),
                                   PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 4096, 4096, 0,
                                   nullptr));
    event_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    win::ScopedHandle theirs(pipe_ && event_ ? ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                             &inherit, OPEN_EXISTING, 0, nullptr)
                                             : nullptr);
    if (!theirs) {
        Fail(L"pipe", HRESULT_FROM_WIN32(::GetLastError()));
        return false;
    }
    const std::wstring exe = CompanionPath();
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = theirs.Get();
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &info)) {
        Fail(L"start", HRESULT_FROM_WIN32(::GetLastError()));
        return false;
    }
    process_.Reset(info.hProcess);
    ::CloseHandle(info.hThread);
    return true;
}

bool ModuleCompanion::Transfer(bool write, void* data, DWORD bytes) {
    OVERLAPPED overlapped = {};
    overlapped.hEvent = event_.Get();
    DWORD done = 0;
    BOOL ok = write ? ::WriteFile(pipe_.Get(), data, bytes, nullptr, &overlapped)
                    : ::ReadFile(pipe_.Get(), data, bytes, nullptr, &overlapped);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        // The companion ending (crashed, or not a companion at all) ends the wait too.
        HANDLE waits[] = {event_.Get(), process_.Get()};
        if (::WaitForMultipleObjects(2, waits, FALSE, kCompanionWaitMs) != WAIT_OBJECT_0) {
            ::CancelIo(pipe_.Get());
            ::GetOverlappedResult(pipe_.Get(), &overlapped, &done, TRUE);
            Fail(write ? L"request" : L"no answer", HRESULT_FROM_WIN32(ERROR_TIMEOUT));
            return false;
        }
        ok = TRUE;
    }
    if (!ok || !::GetOverlappedResult(pipe_.Get(), &overlapped, &done, FALSE) || done != bytes) {
        Fail(write ? L"request" : L"answer", HRESULT_FROM_WIN32(::GetLastError()));
        return false;
    }
    return true;
}

void ModuleCompanion::Fail(const wchar_t* where, HRESULT hr) {
    win::Trace(L"scan companion", where, static_cast<unsigned long>(hr));
    failed_ = true;
    End(true);
}

void ModuleCompanion::End(bool kill) {
    // A closed pipe ends the companion; one that failed, or does not end, is
    // ended, and waited for either way, so none outlives this object.
    pipe_.Close();
    if (process_ && (kill || ::WaitForSingleObject(process_.Get(), kCompanionWaitMs) != WAIT_OBJECT_0)) {
        ::TerminateProcess(process_.Get(), ERROR_TIMEOUT);
        ::WaitForSingleObject(process_.Get(), kCompanionWaitMs);
    }
    process_.Close();
}

}  // namespace sharedfarlink
