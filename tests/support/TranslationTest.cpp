// Translation in this process, with the real Lingua.dll and catalogues that
// the build put beside the test (bin\Lingua.dll, bin\Locale). Set-up acts
// once per process, so this file holds the only test that initialises it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    for (const Row& row : kRows) EXPECT_EQ(Translate(row.context, row.msgid), row.german) << row.msgid;

    // A later client asking for French changes nothing.
    InitializeTranslation(L"fra");
    for (const Row& row : kRows) EXPECT_EQ(Translate(row.context, row.msgid), row.german) << row.msgid;

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

// The program reaches the library through fixed table positions. Each slot is
// called here by its number, the way a library built from the same table
// would be reached, and must land on the operation of that number.
class SlotRecorder final : public LinguaInterface {
public:
    std::vector<std::string> calls;
    const wchar_t* __thiscall GetLanguage() override { return Note("GetLanguage"), nullptr; }
    void __thiscall SetLanguage(const wchar_t*) override { Note("SetLanguage"); }
    void __thiscall SetFlag(int) override { Note("SetFlag"); }
    void __thiscall BindDomain(const wchar_t*, const wchar_t*) override { Note("BindDomain"); }
    const wchar_t* __thiscall GetDomainFolder(const wchar_t*) override {
        return Note("GetDomainFolder"), nullptr;
    }
    void __thiscall SetModule(HMODULE, int, int) override { Note("SetModule"); }
    const wchar_t* __thiscall Lookup(const wchar_t*, const wchar_t*, const wchar_t*) override {
        return Note("Lookup"), nullptr;
    }

private:
    void Note(const char* name) { calls.push_back(name); }
};

template <typename... Args>
void CallSlot(LinguaInterface* object, int slot, Args... args) {
    using Fn = void(__thiscall*)(LinguaInterface*, Args...);
    void** table = *reinterpret_cast<void***>(object);
    reinterpret_cast<Fn>(table[slot])(object, args...);
}

TEST(LinguaInterfaceLayout, SlotNumbersAreTheLibrarysTable) {
    SlotRecorder recorder;
    LinguaInterface* object = &recorder;
    const wchar_t* text = L"x";
    CallSlot(object, 0);
    CallSlot(object, 1, text);
    CallSlot(object, 2, 1);
    CallSlot(object, 3, text, text);
    CallSlot(object, 4, text);
    CallSlot(object, 5, static_cast<HMODULE>(nullptr), 0, 0);
    CallSlot(object, 6, static_cast<const wchar_t*>(nullptr), text, text);
    EXPECT_EQ(recorder.calls,
              (std::vector<std::string>{"GetLanguage", "SetLanguage", "SetFlag", "BindDomain",
                                        "GetDomainFolder", "SetModule", "Lookup"}));
}

}  // namespace
