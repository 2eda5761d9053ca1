#include "Text.h"

#include <cwchar>

namespace lingua {

namespace {

// The UTF-8 bytes of `text` without its NUL; unpaired surrogates become
// U+FFFD as the system converts them.
size_t Utf8Length(const wchar_t* text) {
    if (!text || !*text) return 0;
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    return length > 1 ? static_cast<size_t>(length - 1) : 0;
}

void ToUtf8(const wchar_t* text, char* out, size_t length) {
    if (length == 0) return;
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out, static_cast<int>(length + 1), nullptr,
                          nullptr);
}

}  // namespace

bool JoinWide(std::initializer_list<const wchar_t*> parts, WideText* joined) {
    size_t total = 1;
    for (const wchar_t* part : parts)
        if (part) total += std::wcslen(part);
    if (!joined->Allocate(total)) return false;
    wchar_t* out = joined->data();
    for (const wchar_t* part : parts) {
        if (!part) continue;
        size_t length = std::wcslen(part);
        std::wmemcpy(out, part, length);
        out += length;
    }
    return true;  // the NUL is the zeroed last element
}

bool MessageKey(const wchar_t* context, const wchar_t* msgid, HeapArray<char>* key,
                size_t* length) {
    const size_t contextLength = Utf8Length(context);
    const size_t msgidLength = Utf8Length(msgid);
    const size_t prefix = contextLength ? contextLength + 1 : 0;
    *length = prefix + msgidLength;
    if (!key->Allocate(*length + 1)) return false;
    if (contextLength) {
        ToUtf8(context, key->data(), contextLength);
        (*key)[contextLength] = '\x04';
    }
    ToUtf8(msgid, key->data() + prefix, msgidLength);
    return true;
}

}  // namespace lingua
