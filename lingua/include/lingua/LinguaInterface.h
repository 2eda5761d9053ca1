#pragma once
// The one description of the translation library's object, shared by the
// program and by Lingua.dll. The program calls it through the table of virtual
// functions, so the declaration order below IS the binary interface: slot 0
// first. Never reorder, insert or remove a function; add new ones at the end.
//
// No virtual destructor: it would take table slots of its own (two with GCC),
// and the object lives as long as the process anyway. Every slot is spelled
// __thiscall (the member convention of 32-bit MSVC and MinGW; a no-op on
// x86-64) so both sides agree even if one is ever built by another compiler.
#include <windows.h>

class LinguaInterface {
public:
    // Slot 0: the language selected last, "" before any. Not used by the program.
    virtual const wchar_t* __thiscall GetLanguage() = 0;

    // Slot 1: selects the catalogues of a three-letter language code ("deu").
    virtual void __thiscall SetLanguage(const wchar_t* languageCode) = 0;

    // Slot 2: option bits, see kLinguaNullWhenUnknown.
    virtual void __thiscall SetFlag(int flags) = 0;

    // Slot 3: the folder that holds "<language>\lc_messages\<domain>.mo". The
    // domain bound last is the one a lookup with a null domain uses. An empty
    // folder binds the domain to no catalogue.
    virtual void __thiscall BindDomain(const wchar_t* domain, const wchar_t* folder) = 0;

    // Slot 4: the folder bound to `domain`, or null. Not used by the program.
    virtual const wchar_t* __thiscall GetDomainFolder(const wchar_t* domain) = 0;

    // Slot 5: the module that uses the library. Recorded only: catalogues are
    // found through BindDomain, not through the module's resources.
    virtual void __thiscall SetModule(HMODULE module, int reserved1, int reserved2) = 0;

    // Slot 6: the translation of `msgid` in `context` (null or "" for none)
    // from `domain` (null: the domain bound last). What it returns stays valid
    // for the life of the process. When there is none: null with
    // kLinguaNullWhenUnknown set, otherwise `msgid` itself, as gettext does.
    virtual const wchar_t* __thiscall Lookup(const wchar_t* domain, const wchar_t* context,
                                             const wchar_t* msgid) = 0;

protected:
    ~LinguaInterface() = default;
};

// SetFlag bit: a lookup without a translation answers null, so the caller can
// tell "untranslated" from a translation that happens to equal the msgid.
constexpr int kLinguaNullWhenUnknown = 1;

// The library's only export, unmangled and undecorated.
extern "C" {
typedef LinguaInterface* (__cdecl* GetLinguaInterfaceFn)();
}
constexpr const char kGetLinguaInterfaceExport[] = "GetLinguaInterface";
