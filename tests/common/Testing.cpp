#include "common/Testing.h"

#include <psapi.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>

#include "common/TestSeams.h"
#include "detection/ModuleCompanion.h"
#include "win/FileVersion.h"
#include "win/RegKey.h"

namespace tst {

std::wstring BesideExe(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    std::wstring exe(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return exe.substr(0, exe.find_last_of(L"\\/")) + L"\\" + name;
}

std::wstring MakeScratchDir(const wchar_t* tag) {
    static unsigned counter = 0;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"farlink-" + tag + L"-" +
                       std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    RemoveTree(dir);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void RemoveTree(const std::wstring& path) {
    std::wstring from = path + L'\0';  // SHFileOperation wants two NULs
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
    win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (file && ::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool CreateEmptyFile(const std::wstring& path) {
    ::SHCreateDirectoryExW(nullptr, path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    return win::ScopedHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                           nullptr)).IsValid();
}

std::wstring Quote(const std::wstring& path) {
    return path.find(L' ') == std::wstring::npos ? path : L"\"" + path + L"\"";
}

ChildProcess::~ChildProcess() {
    if (process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) Kill();
}

bool ChildProcess::Start(const std::wstring& commandLine) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr, ir = nullptr, iw = nullptr;
    if (!::CreatePipe(&r, &w, &sa, 0) || !::CreatePipe(&ir, &iw, &sa, 0)) return false;
    win::ScopedHandle outWrite(w), inRead(ir);
    out_.Reset(r), in_.Reset(iw);
    ::SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(iw, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = w;
    si.hStdInput = ir;
    std::wstring cmd = commandLine;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return false;
    ::CloseHandle(pi.hThread);
    process_.Reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    return true;
}

bool ChildProcess::Wait(DWORD ms, DWORD* exitCode) {
    // The pipe is drained while waiting, so a chatty child never blocks on it.
    for (DWORD start = ::GetTickCount();; ) {
        Drain(false);
        if (::WaitForSingleObject(process_.Get(), 50) == WAIT_OBJECT_0) break;
        if (::GetTickCount() - start >= ms) return false;
    }
    if (exitCode) ::GetExitCodeProcess(process_.Get(), exitCode);
    return true;
}

void ChildProcess::Drain(bool blocking) {
    char buffer[4096];
    DWORD avail = 0, read = 0;
    while (out_ && ::PeekNamedPipe(out_.Get(), nullptr, 0, nullptr, &avail, nullptr) &&
           (avail > 0 || blocking)) {
        if (!::ReadFile(out_.Get(), buffer, sizeof buffer, &read, nullptr) || read == 0) break;
        output_.append(buffer, read);
    }
}

std::string ChildProcess::Output() {
    Drain(process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0);
    return output_;
}

bool ChildProcess::WaitForOutput(const std::string& needle, DWORD ms) {
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < ms;) {
        bool ended = ::WaitForSingleObject(process_.Get(), 20) == WAIT_OBJECT_0;
        Drain(ended);
        if (output_.find(needle) != std::string::npos) return true;
        if (ended) return false;
    }
    return false;
}

void ChildProcess::Kill() {
    ::TerminateProcess(process_.Get(), 0xDEAD);
    ::WaitForSingleObject(process_.Get(), 10000);
}

DWORD RunAndWait(const std::wstring& commandLine, DWORD ms, std::string* output) {
    ChildProcess child;
    DWORD code = 0xFFFFFFFF;
    if (!child.Start(commandLine) || !child.Wait(ms, &code)) code = 0xFFFFFFFF;
    if (output) *output = child.Output();
    return code;
}

const wchar_t kProductKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kCacheKey[] = L"Software\\Corvane\\Farlink";
const wchar_t kKelp[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP";
const wchar_t kKelp32[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP32";
const wchar_t kCitrixModulesKey[] =
    L"Software\\Citrix\\ICA Client\\Engine\\Configuration\\Advanced\\Modules\\Corvane";
const wchar_t kHorizonClientKey[] = L"Software\\VMware, Inc.\\VMware VDM\\Client";
const wchar_t kTeradiciPluginKey[] = L"Software\\Teradici\\VChan\\Plugins\\Quenby";
const wchar_t kWorkSpacesCommandKey[] = L"Software\\Classes\\workspaces\\shell\\open\\command";

namespace {
// The product reads its installation keys in the 64-bit view, so a test puts
// them there whatever its own bitness; everything else is in the caller's view.
REGSAM ViewOf(HKEY root, const std::wstring& key, REGSAM view) {
    const bool product = root == HKEY_LOCAL_MACHINE && key.rfind(kProductKey, 0) == 0;
    return view ? view : product ? KEY_WOW64_64KEY : 0;
}
template <typename T>
bool ReadValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD flags, T* data, DWORD bytes) {
    win::RegKey k;
    return k.Open(root, key.c_str(), KEY_QUERY_VALUE | ViewOf(root, key, 0)) == ERROR_SUCCESS &&
           ::RegGetValueW(k.Get(), nullptr, name, flags, nullptr, data, &bytes) == ERROR_SUCCESS;
}
}  // namespace

bool SetRaw(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
            DWORD bytes, REGSAM view) {
    win::RegKey k;
    return k.Create(root, key.c_str(), KEY_SET_VALUE | ViewOf(root, key, view)) == ERROR_SUCCESS &&
           ::RegSetValueExW(k.Get(), name, 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
}

bool SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text,
               REGSAM view) {
    return SetRaw(root, key, name, REG_SZ, text.c_str(), DWORD((text.size() + 1) * 2), view);
}

bool SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD number, REGSAM view) {
    return SetRaw(root, key, name, REG_DWORD, &number, sizeof number, view);
}

std::wstring GetString(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    return ReadValue(root, key, name, RRF_RT_REG_SZ, buffer, sizeof buffer - 2) ? buffer : L"<missing>";
}

DWORD GetDword(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD number = 7;
    return ReadValue(root, key, name, RRF_RT_REG_DWORD, &number, sizeof number) ? number : 7;
}

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view) {
    win::RegKey k;
    return k.Open(root, key.c_str(), KEY_READ | ViewOf(root, key, view)) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY root, const std::wstring& key, const wchar_t* name) {
    win::RegKey k;
    return k.Open(root, key.c_str(), KEY_SET_VALUE | ViewOf(root, key, 0)) == ERROR_SUCCESS &&
           ::RegDeleteValueW(k.Get(), name) == ERROR_SUCCESS;
}

void DeleteKeyTree(HKEY root, const std::wstring& key, REGSAM view) {
    view = ViewOf(root, key, view);
    win::RegKey k;
    if (k.Open(root, key.c_str(), KEY_ALL_ACCESS | view) == ERROR_SUCCESS) ::RegDeleteTreeW(k.Get(), nullptr);
    k.Close();
    ::RegDeleteKeyExW(root, key.c_str(), view, 0);
}

ScratchHive::ScratchHive(const wchar_t* session, bool splitViews) {
    // The scratch keys live under the real HKCU, opened before the override.
    root_ = L"Software\\FarlinkTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::GetTickCount());
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\U").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &hkcu_, nullptr);
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\M").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &hklm_, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, hkcu_);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, hklm_);
    if (session) SetString(HKEY_CURRENT_USER, kCacheKey, L"Server", session);
    if (!splitViews) return;
    const wchar_t probe[] = L"Software\\FarlinkViewProbe";
    win::RegKey().Create(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node", KEY_READ);
    win::RegKey().Create(HKEY_LOCAL_MACHINE, probe, KEY_READ | KEY_WOW64_32KEY);
    split_ = !KeyExists(HKEY_LOCAL_MACHINE, probe, KEY_WOW64_64KEY);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, probe, KEY_WOW64_32KEY, 0);
}

ScratchHive::~ScratchHive() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegCloseKey(hkcu_);
    ::RegCloseKey(hklm_);
    DeleteKeyTree(HKEY_CURRENT_USER, root_);
}

SavedValue::SavedValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text)
    : root_(root), key_(key), name_(name) {
    std::wstring previous = GetString(root, key, name);
    if (previous != L"<missing>") previous_ = previous;
    Set(text);
}

