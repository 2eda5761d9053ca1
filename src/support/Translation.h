#pragma once
// Every text the dialogs show goes through Translate: an English message id in
// a context, turned into the user's language by the translation library
// "Lingua.dll" beside the program, with the message id itself as the fallback.
#include <string>

namespace support {

// Sets up the library for `languageCode` (three letters, e.g. "deu"); acts
// only on the first call in the process.
void InitializeTranslation(const wchar_t* languageCode);

// The localized text of `msgid` in `context`; the msgid when there is none; an
// empty string when the catalogue says ".EMPTY.".
std::wstring Translate(const wchar_t* context, const wchar_t* msgid);

}  // namespace support
