// The library's only entry point. Lingua.def exports it under its plain name,
// without the "@N" or "_" that 32-bit conventions would add.
#include <new>

#include "Lingua.h"

namespace {

LinguaInterface* CreateInstance() {
    try {
        return new lingua::Lingua;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

extern "C" LinguaInterface* __cdecl GetLinguaInterface() {
    // Made on first call and deliberately never destroyed: the program keeps
    // the pointer for the life of the process and never releases it, and
    // texts it has been given must not die with a DLL-detach destructor.
    static LinguaInterface* const instance = CreateInstance();
    return instance;
}
