// farlinkctl is built without exceptions, and links this ahead of the C++
// runtime: every failure the library would throw (a failed allocation, a
// string that would outgrow its size type) ends the process as "could not
// run" instead. Nothing then needs the unwinder or the runtime's own
// instantiations, which keeps the shipped tool small.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "CheckCommand.h"

namespace {

[[noreturn]] void CouldNotRun() {
    static const char kMessage[] = "farlinkctl: out of memory\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), kMessage, sizeof kMessage - 1, &written, nullptr);
    ::ExitProcess(farlinkctl::kCouldNotRun);
}

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) CouldNotRun();
    return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

// Nothing can throw, so a terminate is a plain end; the runtime's own
// handler would bring a symbol demangler.
namespace __gnu_cxx {
void __verbose_terminate_handler() { CouldNotRun(); }
}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { CouldNotRun(); }
void __throw_bad_array_new_length() { CouldNotRun(); }
void __throw_length_error(const char*) { CouldNotRun(); }
void __throw_logic_error(const char*) { CouldNotRun(); }
void __throw_out_of_range(const char*) { CouldNotRun(); }
void __throw_out_of_range_fmt(const char*, ...) { CouldNotRun(); }
void __throw_invalid_argument(const char*) { CouldNotRun(); }

}  // namespace std
