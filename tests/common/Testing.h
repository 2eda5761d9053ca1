#pragma once
// Shared by every test program: files, child processes, registry helpers, a
// staged installation, client doubles, the built server and its driver.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "win/ScopedHandle.h"

namespace tst {

std::wstring BesideExe(const wchar_t* name);  // a file built beside the test
std::wstring MakeScratchDir(const wchar_t* tag);  // new and empty, under %TEMP%
void RemoveTree(const std::wstring& path);
bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
bool CreateEmptyFile(const std::wstring& path);  // and the folders on the way
std::wstring Quote(const std::wstring& path);     // quoted when it holds a blank

// Stdout and stderr go to a pipe, and stdin is a pipe held open until
// CloseInput(). Killed when the object goes while it still runs.
class ChildProcess {
public:
    ~ChildProcess();
    bool Start(const std::wstring& commandLine);
    bool Wait(DWORD ms, DWORD* exitCode = nullptr);  // true when it ended
    std::string Output();
    bool WaitForOutput(const std::string& needle, DWORD ms);
    void CloseInput() { in_.Close(); }
    void Kill();
    DWORD Pid() const { return pid_; }

private:
    void Drain(bool blocking);
    win::ScopedHandle process_, out_, in_;
    std::string output_;
    DWORD pid_ = 0;
};

// The exit code, or 0xFFFFFFFF when it did not start or end within `ms`.
DWORD RunAndWait(const std::wstring& commandLine, DWORD ms = 60000, std::string* output = nullptr);

// `view` may carry a WOW64 flag; without one the product's own keys (under
// kProductKey) are in the 64-bit view, where it reads them. Writes create the key.
bool SetRaw(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
            DWORD bytes, REGSAM view = 0);
bool SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text,
               REGSAM view = 0);
bool SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD number, REGSAM view = 0);
// "<missing>" when the key or a REG_SZ value is missing; GetDword: 7.
std::wstring GetString(HKEY root, const std::wstring& key, const wchar_t* name);
DWORD GetDword(HKEY root, const std::wstring& key, const wchar_t* name);
bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0);
bool DeleteValue(HKEY root, const std::wstring& key, const wchar_t* name);
void DeleteKeyTree(HKEY root, const std::wstring& key, REGSAM view = 0);

extern const wchar_t kProductKey[];  // HKLM: "Version", then "<version>\..."
extern const wchar_t kCacheKey[];    // HKCU: the session cache "Server"
extern const wchar_t kKelp[];        // HKCU: the Remote Desktop add-in keys
extern const wchar_t kKelp32[];
extern const wchar_t kCitrixModulesKey[];
extern const wchar_t kHorizonClientKey[];
extern const wchar_t kTeradiciPluginKey[];
extern const wchar_t kWorkSpacesCommandKey[];

// This process's HKCU and HKLM mapped onto scratch keys, the session cache
// holding `session` (no cloud check). With `splitViews` the scratch HKLM gets
// a Wow6432Node child, below which Wine keeps the 32-bit view apart.
class ScratchHive {
public:
    explicit ScratchHive(const wchar_t* session = L"Local", bool splitViews = false);
    ~ScratchHive();
    ScratchHive(const ScratchHive&) = delete;
    ScratchHive& operator=(const ScratchHive&) = delete;
    bool ViewsSplit() const { return split_; }

private:
    std::wstring root_;
    HKEY hkcu_ = nullptr, hklm_ = nullptr;
    bool split_ = false;
};

// A string value set for the object's life, then restored (or deleted).
class SavedValue {
public:
    SavedValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text);
    ~SavedValue();
    bool Set(const std::wstring& text) { return SetString(root_, key_, name_, text); }

private:
    HKEY root_;
    const wchar_t *key_, *name_;
    std::optional<std::wstring> previous_;
};

// A key whose DACL refuses writes, so a repair fails the real way.
class WriteBlockedKey {
public:
    WriteBlockedKey(HKEY root, const std::wstring& key);
    ~WriteBlockedKey();
    bool Blocked() const { return blocked_; }

private:
    bool SetDacl(const wchar_t* sddl);
    HKEY root_;
    std::wstring key_;
    bool blocked_ = false;
};

// This product installed: a fresh version with "RDP Support" 1, no add-in
// keys, plug-in files when asked; all gone with the object. `wow64` starts as
// the truth: a 64-bit test plays 32-bit Windows, a 32-bit one stages 64-bit
// Windows as it is; AsWow64() makes a 64-bit test play it too, with
// %ProgramW6432% at a scratch folder.
class Install {
public:
    Install();
    ~Install();
    void AsWow64();
    void SetRdpSupport(DWORD value) { SetDword(HKEY_LOCAL_MACHINE, VersionKey(), L"RDP Support", value); }
    std::wstring VersionKey() const { return std::wstring(kProductKey) + L"\\" + version; }
    std::wstring NativePath() const;
    std::wstring X86Path() const;
    void CreatePluginFiles();
    // An add-in key as this program writes it; `viewEnabled` < 0 leaves it out.
    void WriteAddin(const wchar_t* key, const std::wstring& name, int viewEnabled = 1);
    std::wstring ReadName(const wchar_t* key) const { return GetString(HKEY_CURRENT_USER, key, L"Name"); }

    std::wstring version, native64Root;
    bool wow64 = false;

private:
    SavedValue savedVersion_;
    std::wstring savedProgramW6432_;
};

// The client double under client names, beside the plug-in double as
// vcbrdp.dll, vcbpco.dll and vcbica.dll; in 32-bit and 64-bit builds (the
// 64-bit ones of a 32-bit build, which runs under WOW64, from the x86_64 tree).
class ClientDoubles {
public:
    ClientDoubles();
    ~ClientDoubles();
    // True once it is ready, having loaded `loadDll` if given; `x64`: a 64-bit one.
    bool Start(const std::wstring& exeName, const wchar_t* loadDll = nullptr, bool x64 = false);
    DWORD Pid(size_t index) const { return children_[index]->Pid(); }
    void StopAll();

private:
    std::wstring dir_, event_;
    win::ScopedHandle quit_;
    std::vector<std::unique_ptr<ChildProcess>> children_;
};

// The built server, its driver and farlinkctl, run in the test's Wine prefix.
std::wstring ServerPath();
DWORD RunServer(const std::wstring& args, const std::wstring& exe = ServerPath());
DWORD RunClient(const std::wstring& args, std::string* output, const wchar_t* exe = L"farlinkdrive.exe");
bool StartClient(ChildProcess* child, const std::wstring& args);
DWORD ReportedPid(const std::string& output);  // the number after "pid="
size_t CountOf(const std::string& haystack, const std::string& needle);
std::wstring ServerLogPath();   // %APPDATA%\Corvane\Shared\Farlink\<major>\RemoteDesktop.txt
std::vector<DWORD> PidsOf(const wchar_t* exeName);  // every running process of that name
std::vector<DWORD> ServerPids();  // every running FarlinkUI.exe
bool WaitForNoServer(DWORD ms);
void KillServers();

}  // namespace tst
