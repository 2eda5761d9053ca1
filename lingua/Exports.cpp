// The library's only entry point. Lingua.def exports it under its plain name,
// without the "@N" or "_" that 32-bit conventions would add.
#include "Lingua.h"

namespace {

// Runs once however many threads ask first; a failed allocation is
// remembered like a success, as the program asks only once anyway.
BOOL CALLBACK CreateInstance(PINIT_ONCE, PVOID, PVOID* instance) {
    *instance = lingua::HeapNew<lingua::Lingua>();
    return TRUE;
}

}  // namespace

extern "C" LinguaInterface* __cdecl GetLinguaInterface() {
    // Made on first call and deliberately never destroyed: the program keeps
    // the pointer for the life of the process and never releases it, and
    // texts it has been given must not die with a DLL-detach destructor.
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    void* instance = nullptr;
    if (!::InitOnceExecuteOnce(&once, CreateInstance, nullptr, &instance)) return nullptr;
    return static_cast<lingua::Lingua*>(instance);
}
