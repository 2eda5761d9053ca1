#include "com/RegistryScript.h"

#include <cwctype>
#include <memory>

#include "win/RegKey.h"

namespace com {

namespace {

struct ScriptValue {
    std::wstring name;
    std::wstring data;
};

enum class KeyFlag { Normal, ForceRemove, NoRemove, Delete };

struct ScriptKey {
    KeyFlag flag = KeyFlag::Normal;
    std::wstring name;
    bool hasDefault = false;
    std::wstring defaultValue;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> children;
};

struct Token {
    enum Kind { Word, Quoted } kind;
    std::wstring text;
};

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

// Replaces %NAME% from the table; false for an unknown name or a lone %.
bool Substitute(const std::wstring& in, const std::vector<ScriptReplacement>& table,
                std::wstring* out) {
    out->clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != L'%') {
            *out += in[i];
            continue;
        }
        size_t end = in.find(L'%', i + 1);
        if (end == std::wstring::npos) return false;
        std::wstring name = in.substr(i + 1, end - i - 1);
        if (name.empty()) {
            *out += L'%';
        } else {
            const ScriptReplacement* found = nullptr;
            for (const ScriptReplacement& r : table) {
                if (EqualsNoCase(r.name, name.c_str())) found = &r;
            }
            if (!found) return false;
            *out += found->value;
        }
        i = end;
    }
    return true;
}

bool Tokenize(const std::wstring& text, const std::vector<ScriptReplacement>& table,
              std::vector<Token>* tokens) {
    size_t i = 0;
    while (i < text.size()) {
        wchar_t c = text[i];
        if (std::iswspace(c) || c == 0xFEFF) {
            ++i;
            continue;
        }
        Token token;
        std::wstring raw;
        if (c == L'\'') {
            token.kind = Token::Quoted;
            ++i;
            for (;;) {
                if (i >= text.size()) return false;  // unterminated string
                if (text[i] == L'\'') {
                    if (i + 1 < text.size() && text[i + 1] == L'\'') {
                        raw += L'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                raw += text[i++];
            }
        } else {
            token.kind = Token::Word;
            while (i < text.size() && !std::iswspace(text[i])) raw += text[i++];
        }
        if (!Substitute(raw, table, &token.text)) return false;
        tokens->push_back(std::move(token));
    }
    return true;
}

class Parser {
public:
    explicit Parser(const std::vector<Token>& tokens) : tokens_(tokens) {}

    bool ParseScript(std::vector<ScriptKey>* hives) {
        while (!AtEnd()) {
            ScriptKey hive;
            if (!ParseKey(&hive, /*depth=*/0)) return false;
            hives->push_back(std::move(hive));
        }
        return true;
    }

private:
    bool AtEnd() const { return pos_ >= tokens_.size(); }
    bool PeekWord(const wchar_t* word) const {
        return !AtEnd() && tokens_[pos_].kind == Token::Word && tokens_[pos_].text == word;
    }
    bool PeekWordNoCase(const wchar_t* word) const {
        return !AtEnd() && tokens_[pos_].kind == Token::Word && EqualsNoCase(tokens_[pos_].text, word);
    }

    // = s 'text'
    bool ParseStringAssignment(std::wstring* data) {
        if (!PeekWord(L"=")) return false;
        ++pos_;
        if (!PeekWordNoCase(L"s")) return false;  // only string values are used
        ++pos_;
        if (AtEnd() || tokens_[pos_].kind != Token::Quoted) return false;
        *data = tokens_[pos_++].text;
        return true;
    }

    bool ParseKey(ScriptKey* key, int depth) {
        // Scripts are shallow; a runaway nesting is malformed, not a stack overflow.
        if (depth > 32) return false;
        if (PeekWordNoCase(L"ForceRemove")) {
            key->flag = KeyFlag::ForceRemove;
            ++pos_;
        } else if (PeekWordNoCase(L"NoRemove")) {
            key->flag = KeyFlag::NoRemove;
            ++pos_;
        } else if (PeekWordNoCase(L"Delete")) {
            key->flag = KeyFlag::Delete;
            ++pos_;
        }
        if (AtEnd() || PeekWord(L"{") || PeekWord(L"}") || PeekWord(L"=")) return false;
        key->name = tokens_[pos_++].text;
        if (key->name.empty()) return false;
        if (PeekWord(L"=")) {
            if (!ParseStringAssignment(&key->defaultValue)) return false;
            key->hasDefault = true;
        }
        if (!PeekWord(L"{")) return true;
        ++pos_;
        for (;;) {
            if (AtEnd()) return false;  // missing }
            if (PeekWord(L"}")) {
                ++pos_;
                return true;
            }
            if (PeekWordNoCase(L"val")) {
                ++pos_;
                if (AtEnd() || tokens_[pos_].kind != Token::Word || PeekWord(L"=") ||
                    PeekWord(L"{") || PeekWord(L"}"))
                    return false;
                ScriptValue value;
                value.name = tokens_[pos_++].text;
                if (!ParseStringAssignment(&value.data)) return false;
                key->values.push_back(std::move(value));
                continue;
            }
            ScriptKey child;
            if (!ParseKey(&child, depth + 1)) return false;
            key->children.push_back(std::move(child));
        }
    }

    const std::vector<Token>& tokens_;
    size_t pos_ = 0;
};

HRESULT FromWin32(LONG rc) { return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(rc); }

HRESULT SetString(HKEY key, const wchar_t* name, const std::wstring& data) {
    return FromWin32(::RegSetValueExW(key, name, 0, REG_SZ,
                                      reinterpret_cast<const BYTE*>(data.c_str()),
                                      static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))));
}

