#include "Lingua.h"

#include <cwchar>

namespace lingua {

namespace {

// Domain names are file names: compared as Windows compares them.
bool SameName(const std::wstring& a, const wchar_t* b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring Lingua::CataloguePath(const std::wstring& folder, const std::wstring& language,
                                   const std::wstring& domain) {
    if (folder.empty() || language.empty() || domain.empty()) return {};
    return folder + L"\\" + language + L"\\lc_messages\\" + domain + L".mo";
}

const wchar_t* Lingua::GetLanguage() {
    win::AutoLock guard(lock_);
    return languages_.back().c_str();
}

void Lingua::SetLanguage(const wchar_t* languageCode) {
    try {
        win::AutoLock guard(lock_);
        std::wstring language = languageCode ? languageCode : L"";
        if (language != languages_.back()) languages_.push_back(std::move(language));
    } catch (...) {
        // Out of memory: the language stays as it was.
    }
}

void Lingua::SetFlag(int flags) {
    win::AutoLock guard(lock_);
    flags_ = flags;
}

void Lingua::BindDomain(const wchar_t* domain, const wchar_t* folder) {
    if (!domain || !*domain) return;
    try {
        win::AutoLock guard(lock_);
        for (auto it = bindings_.begin(); it != bindings_.end(); ++it) {
            if (SameName(it->domain, domain)) {
                bindings_.erase(it);
                break;
            }
        }
        bindings_.push_back({domain, folder ? folder : L""});
    } catch (...) {
    }
}

const wchar_t* Lingua::GetDomainFolder(const wchar_t* domain) {
    win::AutoLock guard(lock_);
    const Binding* binding = FindBinding(domain);
    return binding ? binding->folder.c_str() : nullptr;
}

// Catalogues are read from the bound folders only: the module is not needed.
void Lingua::SetModule(HMODULE, int, int) {}

const wchar_t* Lingua::Lookup(const wchar_t* domain, const wchar_t* context,
                              const wchar_t* msgid) {
    if (!msgid) return nullptr;
    const wchar_t* text = nullptr;
    bool nullWhenUnknown = true;
    try {
        win::AutoLock guard(lock_);
        nullWhenUnknown = (flags_ & kLinguaNullWhenUnknown) != 0;
        text = FindTranslation(domain, context, msgid);
    } catch (...) {
        text = nullptr;
    }
    if (text) return text;
    return nullWhenUnknown ? nullptr : msgid;
}

const Lingua::Binding* Lingua::FindBinding(const wchar_t* domain) const {
    if (!domain) return bindings_.empty() ? nullptr : &bindings_.back();
    for (const Binding& binding : bindings_)
        if (SameName(binding.domain, domain)) return &binding;
    return nullptr;
}

const wchar_t* Lingua::FindTranslation(const wchar_t* domain, const wchar_t* context,
                                       const wchar_t* msgid) {
    const Binding* binding = FindBinding(domain);
    if (!binding) return nullptr;
    std::wstring path = CataloguePath(binding->folder, languages_.back(), binding->domain);
    if (path.empty()) return nullptr;
    // gettext's key for a message with a context: msgctxt, EOT, msgid.
    std::string key;
    if (context && *context) key = WideToUtf8(context) + '\x04';
    key += WideToUtf8(msgid);
    const std::wstring* text = catalogues_.Get(path).Find(key);
    return text ? text->c_str() : nullptr;
}

}  // namespace lingua
