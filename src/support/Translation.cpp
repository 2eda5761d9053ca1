#include "support/Translation.h"

#include <windows.h>

#include <cwchar>

#include "lingua/LinguaInterface.h"
#include "support/LocaleFolder.h"
#include "win/ProgramFolder.h"
#include "win/Trace.h"

namespace support {

namespace {

constexpr wchar_t kDomain[] = L"FarlinkUI";
constexpr wchar_t kLibraryName[] = L"Lingua.dll";
constexpr wchar_t kEmptyMarker[] = L".EMPTY.";

// Process-wide. InitializeTranslation fills it once, inside the first
// ShowRemoteDesktopDialog call; Show calls that arrive meanwhile on other COM
// threads wait for it to be complete (the one-time initialisation publishes
// it), and only the dialog thread, woken afterwards, translates.
struct TranslationState {
    std::wstring libraryFolder;
    // Never freed: texts the library handed out must outlive every caller.
    HMODULE library = nullptr;
    LinguaInterface* lingua = nullptr;
    bool loadFailed = false;
};

TranslationState& State() {
    static TranslationState state;
    return state;
}

// One attempt. A Lingua.dll already in the process (however it got there)
// is used as is; GetModuleHandleExW takes a reference, as a load would.
HMODULE LoadLingua(const std::wstring& folder, bool x86Subfolder) {
    HMODULE module = nullptr;
    if (::GetModuleHandleExW(0, kLibraryName, &module) && module) return module;
    std::wstring path = folder;
    if (!path.empty()) path += L'\\';
    if (x86Subfolder) path += L"x86\\";
    path += kLibraryName;
    // With no folder the bare name takes the system's DLL search.
    return ::LoadLibraryW(path.c_str());
}

bool ObtainInterface() {
    TranslationState& state = State();
    if (state.lingua) return true;
    if (state.loadFailed) return false;
    // Loaded once: the reference is kept for good, so a library without the
    // export is asked again on later calls without taking more references.
    if (!state.library) {
        HMODULE library = LoadLingua(state.libraryFolder, false);
        if (!library) library = LoadLingua(state.libraryFolder, true);
        if (!library) {
            state.loadFailed = true;
            return false;
        }
        state.library = library;
    }
    // A library without the export is not marked failed: the next call asks
    // again and reaches the same answer.
    auto getInterface = reinterpret_cast<GetLinguaInterfaceFn>(
        reinterpret_cast<void*>(::GetProcAddress(state.library, kGetLinguaInterfaceExport)));
    if (!getInterface) return false;
    state.lingua = getInterface();
    return state.lingua != nullptr;
}

void Initialize(const wchar_t* language) {
    TranslationState& state = State();
    state.libraryFolder = win::ProgramFolder();
    state.loadFailed = false;

    LocaleFolderResult locale = FindLocaleFolder(language, {kDomain});

    // Each step asks again: an interface that could not be had for one step
    // gets the chance to load for the next, in the library's expected order.
    if (ObtainInterface()) state.lingua->BindDomain(kDomain, locale.folder.c_str());
    if (ObtainInterface()) state.lingua->SetModule(::GetModuleHandleW(nullptr), 0, 0);
    if (ObtainInterface()) state.lingua->SetFlag(kLinguaNullWhenUnknown);
    if (ObtainInterface()) state.lingua->SetLanguage(language);
    else win::Trace(L"translation", L"Lingua.dll", E_NOINTERFACE);
}

// One attempt at the one-time set-up: completed when it ran through, else
// (a failed allocation unwinding) marked failed, so the next call tries again
// and no thread waits on it for ever.
class OnceAttempt {
public:
    explicit OnceAttempt(INIT_ONCE* once) : once_(once) {}
    ~OnceAttempt() { ::InitOnceComplete(once_, done_ ? 0 : INIT_ONCE_INIT_FAILED, nullptr); }
    OnceAttempt(const OnceAttempt&) = delete;
    OnceAttempt& operator=(const OnceAttempt&) = delete;
    void Done() { done_ = true; }

private:
    INIT_ONCE* once_;
    bool done_ = false;
};

}  // namespace

void InitializeTranslation(const wchar_t* languageCode) {
    // Other callers wait until the state is complete, then see all of it.
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    BOOL pending = FALSE;
    if (!::InitOnceBeginInitialize(&once, 0, &pending, nullptr) || !pending) return;
    OnceAttempt attempt(&once);
    Initialize(languageCode ? languageCode : L"");
    attempt.Done();
}

std::wstring Translate(const wchar_t* context, const wchar_t* msgid) {
    const wchar_t* text = nullptr;
    if (ObtainInterface()) text = State().lingua->Lookup(nullptr, context, msgid);
    if (text) {
        if (std::wcscmp(text, kEmptyMarker) == 0) return std::wstring();
        return text;
    }
    return msgid ? msgid : L"";
}

}  // namespace support
