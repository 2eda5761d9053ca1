// Linked into every image we build (the shipped ones and the tests), ahead of
// the C++ runtime library, whose definitions of these symbols it replaces.
//
// Only a failed allocation is an error the program answers (E_OUTOFMEMORY at
// a COM boundary, a neutral value in a callback). Anything else the library
// throws (a bad position, a string past its size type, a bad cast) is a bug:
// carrying on would report a wrong answer, so the process ends at once through
// the system's unhandled-exception path, which leaves a crash report (Windows
// Error Reporting, or Wine's debugger). So does terminate; the runtime's own
// handler would print the type of the escaping exception and pull in a
// symbol demangler, and its abort() ends with exit code 3 and no report.
#include <windows.h>

#include <new>

namespace {

// Raised by hand, not thrown: no catch (...) on the way may swallow it.
constexpr DWORD kLogicErrorCode = 0xE0464C01;  // 'FL' 01: a library logic error
constexpr DWORD kTerminateCode = 0xE0464C02;   // 'FL' 02: terminate

[[noreturn]] void FailFast(DWORD code) {
    EXCEPTION_RECORD record = {};
    record.ExceptionCode = code;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = __builtin_return_address(0);
    CONTEXT context = {};
    ::RtlCaptureContext(&context);
    EXCEPTION_POINTERS pointers = {&record, &context};
    // What an exception that no handler takes would reach: the reporter, or
    // the debugger registered for crashes.
    ::UnhandledExceptionFilter(&pointers);
    ::TerminateProcess(::GetCurrentProcess(), code);
    for (;;) ::Sleep(INFINITE);
}

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { FailFast(kTerminateCode); }
}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }

void __throw_bad_cast() { FailFast(kLogicErrorCode); }
void __throw_bad_typeid() { FailFast(kLogicErrorCode); }
void __throw_bad_exception() { FailFast(kLogicErrorCode); }
void __throw_logic_error(const char*) { FailFast(kLogicErrorCode); }
void __throw_domain_error(const char*) { FailFast(kLogicErrorCode); }
void __throw_invalid_argument(const char*) { FailFast(kLogicErrorCode); }
void __throw_length_error(const char*) { FailFast(kLogicErrorCode); }
void __throw_out_of_range(const char*) { FailFast(kLogicErrorCode); }
void __throw_out_of_range_fmt(const char*, ...) { FailFast(kLogicErrorCode); }
void __throw_runtime_error(const char*) { FailFast(kLogicErrorCode); }
void __throw_range_error(const char*) { FailFast(kLogicErrorCode); }
void __throw_overflow_error(const char*) { FailFast(kLogicErrorCode); }
void __throw_underflow_error(const char*) { FailFast(kLogicErrorCode); }

}  // namespace std
