#include "Lingua.h"

#include <cwchar>

namespace lingua {

namespace {

// Domain names are file names: compared as Windows compares them.
bool SameName(const wchar_t* a, const wchar_t* b) {
    return ::CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool IsEmpty(const wchar_t* text) { return !text || !*text; }

}  // namespace

const wchar_t* Lingua::GetLanguage() {
    win::AutoLock guard(lock_);
    const WideText* language = languages_.Front();
    return language ? language->data() : L"";
}

void Lingua::SetLanguage(const wchar_t* languageCode) {
    win::AutoLock guard(lock_);
    const WideText* current = languages_.Front();
    const wchar_t* language = languageCode ? languageCode : L"";
    if (std::wcscmp(language, current ? current->data() : L"") == 0) return;
    // Out of memory: the language stays as it was.
    WideText* added = languages_.PushFront();
    if (added && !JoinWide({language}, added)) languages_.PopFront();
}

void Lingua::SetFlag(int flags) {
    win::AutoLock guard(lock_);
    flags_ = flags;
}

void Lingua::BindDomain(const wchar_t* domain, const wchar_t* folder) {
    if (IsEmpty(domain)) return;
    win::AutoLock guard(lock_);
    // Out of memory: the bindings stay as they were.
    Binding* added = bindings_.PushFront();
    if (added && !(JoinWide({domain}, &added->domain) && JoinWide({folder}, &added->folder)))
        bindings_.PopFront();
}

const wchar_t* Lingua::GetDomainFolder(const wchar_t* domain) {
    win::AutoLock guard(lock_);
    const Binding* binding = FindBinding(domain);
    return binding ? binding->folder.data() : nullptr;
}

// Catalogues are read from the bound folders only: the module is not needed.
void Lingua::SetModule(HMODULE, int, int) {}

const wchar_t* Lingua::Lookup(const wchar_t* domain, const wchar_t* context,
                              const wchar_t* msgid) {
    if (!msgid) return nullptr;
    win::AutoLock guard(lock_);
    const wchar_t* text = FindTranslation(domain, context, msgid);
    if (text) return text;
    return (flags_ & kLinguaNullWhenUnknown) ? nullptr : msgid;
}

const Lingua::Binding* Lingua::FindBinding(const wchar_t* domain) const {
    if (!domain) return bindings_.Front();
    return bindings_.FindFirst(
        [domain](const Binding& binding) { return SameName(binding.domain.data(), domain); });
}

const wchar_t* Lingua::FindTranslation(const wchar_t* domain, const wchar_t* context,
                                       const wchar_t* msgid) {
    const Binding* binding = FindBinding(domain);
    const WideText* language = languages_.Front();
    if (!binding || !language || IsEmpty(binding->folder.data()) || IsEmpty(language->data()))
        return nullptr;
    WideText path;
    if (!JoinWide({binding->folder.data(), L"\\", language->data(), L"\\lc_messages\\",
                   binding->domain.data(), L".mo"},
                  &path))
        return nullptr;
    const MoCatalog* catalogue = catalogues_.Get(path.data());
    HeapArray<char> key;
    size_t keyLength = 0;
    if (!catalogue || !MessageKey(context, msgid, &key, &keyLength)) return nullptr;
    return catalogue->Find({key.data(), keyLength});
}

}  // namespace lingua
