#include "server/ServerProcess.h"

#include <psapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <vector>

#include "common/TestPaths.h"
#include "win/ScopedHandle.h"

namespace server_testing {

using testing_support::Quote;

std::wstring ServerPath() { return testing_support::BesideExe(L"FarlinkUI.exe"); }
std::wstring ClientPath() { return testing_support::BesideExe(L"farlinkctl.exe"); }

DWORD RunServer(const std::wstring& args, const std::wstring& exe) {
    return testing_support::RunAndWait(Quote(exe) + L" " + args, 60000);
}

DWORD RunClient(const std::wstring& args, std::string* output) {
    return testing_support::RunAndWait(Quote(ClientPath()) + L" " + args, 60000, output);
}

bool StartClient(testing_support::ChildProcess* child, const std::wstring& args) {
    return child->Start(Quote(ClientPath()) + L" " + args, true);
}

DWORD ReportedPid(const std::string& output) {
    size_t at = output.find("pid=");
    return at == std::string::npos ? 0 : std::strtoul(output.c_str() + at + 4, nullptr, 10);
}

size_t CountOf(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++count;
    return count;
}

std::wstring ProcessImageName(DWORD pid) {
    win::ScopedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    wchar_t name[MAX_PATH] = {};
    if (!process || !::GetModuleBaseNameW(process.Get(), nullptr, name, MAX_PATH)) return L"";
    return name;
}

void KillServers() {
    DWORD pids[1024];
    DWORD bytes = 0;
    if (!::EnumProcesses(pids, sizeof pids, &bytes)) return;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        if (::lstrcmpiW(ProcessImageName(pids[i]).c_str(), L"FarlinkUI.exe") != 0) continue;
        win::ScopedHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pids[i]));
        if (!process) continue;
        ::TerminateProcess(process.Get(), 1);
        ::WaitForSingleObject(process.Get(), 5000);
    }
}

unsigned ServerMajorVersion() {
    std::wstring exe = ServerPath();
    DWORD ignored = 0;
    std::vector<BYTE> data(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (data.empty() ||
        !::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length))
        return 0xFFFF;
    return HIWORD(info->dwProductVersionMS);
}

std::wstring ServerLogPath() {
    PWSTR appData = nullptr;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &appData))) return L"";
    std::wstring path = std::wstring(appData) + L"\\Corvane\\Shared\\Farlink\\" +
                        std::to_wstring(ServerMajorVersion()) + L"\\RemoteDesktop.txt";
    ::CoTaskMemFree(appData);
    return path;
}

bool WaitForNoServer(DWORD ms) {
    DWORD start = ::GetTickCount();
    for (;;) {
        DWORD pids[1024];
        DWORD bytes = 0;
        bool found = false;
        if (::EnumProcesses(pids, sizeof pids, &bytes)) {
            for (DWORD i = 0; i < bytes / sizeof(DWORD) && !found; ++i)
                found = ::lstrcmpiW(ProcessImageName(pids[i]).c_str(), L"FarlinkUI.exe") == 0;
        }
        if (!found) return true;
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(100);
    }
}

}  // namespace server_testing
