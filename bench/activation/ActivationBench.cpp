// Activation latency: CoCreateInstance to the return of the first
// GetProcessId, cold (no server process yet) and warm (server running), for
// FarlinkUI and for a bare local server, in the same run.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BareClsid.h"
#include "BenchClock.h"
#include "FarlinkUI.h"
#include "win/ComPtr.h"
#include "win/RegKey.h"
#include "win/ScopedHandle.h"

namespace {

// One activation and the first call; the server's pid through `pid`.
double Activate(const CLSID& clsid, ULONG* pid, win::ComPtr<IFarlinkUI>* keep = nullptr) {
    double start = bench::Now();
    win::ComPtr<IFarlinkUI> ui;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IFarlinkUI, ui.PutVoid());
    if (FAILED(hr) || FAILED(ui->GetProcessId(pid))) return -1;
    double elapsed = bench::Now() - start;
    if (keep) *keep = ui;
    return elapsed;
}

void WaitForExit(ULONG pid) {
    win::ScopedHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (process) ::WaitForSingleObject(process.Get(), 20000);
}

struct Figures {
    double cold;
    double warm;
};

Figures Measure(const CLSID& clsid, int coldRuns, int warmRuns) {
    std::vector<double> cold, warm;
    for (int i = 0; i < coldRuns; ++i) {
        ULONG pid = 0;
        double ms = Activate(clsid, &pid);
        if (ms >= 0) cold.push_back(ms);
        WaitForExit(pid);
    }
    // Warm: one client keeps the server alive while new objects are made.
    ULONG pid = 0;
    win::ComPtr<IFarlinkUI> holder;
    Activate(clsid, &pid, &holder);
    for (int i = 0; i < warmRuns; ++i) {
        ULONG again = 0;
        double ms = Activate(clsid, &again);
        if (ms >= 0) warm.push_back(ms);
    }
    holder.Reset();
    WaitForExit(pid);
    return {bench::Median(cold), bench::Median(warm)};
}

bool RegisterBareServer() {
    wchar_t exe[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    path = path.substr(0, path.find_last_of(L'\\')) + L"\\activation_bare_server.exe";
    win::RegKey key;
    if (key.Create(HKEY_CLASSES_ROOT, L"CLSID\\{7E3B59C1-2F4A-4D86-9C1E-5A0B8D3F6E21}\\LocalServer32",
                   KEY_WRITE) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                            static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int coldRuns = argc > 1 ? _wtoi(argv[1]) : 5;
    int warmRuns = argc > 2 ? _wtoi(argv[2]) : 30;
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (!RegisterBareServer()) {
        std::printf("could not register the bare server\n");
        return 1;
    }
    // Alternate so that both see the same machine state.
    Figures bare = Measure(CLSID_BareServer, coldRuns, warmRuns);
    Figures farlink = Measure(CLSID_FarlinkUI, coldRuns, warmRuns);
    std::printf("activation to first GetProcessId (median, ms; cold n=%d, warm n=%d)\n", coldRuns, warmRuns);
    std::printf("  %-12s cold %8.1f   warm %7.2f\n", "FarlinkUI", farlink.cold, farlink.warm);
    std::printf("  %-12s cold %8.1f   warm %7.2f\n", "bare server", bare.cold, bare.warm);
    std::printf("  ratio        cold %8.2f   warm %7.2f   (goal <= 1.2)\n",
                bare.cold > 0 ? farlink.cold / bare.cold : 0, bare.warm > 0 ? farlink.warm / bare.warm : 0);
    ::CoUninitialize();
    return 0;
}
