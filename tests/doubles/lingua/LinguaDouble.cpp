// Stands in for Lingua.dll. Built three ways: recording every call the
// program makes on standard output (and answering every lookup with null),
// with an export that gives no object (FARLINK_DOUBLE_NULL_INTERFACE), and
// without the export (FARLINK_DOUBLE_NO_EXPORT).
#include <windows.h>

#include <string>

#include "lingua/LinguaInterface.h"

namespace {

// Straight to the handle (no CRT buffering), so these lines and the probe's
// own come out in call order. Paths and texts of the tests are ASCII.
void Record(const std::wstring& line) {
    std::string bytes(line.begin(), line.end());
    bytes += '\n';
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
                &written, nullptr);
}

std::wstring Text(const wchar_t* text) { return text ? L"\"" + std::wstring(text) + L"\"" : L"null"; }

class RecordingLingua final : public LinguaInterface {
public:
    const wchar_t* __thiscall GetLanguage() override { return nullptr; }
    void __thiscall SetLanguage(const wchar_t* code) override { Record(L"SetLanguage " + Text(code)); }
    void __thiscall SetFlag(int flags) override { Record(L"SetFlag " + std::to_wstring(flags)); }
    void __thiscall BindDomain(const wchar_t* domain, const wchar_t* folder) override {
        Record(L"BindDomain " + Text(domain) + L" " + Text(folder));
    }
    const wchar_t* __thiscall GetDomainFolder(const wchar_t*) override { return nullptr; }
    void __thiscall SetModule(HMODULE module, int a, int b) override {
        Record(std::wstring(L"SetModule ") + (module == ::GetModuleHandleW(nullptr) ? L"program " : L"other ") +
               std::to_wstring(a) + L" " + std::to_wstring(b));
    }
    const wchar_t* __thiscall Lookup(const wchar_t* domain, const wchar_t* context, const wchar_t* msgid) override {
        Record(L"Lookup " + Text(domain) + L" " + Text(context) + L" " + Text(msgid));
        return nullptr;
    }
};

}  // namespace

#ifndef FARLINK_DOUBLE_NO_EXPORT
extern "C" __declspec(dllexport) LinguaInterface* __cdecl GetLinguaInterface() {
#ifdef FARLINK_DOUBLE_NULL_INTERFACE
    return nullptr;
#else
    static RecordingLingua* const instance = new RecordingLingua;
    return instance;
#endif
}
#endif

// Every variant exports something, so each is a well-formed DLL with an export table.
extern "C" __declspec(dllexport) int FarlinkLinguaDoubleVariant() { return 1; }
