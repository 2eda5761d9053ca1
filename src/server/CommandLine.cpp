#include "server/CommandLine.h"

#include <windows.h>

namespace server {

namespace {

struct SwitchName {
    const wchar_t* name;
    ServerSwitch value;
};

// The order matters only for reading; a name matches only when the word ends.
const SwitchName kSwitches[] = {
    {L"UnregServer", ServerSwitch::UnregServer},
    {L"RegServer", ServerSwitch::RegServer},
    {L"UnregServerPerUser", ServerSwitch::UnregServerPerUser},
    {L"RegServerPerUser", ServerSwitch::RegServerPerUser},
};

wchar_t Upper(wchar_t c) {
    // CharUpperW takes a single character in the low word of the pointer.
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(
        ::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

bool WordEquals(const wchar_t* word, const wchar_t* name) {
    for (; *name; ++word, ++name) {
        if (*word == L'\0' || Upper(*word) != Upper(*name)) return false;
    }
    return *word == L'\0' || *word == L' ' || *word == L'\t';
}

}  // namespace

ServerSwitch ParseServerSwitch(const wchar_t* commandLine) {
    if (!commandLine) return ServerSwitch::None;
    for (const wchar_t* p = commandLine; *p; p = ::CharNextW(p)) {
        if (*p != L'-' && *p != L'/') continue;
        const wchar_t* word = p + 1;
        for (const SwitchName& s : kSwitches) {
            if (WordEquals(word, s.name)) return s.value;
        }
    }
    return ServerSwitch::None;
}

bool IsComLaunch(const wchar_t* commandLine) {
    if (!commandLine) return false;
    for (const wchar_t* p = commandLine; *p; p = ::CharNextW(p)) {
        if ((*p == L'-' || *p == L'/') && WordEquals(p + 1, L"Embedding")) return true;
    }
    return false;
}

}  // namespace server
