// Linked into the shipped images only, ahead of the C++ runtime library, whose
// definitions of these symbols it replaces.
//
// The runtime's default terminate handler prints the type of the escaping
// exception and pulls in a symbol demangler; nothing may escape here (every
// boundary has a barrier), so a terminate is a plain abort.
//
// The library reports its own failures (a string that would outgrow its size
// type, a bad position) through these functions, which build message-carrying
// exception objects with their own copy of the string code. The program treats
// every such failure as a failed allocation: the barriers answer E_OUTOFMEMORY
// or the callback's neutral value, and the image stays small.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {

[[noreturn]] static void ThrowAsOutOfMemory() { throw std::bad_alloc(); }

void __throw_bad_alloc() { ThrowAsOutOfMemory(); }
void __throw_bad_array_new_length() { ThrowAsOutOfMemory(); }
void __throw_bad_cast() { ThrowAsOutOfMemory(); }
void __throw_bad_typeid() { ThrowAsOutOfMemory(); }
void __throw_bad_exception() { ThrowAsOutOfMemory(); }
void __throw_logic_error(const char*) { ThrowAsOutOfMemory(); }
void __throw_domain_error(const char*) { ThrowAsOutOfMemory(); }
void __throw_invalid_argument(const char*) { ThrowAsOutOfMemory(); }
void __throw_length_error(const char*) { ThrowAsOutOfMemory(); }
void __throw_out_of_range(const char*) { ThrowAsOutOfMemory(); }
void __throw_out_of_range_fmt(const char*, ...) { ThrowAsOutOfMemory(); }
void __throw_runtime_error(const char*) { ThrowAsOutOfMemory(); }
void __throw_range_error(const char*) { ThrowAsOutOfMemory(); }
void __throw_overflow_error(const char*) { ThrowAsOutOfMemory(); }
void __throw_underflow_error(const char*) { ThrowAsOutOfMemory(); }

}  // namespace std
