#pragma once
// The few text operations the library needs, on its own heap storage.
#include <initializer_list>

#include "HeapArray.h"

namespace lingua {

using WideText = HeapArray<wchar_t>;  // NUL-terminated; size() counts the NUL

// The parts one after another, NUL-terminated (a lone NUL for no text); a
// null part counts as empty. False when memory is short.
bool JoinWide(std::initializer_list<const wchar_t*> parts, WideText* joined);

// gettext's key for a message, in UTF-8: msgctxt, EOT, msgid, or the msgid
// alone when the context is null or empty. `*length` excludes the NUL that
// follows. False when memory is short.
bool MessageKey(const wchar_t* context, const wchar_t* msgid, HeapArray<char>* key,
                size_t* length);

}  // namespace lingua