LONG DeleteTree(HKEY parent, const std::wstring& name) {
    LONG rc = ::RegDeleteTreeW(parent, name.c_str());
    if (rc == ERROR_SUCCESS) rc = ::RegDeleteKeyW(parent, name.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

HRESULT RegisterKey(HKEY parent, const ScriptKey& key) {
    if (key.flag == KeyFlag::Delete) return FromWin32(DeleteTree(parent, key.name));
    if (key.flag == KeyFlag::ForceRemove) {
        HRESULT hr = FromWin32(DeleteTree(parent, key.name));
        if (FAILED(hr)) return hr;
    }
    win::RegKey sub;
    HRESULT hr = FromWin32(sub.Create(parent, key.name.c_str(), KEY_READ | KEY_WRITE));
    if (FAILED(hr)) return hr;
    if (key.hasDefault) {
        hr = SetString(sub.Get(), nullptr, key.defaultValue);
        if (FAILED(hr)) return hr;
    }
    for (const ScriptValue& value : key.values) {
        hr = SetString(sub.Get(), value.name.c_str(), value.data);
        if (FAILED(hr)) return hr;
    }
    for (const ScriptKey& child : key.children) {
        hr = RegisterKey(sub.Get(), child);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

bool IsEmptyKey(HKEY key) {
    DWORD subkeys = 0, values = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return subkeys == 0 && values == 0;
}

HRESULT UnregisterKey(HKEY parent, const ScriptKey& key) {
    if (key.flag == KeyFlag::ForceRemove || key.flag == KeyFlag::Delete)
        return FromWin32(DeleteTree(parent, key.name));
    win::RegKey sub;
    LONG rc = sub.Open(parent, key.name.c_str(), KEY_READ | KEY_WRITE);
    if (rc == ERROR_FILE_NOT_FOUND) return S_OK;  // nothing of ours is left
    if (rc != ERROR_SUCCESS) return FromWin32(rc);
    for (const ScriptKey& child : key.children) {
        HRESULT hr = UnregisterKey(sub.Get(), child);
        if (FAILED(hr)) return hr;
    }
    for (const ScriptValue& value : key.values) {
        rc = ::RegDeleteValueW(sub.Get(), value.name.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return FromWin32(rc);
    }
    if (key.flag == KeyFlag::NoRemove) return S_OK;
    if (key.hasDefault) ::RegDeleteValueW(sub.Get(), nullptr);
    // A plain key goes only when nothing foreign is left in it.
    bool empty = IsEmptyKey(sub.Get());
    sub.Close();
    if (empty) rc = ::RegDeleteKeyW(parent, key.name.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(rc);
}

// The hive names a script may use; HKCR stands for the per-user classes key
// in per-user mode.
struct Hive {
    const wchar_t* shortName;
    const wchar_t* longName;
    HKEY predefined;
};
const Hive kHives[] = {
    {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
};

const Hive* FindHive(const std::wstring& name) {
    for (const Hive& hive : kHives) {
        if (EqualsNoCase(name, hive.shortName) || EqualsNoCase(name, hive.longName)) return &hive;
    }
    return nullptr;
}

// Opens the root that a hive stands for; false when it cannot be opened.
bool OpenHive(const Hive& hive, bool perUser, win::RegKey* root, HKEY* predefined) {
    *predefined = nullptr;
    if (perUser && hive.predefined == HKEY_CLASSES_ROOT)
        return root->Create(HKEY_CURRENT_USER, L"Software\\Classes", KEY_READ | KEY_WRITE) ==
               ERROR_SUCCESS;
    *predefined = hive.predefined;
    return true;
}

}  // namespace

HRESULT RunRegistryScript(const std::wstring& script,
                          const std::vector<ScriptReplacement>& replacements, ScriptMode mode,
                          bool perUser) {
    std::vector<Token> tokens;
    if (!Tokenize(script, replacements, &tokens)) return kMalformedScript;
    std::vector<ScriptKey> hives;
    if (!Parser(tokens).ParseScript(&hives)) return kMalformedScript;
    for (const ScriptKey& hive : hives) {
        // A hive itself is never created, removed or given values.
        if (!FindHive(hive.name) || hive.flag != KeyFlag::Normal || hive.hasDefault ||
            !hive.values.empty())
            return kMalformedScript;
    }

    for (const ScriptKey& hive : hives) {
        win::RegKey opened;
        HKEY root = nullptr;
        if (!OpenHive(*FindHive(hive.name), perUser, &opened, &root)) return E_ACCESSDENIED;
        if (!root) root = opened.Get();
        for (const ScriptKey& key : hive.children) {
            HRESULT hr = mode == ScriptMode::Register ? RegisterKey(root, key)
                                                      : UnregisterKey(root, key);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

HRESULT LoadRegistryScript(HMODULE module, UINT id, std::wstring* script) {
    HRSRC found = ::FindResourceExW(module, L"REGISTRY", MAKEINTRESOURCEW(id),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!found) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    HGLOBAL loaded = ::LoadResource(module, found);
    const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    DWORD size = ::SizeofResource(module, found);
    if (!bytes) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    // The scripts are stored as plain ASCII text.
    script->assign(bytes, bytes + size);
    return S_OK;
}

}  // namespace com
