#pragma once
// Starts a program, optionally captures its standard output, and waits for it.
#include <windows.h>

#include <string>

#include "win/ScopedHandle.h"

namespace testing_support {

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&&) = default;
    ~ChildProcess();

    // `commandLine` is the whole command line, program path included (quote it
    // yourself where it holds blanks). With `captureOutput` the child's stdout
    // and stderr go to a pipe read by Output(), and its stdin is a pipe that
    // stays open until CloseInput() or the end of this object, so a child
    // waiting for input waits for the test.
    bool Start(const std::wstring& commandLine, bool captureOutput = true);

    // Waits at most `ms`; true when the process ended, and then the exit code.
    bool Wait(DWORD ms, DWORD* exitCode = nullptr);

    // Everything the child wrote so far, read until the pipe closes when the
    // process has ended. Call after Wait().
    std::string Output();

    // Reads output until `needle` appears or `ms` pass; true when found.
    bool WaitForOutput(const std::string& needle, DWORD ms);

    // Ends the child's input: a child waiting for a line goes on.
    void CloseInput() { inWrite_.Close(); }

    void Kill();
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_.Get(); }

private:
    void Drain(bool blocking);

    win::ScopedHandle process_;
    win::ScopedHandle outRead_;
    win::ScopedHandle inWrite_;
    std::string output_;
    DWORD pid_ = 0;
};

// Runs a command to its end (at most `ms`) and returns its exit code, or
// 0xFFFFFFFF when it could not start or did not end in time.
DWORD RunAndWait(const std::wstring& commandLine, DWORD ms = 60000, std::string* output = nullptr);

// "\"path\"" when the path holds a blank, else the path.
std::wstring Quote(const std::wstring& path);

}  // namespace testing_support
