#pragma once
// A small interpreter for the registry scripts stored in the executable: the
// subset of the ATL script language that the class scripts use.
//
//   script := key*
//   key    := [ForceRemove | NoRemove | Delete] name [= s 'text'] [{ (key | val)* }]
//   val    := val name = s 'text'
//
// The first level names a hive (HKCR, HKCU, HKLM or their long forms).
// %NAME% is replaced from the given table (case-insensitive), %% is one %.
// A script is parsed completely before the registry is touched, so a
// malformed script changes nothing and answers an error.
#include <windows.h>

#include <string>
#include <vector>

namespace com {

struct ScriptReplacement {
    std::wstring name;
    std::wstring value;
};

enum class ScriptMode { Register, Unregister };

// Answers for a malformed script.
constexpr HRESULT kMalformedScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

// Runs `script`. With `perUser`, keys under HKCR go to HKCU\Software\Classes.
HRESULT RunRegistryScript(const std::wstring& script,
                          const std::vector<ScriptReplacement>& replacements, ScriptMode mode,
                          bool perUser);

// Loads a REGISTRY resource (language 1033) of `module` as text.
HRESULT LoadRegistryScript(HMODULE module, UINT id, std::wstring* script);

}  // namespace com