SavedValue::~SavedValue() {
    if (previous_) Set(*previous_);
    else DeleteValue(root_, key_, name_);
}

WriteBlockedKey::WriteBlockedKey(HKEY root, const std::wstring& key) : root_(root), key_(key) {
    win::RegKey().Create(root_, key_.c_str(), KEY_READ);
    blocked_ = SetDacl(L"D:(D;;0x6;;;WD)(A;;KA;;;WD)");  // no set-value, no create-subkey
}

WriteBlockedKey::~WriteBlockedKey() { SetDacl(L"D:(A;;KA;;;WD)"); }

bool WriteBlockedKey::SetDacl(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
        return false;
    win::RegKey k;
    bool ok = k.Open(root_, key_.c_str(), WRITE_DAC) == ERROR_SUCCESS &&
              ::RegSetKeySecurity(k.Get(), DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    ::LocalFree(sd);
    return ok;
}

namespace {
// A version nobody else uses keeps the plug-in folders of parallel runs apart.
std::wstring FreshVersion() {
    static int counter = 0;
    return L"9." + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(++counter);
}
}  // namespace

Install::Install()
    : version(FreshVersion()),
      savedVersion_(HKEY_LOCAL_MACHINE, kProductKey, L"Version", version) {
    SetRdpSupport(1);
    // Every real profile has it; the add-in writes open it rather than create it.
    win::RegKey().Create(HKEY_CURRENT_USER, L"Software\\Microsoft", KEY_READ);
    DeleteKeyTree(HKEY_CURRENT_USER, kKelp);
    DeleteKeyTree(HKEY_CURRENT_USER, kKelp32);
    wchar_t saved[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"ProgramW6432", saved, MAX_PATH);
    savedProgramW6432_ = saved;
    // A 32-bit test on 64-bit Windows stages the machine it runs on.
    wow64 = sharedfarlink::SystemIsWow64();
}

Install::~Install() {
    sharedfarlink::OverrideIsWow64ForTesting(-1);
    ::SetEnvironmentVariableW(L"ProgramW6432", savedProgramW6432_.c_str());
    DeleteKeyTree(HKEY_CURRENT_USER, kKelp);
    DeleteKeyTree(HKEY_CURRENT_USER, kKelp32);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, VersionKey());
    for (const wchar_t* root : {L"C:\\Program Files", L"C:\\Program Files (x86)"})
        RemoveTree(root + (L"\\Corvane\\Shared\\Farlink\\" + version));
    if (!native64Root.empty()) RemoveTree(native64Root);
}

