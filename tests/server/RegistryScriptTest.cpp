// The registry-script interpreter, run per user so the scratch HKCU of a
// RegistryOverride receives everything.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/RegistryOverride.h"
#include "com/RegistryScript.h"
#include "win/RegKey.h"

namespace {

using com::RunRegistryScript;
using com::ScriptMode;

const wchar_t kClasses[] = L"Software\\Classes";

bool KeyExists(const std::wstring& path) {
    win::RegKey key;
    return key.Open(HKEY_CURRENT_USER, (std::wstring(kClasses) + L"\\" + path).c_str(), KEY_READ) ==
           ERROR_SUCCESS;
}

std::wstring ReadString(const std::wstring& path, const wchar_t* value) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kClasses) + L"\\" + path).c_str(), value,
                       RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

void WriteString(const std::wstring& path, const wchar_t* value, const wchar_t* data) {
    win::RegKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, (std::wstring(kClasses) + L"\\" + path).c_str(), KEY_WRITE),
              ERROR_SUCCESS);
    ::RegSetValueExW(key.Get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                     static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t)));
}

const wchar_t kScript[] =
    L"HKCR\r\n"
    L"{\r\n"
    L"    NoRemove Parent\r\n"
    L"    {\r\n"
    L"        ForceRemove {0A1B} = s 'Class ''quoted'''\r\n"
    L"        {\r\n"
    L"            ForceRemove Programmable\r\n"
    L"            Server = s '%Module%'\r\n"
    L"            {\r\n"
    L"                val Raw = s '%MODULE_RAW% 100%%'\r\n"
    L"            }\r\n"
    L"            Plain\r\n"
    L"        }\r\n"
    L"    }\r\n"
    L"}\r\n";

const std::vector<com::ScriptReplacement> kReplacements = {
    {L"MODULE", L"\"C:\\Program Files\\x.exe\""}, {L"MODULE_RAW", L"C:\\Program Files\\x.exe"}};

class RegistryScriptTest : public testing::Test {
protected:
    testing_support::RegistryOverride registry_;
};

TEST_F(RegistryScriptTest, RegisterWritesKeysValuesAndReplacements) {
    ASSERT_EQ(RunRegistryScript(kScript, kReplacements, ScriptMode::Register, true), S_OK);
    EXPECT_EQ(ReadString(L"Parent\\{0A1B}", nullptr), L"Class 'quoted'");
    EXPECT_TRUE(KeyExists(L"Parent\\{0A1B}\\Programmable"));
    EXPECT_TRUE(KeyExists(L"Parent\\{0A1B}\\Plain"));
    EXPECT_EQ(ReadString(L"Parent\\{0A1B}\\Server", nullptr), L"\"C:\\Program Files\\x.exe\"");
    EXPECT_EQ(ReadString(L"Parent\\{0A1B}\\Server", L"Raw"), L"C:\\Program Files\\x.exe 100%");
}

TEST_F(RegistryScriptTest, ForceRemoveReplacesTheWholeKeyOnRegister) {
    WriteString(L"Parent\\{0A1B}\\Stale", L"Old", L"x");
    WriteString(L"Parent\\Sibling", nullptr, L"kept");
    ASSERT_EQ(RunRegistryScript(kScript, kReplacements, ScriptMode::Register, true), S_OK);
    ASSERT_EQ(RunRegistryScript(kScript, kReplacements, ScriptMode::Register, true), S_OK);
    EXPECT_FALSE(KeyExists(L"Parent\\{0A1B}\\Stale"));
    EXPECT_EQ(ReadString(L"Parent\\Sibling", nullptr), L"kept");
    EXPECT_EQ(ReadString(L"Parent\\{0A1B}", nullptr), L"Class 'quoted'");
}

TEST_F(RegistryScriptTest, UnregisterRemovesForceRemoveKeysButKeepsNoRemove) {
    ASSERT_EQ(RunRegistryScript(kScript, kReplacements, ScriptMode::Register, true), S_OK);
    ASSERT_EQ(RunRegistryScript(kScript, kReplacements, ScriptMode::Unregister, true), S_OK);
    EXPECT_FALSE(KeyExists(L"Parent\\{0A1B}"));
    EXPECT_TRUE(KeyExists(L"Parent"));
    // Unregistering what is not there is no error.
    EXPECT_EQ(RunRegistryScript(kScript, kReplacements, ScriptMode::Unregister, true), S_OK);
}

TEST_F(RegistryScriptTest, EmptyHiveChangesNothing) {
    EXPECT_EQ(RunRegistryScript(L"HKCR\n{\n}\n", {}, ScriptMode::Register, true), S_OK);
    EXPECT_EQ(RunRegistryScript(L"HKCR\n{\n}\n", {}, ScriptMode::Unregister, true), S_OK);
    EXPECT_EQ(RunRegistryScript(L"", {}, ScriptMode::Register, true), S_OK);
}

TEST_F(RegistryScriptTest, MalformedScriptsAreRefusedBeforeAnyWrite) {
    const wchar_t* const malformed[] = {
        L"HKCR { Key = s 'unterminated }",
        L"HKCR { Key { Child }",                 // missing closing brace
        L"HKCR { Key } }",                        // stray closing brace
        L"HKCR { Key = d '1' }",                  // only string values
        L"HKCR { Key = s }",
        L"HKCR { Key = s '%UNKNOWN%' }",
        L"HKCR { Key = s '100%' }",               // lone %
        L"HKCR { val = s 'x' }",
        L"HKCR { = s 'x' }",
        L"Nowhere { Key }",                       // not a hive
        L"ForceRemove HKCR { Key }",              // a hive cannot be removed
        L"HKCR = s 'x' { Key }",
        L"HKCR { Written } HKCR { Broken = }",    // nothing of the first part is written
    };
    for (const wchar_t* script : malformed) {
        EXPECT_EQ(RunRegistryScript(script, {}, ScriptMode::Register, true), com::kMalformedScript)
            << testing::PrintToString(std::wstring(script));
    }
    EXPECT_FALSE(KeyExists(L"Written"));
    EXPECT_FALSE(KeyExists(L"Key"));

    std::wstring deep = L"HKCR ";
    for (int i = 0; i < 200; ++i) deep += L"{ K ";
    EXPECT_EQ(RunRegistryScript(deep, {}, ScriptMode::Register, true), com::kMalformedScript);
}

}  // namespace
