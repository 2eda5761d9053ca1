#include "common/ChildProcess.h"

#include <vector>

namespace testing_support {

ChildProcess::~ChildProcess() {
    // A test that failed half-way must not leave a child running.
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) Kill();
}

bool ChildProcess::Start(const std::wstring& commandLine, bool captureOutput) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    win::ScopedHandle outWrite;
    win::ScopedHandle childInput;
    if (captureOutput) {
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
        HANDLE r = nullptr, w = nullptr;
        if (!::CreatePipe(&r, &w, &sa, 0)) return false;
        outRead_.Reset(r);
        outWrite.Reset(w);
        ::SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = w;
        si.hStdError = w;
        HANDLE inRead = nullptr, inWrite = nullptr;
        if (!::CreatePipe(&inRead, &inWrite, &sa, 0)) return false;
        childInput.Reset(inRead);
        inWrite_.Reset(inWrite);
        ::SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
        si.hStdInput = inRead;
    }
    std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back(L'\0');
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, captureOutput, 0, nullptr,
                          nullptr, &si, &pi))
        return false;
    ::CloseHandle(pi.hThread);
    process_.Reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    return true;
}

bool ChildProcess::Wait(DWORD ms, DWORD* exitCode) {
    if (!process_) return false;
    // Keep the pipe drained while waiting so a chatty child never blocks on it.
    DWORD start = ::GetTickCount();
    for (;;) {
        Drain(false);
        DWORD elapsed = ::GetTickCount() - start;
        DWORD slice = ms == INFINITE ? 50 : (elapsed >= ms ? 0 : std::min<DWORD>(50, ms - elapsed));
        if (::WaitForSingleObject(process_.Get(), slice) == WAIT_OBJECT_0) break;
        if (ms != INFINITE && ::GetTickCount() - start >= ms) return false;
    }
    if (exitCode) ::GetExitCodeProcess(process_.Get(), exitCode);
    return true;
}

void ChildProcess::Drain(bool blocking) {
    if (!outRead_) return;
    char buffer[4096];
    for (;;) {
        DWORD avail = 0;
        if (!::PeekNamedPipe(outRead_.Get(), nullptr, 0, nullptr, &avail, nullptr)) {
            outRead_.Close();  // writer gone and pipe empty
            return;
        }
        if (avail == 0 && !blocking) return;
        DWORD read = 0;
        if (!::ReadFile(outRead_.Get(), buffer, sizeof buffer, &read, nullptr) || read == 0) {
            outRead_.Close();
            return;
        }
        output_.append(buffer, read);
    }
}

std::string ChildProcess::Output() {
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0) Drain(true);
    else Drain(false);
    return output_;
}

bool ChildProcess::WaitForOutput(const std::string& needle, DWORD ms) {
    DWORD start = ::GetTickCount();
    for (;;) {
        Drain(false);
        if (output_.find(needle) != std::string::npos) return true;
        if (::GetTickCount() - start >= ms) return false;
        if (process_ && ::WaitForSingleObject(process_.Get(), 20) == WAIT_OBJECT_0) {
            Drain(true);
            return output_.find(needle) != std::string::npos;
        }
    }
}

void ChildProcess::Kill() {
    if (!process_) return;
    ::TerminateProcess(process_.Get(), 0xDEAD);
    ::WaitForSingleObject(process_.Get(), 10000);
}

DWORD RunAndWait(const std::wstring& commandLine, DWORD ms, std::string* output) {
    ChildProcess child;
    if (!child.Start(commandLine, true)) return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    if (!child.Wait(ms, &code)) {
        child.Kill();
        code = 0xFFFFFFFF;
    }
    if (output) *output = child.Output();
    return code;
}

std::wstring Quote(const std::wstring& path) {
    return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

}  // namespace testing_support