void Install::AsWow64() {
    if (wow64) return;
    wow64 = true;
    sharedfarlink::OverrideIsWow64ForTesting(1);
    native64Root = MakeScratchDir(L"programw6432");
    ::SetEnvironmentVariableW(L"ProgramW6432", native64Root.c_str());
}

std::wstring Install::NativePath() const {
    return (native64Root.empty() ? L"C:\\Program Files" : native64Root) + L"\\Corvane\\Shared\\Farlink\\" + version +
           L"\\vcbrdp.dll";
}

std::wstring Install::X86Path() const {
    return L"C:\\Program Files (x86)\\Corvane\\Shared\\Farlink\\" + version + L"\\vcbrdp.dll";
}

void Install::CreatePluginFiles() {
    ASSERT_TRUE(CreateEmptyFile(NativePath()));
    if (wow64) { ASSERT_TRUE(CreateEmptyFile(X86Path())); }
}

void Install::WriteAddin(const wchar_t* key, const std::wstring& name, int viewEnabled) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, key, L"Name", name));
    if (viewEnabled >= 0) { ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, key, L"View Enabled", viewEnabled)); }
}

namespace {
// With a trailing backslash: this tree's bin, or in a 32-bit build the x86_64 tree's.
std::wstring X64DoublesDir() {
#ifdef FARLINK_X64_BIN_DIR
    return FARLINK_X64_BIN_DIR;
#endif
    return BesideExe(L"");
}
}  // namespace

ClientDoubles::ClientDoubles() : dir_(MakeScratchDir(L"clients")) {
    static unsigned counter = 0;
    event_ = L"FarlinkClientDoubles-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
             std::to_wstring(++counter);
    quit_.Reset(::CreateEventW(nullptr, TRUE, FALSE, event_.c_str()));  // one signal ends all
    ::CreateDirectoryW((dir_ + L"\\x64").c_str(), nullptr);
    for (const wchar_t* dll : {L"\\vcbrdp.dll", L"\\vcbpco.dll", L"\\vcbica.dll"}) {
        ::CopyFileW(BesideExe(L"plugin_double.dll").c_str(), (dir_ + dll).c_str(), FALSE);
        ::CopyFileW((X64DoublesDir() + L"plugin_double.dll").c_str(), (dir_ + L"\\x64" + dll).c_str(), FALSE);
    }
}

