// Translation in this process, with the real Lingua.dll and catalogues that
// the build put beside the test (bin\Lingua.dll, bin\Locale). Set-up acts
// once per process, so this file holds the only test that initialises it.
#include <gtest/gtest.h>

#include <string>

#include "common/TestPaths.h"
#include "lingua/LinguaInterface.h"
#include "support/Translation.h"

namespace {

using support::InitializeTranslation;
using support::Translate;

struct Row {
    const wchar_t* context;
    const wchar_t* msgid;
    const wchar_t* german;
};

const Row kRows[] = {
    {L"Remote channel status", L"not working", L"funktioniert nicht"},
    {L"Remote channel", L"RDP channel", L"RDP-Kanal"},
    {L"Remote connection status", L"%u hours", L"%u Stunden"},
    {L"Remote Desktop dialog box", L"Closes the current dialog box.",
     L"Schlie\u00dft das aktuelle Dialogfeld."},
    // The misspelt context is the key; the correct spelling finds nothing.
    {L"Remote conection status", L"Client machine with no remote host running",
     L"Clientcomputer ohne laufenden Remotehost"},
    {L"Remote connection status", L"Client machine with no remote host running",
     L"Client machine with no remote host running"},
    {L"Remote channel", L"Unknown channel", L"Unknown channel"},
    {nullptr, L"working", L"working"},
};

TEST(Translation, FirstLanguageHoldsForTheLifeOfTheProcess) {
    InitializeTranslation(L"deu");
    for (const Row& row : kRows)
        EXPECT_EQ(Translate(row.context, row.msgid), row.german) << row.msgid;

    // A later client asking for French changes nothing.
    InitializeTranslation(L"fra");
    for (const Row& row : kRows)
        EXPECT_EQ(Translate(row.context, row.msgid), row.german) << row.msgid;

    // The library bound the domain to the "Locale" folder beside this program.
    HMODULE lingua = ::GetModuleHandleW(L"Lingua.dll");
    ASSERT_NE(lingua, nullptr);
    auto get = reinterpret_cast<GetLinguaInterfaceFn>(
        reinterpret_cast<void*>(::GetProcAddress(lingua, kGetLinguaInterfaceExport)));
    ASSERT_NE(get, nullptr);
    const wchar_t* folder = get()->GetDomainFolder(L"FarlinkUI");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(std::wstring(folder), testing_support::BesideExe(L"Locale"));
}

// The program reaches the library through fixed table positions: slot n,
// called by its number, must land on the operation the library has at n.
class SlotRecorder final : public LinguaInterface {
public:
    std::string calls;
    const wchar_t* __thiscall GetLanguage() override { return Note(0); }
    void __thiscall SetLanguage(const wchar_t*) override { Note(1); }
    void __thiscall SetFlag(int) override { Note(2); }
    void __thiscall BindDomain(const wchar_t*, const wchar_t*) override { Note(3); }
    const wchar_t* __thiscall GetDomainFolder(const wchar_t*) override { return Note(4); }
    void __thiscall SetModule(HMODULE, int, int) override { Note(5); }
    const wchar_t* __thiscall Lookup(const wchar_t*, const wchar_t*, const wchar_t*) override {
        return Note(6);
    }

private:
    const wchar_t* Note(int slot) {
        calls += std::to_string(slot);
        return nullptr;
    }
};

template <typename... Args>
void CallSlot(LinguaInterface* object, int slot, Args... args) {
    using Fn = void(__thiscall*)(LinguaInterface*, Args...);
    reinterpret_cast<Fn>((*reinterpret_cast<void***>(object))[slot])(object, args...);
}

TEST(LinguaInterfaceLayout, SlotNumbersAreTheLibrarysTable) {
    SlotRecorder recorder;
    const wchar_t* text = L"x";
    CallSlot<>(&recorder, 0);                   // GetLanguage
    CallSlot(&recorder, 1, text);               // SetLanguage
    CallSlot(&recorder, 2, 1);                  // SetFlag
    CallSlot(&recorder, 3, text, text);         // BindDomain
    CallSlot(&recorder, 4, text);               // GetDomainFolder
    CallSlot(&recorder, 5, HMODULE{}, 0, 0);    // SetModule
    CallSlot(&recorder, 6, text, text, text);   // Lookup
    EXPECT_EQ(recorder.calls, "0123456");
}

}  // namespace
