// Figures for the detector: one process scan beside the bare platform walk it
// is built on, and one enumeration of the six components beside the bare
// registry reads it makes. Prints numbers; asserts nothing.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "common/Testing.h"
#include "detection/RemoteComponentDetector.h"

using namespace sharedfarlink;

namespace {

// Median of `rounds` timings of `work`, in milliseconds per call.
double Median(int rounds, int callsPerRound, const std::function<void()>& work) {
    std::vector<double> samples;
    for (int r = 0; r < rounds; ++r) {
        double start = bench::Now();
        for (int i = 0; i < callsPerRound; ++i) work();
        samples.push_back((bench::Now() - start) / callsPerRound);
    }
    return bench::Median(samples);
}

// What the scan does at the least: every process opened once and its first
// module's name read.
size_t RawProcessWalk() {
    DWORD ids[1024];
    DWORD bytes = 0;
    size_t named = 0;
    if (!::EnumProcesses(ids, sizeof ids, &bytes)) return 0;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        if (ids[i] == 0) continue;
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (!process) continue;
        HMODULE image = nullptr;
        DWORD needed = 0;
        wchar_t name[MAX_PATH];
        if (::EnumProcessModules(process, &image, sizeof image, &needed) &&
            ::GetModuleBaseNameW(process, image, name, MAX_PATH))
            ++named;
        ::CloseHandle(process);
    }
    return named;
}

// The part of the scan the raw walk leaves out: the matched client's module
// list searched for the plug-in.
void ModuleSearch(DWORD pid) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return;
    HMODULE modules[1024];
    DWORD bytes = 0;
    if (::EnumProcessModulesEx(process, modules, sizeof modules, &bytes, LIST_MODULES_ALL)) {
        wchar_t name[MAX_PATH];
        for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
            if (::GetModuleBaseNameW(process, modules[i], name, MAX_PATH) &&
                ::_wcsicmp(name, L"vcbrdp.dll") == 0)
                break;
        }
    }
    ::CloseHandle(process);
}

struct Figures {
    double median, min;
};

Figures Summarize(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.front()};
}

void BenchScan(int idle) {
    tst::ClientDoubles clients;
    int started = 1;
    // One real client with the plug-in, so the scan also walks one module list.
    if (!clients.Start(L"mstsc.exe", L"vcbrdp.dll")) {
        std::printf("scan: could not start the client double\n");
        return;
    }
    for (int i = 1; i < idle; ++i) {
        if (!clients.Start(L"idle-" + std::to_wstring(i % 10) + L".exe")) {
            std::printf("scan: only %d doubles started\n", i);
            break;
        }
        ++started;
    }
    tst::ScratchHive registry(L"Local");
    RemoteComponentDetector detector;
    size_t processes = RawProcessWalk();
    bool found = false;
    // Interleaved rounds, so both see the same machine state; the machine is
    // shared, so the minimum is printed beside the median.
    std::vector<double> scan, raw, modules;
    for (int round = 0; round < 9; ++round) {
        scan.push_back(Median(1, 2, [&] { found = detector.FindClientProcess(); }));
        raw.push_back(Median(1, 2, [] { RawProcessWalk(); }));
        modules.push_back(Median(1, 2, [&] { ModuleSearch(clients.Pid(0)); }));
    }
    Figures s = Summarize(scan), r = Summarize(raw), m = Summarize(modules);
    std::printf("scan   N=%3d doubles, %zu processes named (found %d, dllLoaded %d)\n"
                "         FindClientProcess median %.2f ms (min %.2f), raw walk median %.2f ms "
                "(min %.2f), ratio %.3f (min/min %.3f)\n"
                "         the matched client's module search alone: median %.2f ms; scan against "
                "raw walk + that search: ratio %.3f\n",
                started, processes, found ? 1 : 0, detector.dllLoaded,
                s.median, s.min, r.median, r.min, s.median / r.median, s.min / r.min, m.median,
                s.median / (r.median + m.median));
}

// The registry reads one enumeration makes: for each of the four Remote
// Desktop family components the version, then both add-in keys.
void RawEnumerationReads() {
    for (int component = 0; component < 4; ++component) {
        HKEY key = nullptr;
        wchar_t buffer[260];
        DWORD size = sizeof buffer;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Farlink", 0,
                            KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
            ::RegQueryValueExW(key, L"Version", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(buffer), &size);
            ::RegCloseKey(key);
        }
        for (int entry = 0; entry < 2; ++entry) {
            HKEY microsoft = nullptr, addin = nullptr;
            if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft", 0, KEY_READ,
                                &microsoft) != ERROR_SUCCESS)
                continue;
            if (::RegOpenKeyExW(microsoft, L"Terminal Server Client\\Default\\Addins\\KELP", 0,
                                KEY_QUERY_VALUE, &addin) == ERROR_SUCCESS) {
                size = sizeof buffer;
                ::RegQueryValueExW(addin, L"Name", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(buffer), &size);
                ::RegCloseKey(addin);
            }
            ::RegCloseKey(microsoft);
        }
    }
}

// The same reads plus the folder lookups and file checks the components also
// make (two expected paths and two file tests per component).
void RawEnumerationWithFiles() {
    RawEnumerationReads();
    for (int i = 0; i < 8; ++i) {
        wchar_t root[MAX_PATH];
        ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, root);
        std::wstring path = std::wstring(root) + L"\\Corvane\\Shared\\Farlink\\1.0\\vcbrdp.dll";
        ::PathFileExistsW(path.c_str());
    }
}

void BenchEnumeration() {
    tst::ScratchHive registry(L"Local");
    const wchar_t addin[] = L"Software\\Microsoft\\Terminal Server Client\\Default\\Addins\\KELP";
    tst::SetString(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Farlink", L"Version",
                               L"1.0");
    tst::SetDword(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Farlink\\1.0",
                              L"RDP Support", 1);
    tst::SetString(HKEY_CURRENT_USER, addin, L"Name",
                               L"C:\\Program Files\\Corvane\\Shared\\Farlink\\1.0\\vcbrdp.dll");
    tst::SetDword(HKEY_CURRENT_USER, addin, L"View Enabled", 1);
    RemoteComponentDetector detector;
    int count = 0;
    auto enumerate = [&] {
        bool first = true;
        count = 0;
        while (detector.MoveNext(first, L"")) ++count;
    };
    double e = Median(9, 50, enumerate);
    double r = Median(9, 50, RawEnumerationReads);
    double f = Median(9, 50, RawEnumerationWithFiles);
    std::printf("enumeration of %d components with MoveNext %.3f ms, raw registry reads %.3f ms "
                "(ratio %.2f); raw reads + folder lookups + file checks %.3f ms (ratio %.2f)\n",
                count, e, r, e / r, f, e / f);
}

}  // namespace

int main() {
    BenchEnumeration();
    BenchScan(20);
    BenchScan(100);
    return 0;
}