ClientDoubles::~ClientDoubles() {
    StopAll();
    RemoveTree(dir_);
}

bool ClientDoubles::Start(const std::wstring& exeName, const wchar_t* loadDll, bool x64) {
    std::wstring exe = dir_ + (x64 ? L"\\x64\\" : L"\\") + exeName;
    ::CopyFileW(((x64 ? X64DoublesDir() : BesideExe(L"")) + L"client_double.exe").c_str(), exe.c_str(), TRUE);
    std::wstring command = Quote(exe) + L" --event " + event_;
    if (loadDll) command += std::wstring(L" --load ") + loadDll;
    children_.push_back(std::make_unique<ChildProcess>());
    return children_.back()->Start(command) &&
           children_.back()->WaitForOutput(loadDll ? "ready 1" : "ready", 15000);
}

void ClientDoubles::StopAll() {
    ::SetEvent(quit_.Get());
    for (auto& child : children_) child->Wait(5000);  // the rest are killed on destruction
    children_.clear();
    ::ResetEvent(quit_.Get());
}

std::wstring ServerPath() { return BesideExe(L"FarlinkUI.exe"); }

DWORD RunServer(const std::wstring& args, const std::wstring& exe) {
    return RunAndWait(Quote(exe) + L" " + args);
}

DWORD RunClient(const std::wstring& args, std::string* output, const wchar_t* exe) {
    return RunAndWait(Quote(BesideExe(exe)) + L" " + args, 60000, output);
}

bool StartClient(ChildProcess* child, const std::wstring& args) {
    return child->Start(Quote(BesideExe(L"farlinkdrive.exe")) + L" " + args);
}

DWORD ReportedPid(const std::string& output) {
    size_t at = output.find("pid=");
    return at == std::string::npos ? 0 : std::strtoul(output.c_str() + at + 4, nullptr, 10);
}

size_t CountOf(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        ++count;
    return count;
}

namespace {
std::wstring ProcessImageName(DWORD pid) {
    // From the image path: a 32-bit test cannot read a 64-bit process's modules.
    win::ScopedHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t name[MAX_PATH] = {};
    if (!process || !sharedfarlink::ReadImageBaseName(process.Get(), name, MAX_PATH)) return L"";
    return name;
}

unsigned ServerMajorVersion() {  // 0xFFFF when unreadable
    VS_FIXEDFILEINFO info = {};
    return win::ReadFixedFileVersion(ServerPath().c_str(), &info) ? HIWORD(info.dwProductVersionMS) : 0xFFFF;
}
}  // namespace

std::wstring ServerLogPath() {
    PWSTR appData = nullptr;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &appData))) return L"";
    std::wstring path = std::wstring(appData) + L"\\Corvane\\Shared\\Farlink\\" +
                        std::to_wstring(ServerMajorVersion()) + L"\\RemoteDesktop.txt";
    ::CoTaskMemFree(appData);
    return path;
}

std::vector<DWORD> PidsOf(const wchar_t* exeName) {
    DWORD pids[1024], bytes = 0;
    std::vector<DWORD> found;
    ::EnumProcesses(pids, sizeof pids, &bytes);
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i)
        if (::lstrcmpiW(ProcessImageName(pids[i]).c_str(), exeName) == 0) found.push_back(pids[i]);
    return found;
}

std::vector<DWORD> ServerPids() { return PidsOf(L"FarlinkUI.exe"); }

bool WaitForNoServer(DWORD ms) {
    for (DWORD start = ::GetTickCount(); !ServerPids().empty(); ::Sleep(100))
        if (::GetTickCount() - start > ms) return false;
    return true;
}

void KillServers() {
    for (DWORD pid : ServerPids()) {
        win::ScopedHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
        if (process && ::TerminateProcess(process.Get(), 1)) ::WaitForSingleObject(process.Get(), 5000);
    }
}

}  // namespace tst
